// SPDX-License-Identifier: MIT
// Printing a window's retained image on the default printer, with failures as print results.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include "surface/cups/cups_job.h"
#include "surface/print_result.h"

namespace henon {

// Where the picture goes on the page, in printer dots.
struct PageFit {
  bool landscape = false;
  QSize page;
  QRect picture;
};

// The largest picture of this aspect in the printable area, centred, in the orientation that
// gives the larger picture.
PageFit fitOnPage(QSize image, const CupsPaper& paper);

// Resized without smoothing: enlarged by repeating pixels, shrunk by keeping the darkest of the
// pixels that fall together, so no point or line prints lighter than it shows.
QImage scaleForPrint(const QImage& image, QSize size);

// The client area as shown: the retained drawing and the child widgets on it, in device pixels
// and carrying the drawing's device-pixel ratio.
QImage clientImage(QWidget& client, const QImage& retained);

// One page holding the image fitted to the paper; empty when the PDF cannot be made.
QByteArray pagePdf(const QImage& image, const CupsPaper& paper, const QString& title);

// Prints the client area on the default printer. The windows keep repainting while the print
// server is asked; a server that does not answer is given up after a few seconds.
PrintResult printWidget(QWidget& client, const QImage& retained, const QString& title);

// At the end of the program: cancels what may still be held of prints told as failed.
void withdrawGivenUpPrints();

}  // namespace henon
