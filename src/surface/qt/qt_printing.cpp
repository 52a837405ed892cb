#include "surface/qt/qt_printing.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinterInfo>

namespace henon {

PrintResult printResult(const PrintOutcome& o) {
  if (!o.hasDefaultPrinter) return PrintResult::kDeviceUnavailable;
  if (o.finalState == QPrinter::Aborted || o.finalState == QPrinter::Error)
    return PrintResult::kDeviceIO;
  if (!o.painterBegan || !o.painterEnded) return PrintResult::kFailed;
  return PrintResult::kOk;
}

PrintResult printWidget(QWidget& client, const QString& documentName) {
  PrintOutcome outcome;
  // QPrinter falls back to PDF output when there is no printer; ask for the real default.
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  outcome.hasDefaultPrinter = !info.isNull();
  if (!outcome.hasDefaultPrinter) return printResult(outcome);

  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(documentName);
  const QPixmap shot = client.grab();
  QPainter painter;
  outcome.painterBegan = painter.begin(&printer);
  if (outcome.painterBegan) {
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSizeF size = QSizeF(shot.size()) / shot.devicePixelRatio();
    const QSizeF fitted = size.scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRectF(QPointF(0, 0), fitted), shot, QRectF(shot.rect()));
    outcome.painterEnded = painter.end();
  }
  outcome.finalState = printer.printerState();
  return printResult(outcome);
}

}  // namespace henon
