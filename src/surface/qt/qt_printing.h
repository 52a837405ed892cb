// Printing a widget's image on the default printer, with failures as error numbers.
#pragma once

#include <QPrinter>
#include <QString>
#include <QWidget>

#include "plot/print_result.h"

namespace henon {

// How far a print job got, and what the platform said.
struct PrintOutcome {
  bool hasDefaultPrinter = false;
  bool painterBegan = false;
  bool painterEnded = false;  // the job was handed over
  QPrinter::PrinterState finalState = QPrinter::Idle;
};

PrintResult printResult(const PrintOutcome& outcome);

// Prints the widget (children included) scaled to fit one page of the default printer.
PrintResult printWidget(QWidget& client, const QString& documentName);

}  // namespace henon
