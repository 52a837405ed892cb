// SPDX-License-Identifier: MIT
#include "surface/qt/qt_printing.h"

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

namespace henon {

namespace {

// The page goes to the printer by then, or the server counts as not answering.
constexpr auto kServerDeadline = std::chrono::seconds(8);
// The worker keeps its own deadline; this only guards against a wait libcups cannot bound.
constexpr auto kGiveUp = std::chrono::seconds(9);
// What the end of the program waits for a server that does not answer.
constexpr auto kWithdrawAtExit = std::chrono::seconds(2);

struct Placement {
  double scale;
  QRect picture;
};

Placement place(QSize image, double pageW, double pageH, double l, double t, double r, double b) {
  const double areaW = std::max(0.0, pageW - l - r), areaH = std::max(0.0, pageH - t - b);
  const double scale = std::min(areaW / image.width(), areaH / image.height());
  const int w = std::clamp(static_cast<int>(std::floor(image.width() * scale)), 1,
                           std::max(1, static_cast<int>(areaW)));
  const int h = std::clamp(static_cast<int>(std::floor(image.height() * scale)), 1,
                           std::max(1, static_cast<int>(areaH)));
  const int x = static_cast<int>(std::lround(l + (areaW - w) / 2));
  const int y = static_cast<int>(std::lround(t + (areaH - h) / 2));
  return {scale, QRect(x, y, w, h)};
}

inline QRgb darkest(QRgb a, QRgb b) {
  return qRgb(std::min(qRed(a), qRed(b)), std::min(qGreen(a), qGreen(b)),
              std::min(qBlue(a), qBlue(b)));
}

// Source pixels [first, second) that make destination pixel i of n, out of a source of s.
std::pair<int, int> span(int i, int n, int s) {
  const int a = static_cast<int>(static_cast<long long>(i) * s / n);
  const int b = static_cast<int>(static_cast<long long>(i + 1) * s / n);
  return {a, std::max(b, a + 1)};
}

}  // namespace

PageFit fitOnPage(QSize image, const CupsPaper& paper) {
  PageFit fit;
  if (image.isEmpty()) return fit;
  const double dots = paper.dpi / 25.4;
  const double w = paper.widthMm * dots, h = paper.heightMm * dots;
  const double l = paper.leftMm * dots, t = paper.topMm * dots, r = paper.rightMm * dots,
               b = paper.bottomMm * dots;
  const Placement portrait = place(image, w, h, l, t, r, b);
  // Turned a quarter to the left, the paper's bottom edge becomes the page's left one.
  const Placement landscape = place(image, h, w, b, l, t, r);
  fit.landscape = landscape.scale > portrait.scale;
  const QSizeF page = fit.landscape ? QSizeF(h, w) : QSizeF(w, h);
  fit.page = QSize(static_cast<int>(std::lround(page.width())),
                   static_cast<int>(std::lround(page.height())));
  fit.picture = fit.landscape ? landscape.picture : portrait.picture;
  return fit;
}

QImage scaleForPrint(const QImage& image, QSize size) {
  const QImage in = image.convertToFormat(QImage::Format_RGB32);
  QImage out(size, QImage::Format_RGB32);
  if (in.isNull() || out.isNull()) return out;
  const int sw = in.width(), sh = in.height(), dw = out.width(), dh = out.height();
  std::vector<std::pair<int, int>> columns(dw);
  for (int x = 0; x < dw; ++x) columns[x] = span(x, dw, sw);
  std::vector<QRgb> merged(sw);
  for (int y = 0; y < dh; ++y) {
    const auto [top, bottom] = span(y, dh, sh);
    const auto* first = reinterpret_cast<const QRgb*>(in.constScanLine(top));
    std::copy(first, first + sw, merged.begin());
    for (int sy = top + 1; sy < bottom; ++sy) {
      const auto* row = reinterpret_cast<const QRgb*>(in.constScanLine(sy));
      for (int sx = 0; sx < sw; ++sx) merged[sx] = darkest(merged[sx], row[sx]);
    }
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < dw; ++x) {
      QRgb v = merged[columns[x].first];
      for (int sx = columns[x].first + 1; sx < columns[x].second; ++sx) v = darkest(v, merged[sx]);
      dst[x] = v;
    }
  }
  return out;
}

QImage clientImage(QWidget& client, const QImage& retained) {
  const qreal dpr = retained.devicePixelRatio();
  const QSize pixels(static_cast<int>(std::ceil(client.width() * dpr)),
                     static_cast<int>(std::ceil(client.height() * dpr)));
  QImage shot(pixels, QImage::Format_RGB32);
  shot.fill(Qt::white);
  {
    QPainter painter(&shot);
    const QRectF shown(QPointF(0, 0), QSizeF(pixels.boundedTo(retained.size())));
    painter.drawImage(shown, retained, shown);
  }
  shot.setDevicePixelRatio(dpr);
  // The focused box shows its text cursor in one half of each blink: a print of it is taken as
  // of a window that has lost the keyboard for a moment, so that two prints come out alike.
  QWidget* focus = QApplication::focusWidget();
  const bool typing = focus && client.isAncestorOf(focus);
  if (typing) {
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(focus, &away);
  }
  QPainter painter(&shot);
  for (QWidget* child : client.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isVisibleTo(&client)) child->render(&painter, child->pos());
  painter.end();
  if (typing) {
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(focus, &back);
  }
  return shot;
}

QByteArray pagePdf(const QImage& image, const CupsPaper& paper, const QString& title) {
  const PageFit fit = fitOnPage(image.size(), paper);
  if (fit.picture.isEmpty()) return {};
  const QImage page = scaleForPrint(image, fit.picture.size());
  QByteArray pdf;
  QBuffer buffer(&pdf);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setResolution(paper.dpi);
    const QPageSize size(QSizeF(paper.widthMm, paper.heightMm), QPageSize::Millimeter);
    writer.setPageLayout(QPageLayout(
        size, fit.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    // A lossy codec would grey the single pixels.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(fit.picture.topLeft(), page);
    if (!painter.end()) return {};
  }
  return pdf;
}

PrintResult printWidget(QWidget& client, const QImage& retained, const QString& title) {
  struct Job {
    QImage image;
    QString title;
    PrintProgress progress;
  };
  auto job = std::make_shared<Job>();
  job->image = clientImage(client, retained);
  job->title = title;
  const auto start = std::chrono::steady_clock::now();
  // The server is asked on a thread of its own so that a hung one cannot freeze the windows.
  std::thread([job, deadline = start + kServerDeadline] {
    const RenderPage render = [&job](const CupsPaper& paper) {
      const QByteArray pdf = pagePdf(job->image, paper, job->title);
      job->image = QImage();
      return pdf.toStdString();
    };
    printOnDefaultDestination(job->title.toStdString(), render, deadline, job->progress);
  }).detach();

  // Painting and the accessibility bus go on meanwhile; the command that prints keeps clicks and
  // keys, as every command does, for after the print.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  // Past the guard a job the server already has is its own, as it is to the worker.
  bool handedOver = false;
  while (!handedOver && !job->progress.ended() && !job->progress.givenUp()) {
    if (std::chrono::steady_clock::now() - start > kGiveUp)
      handedOver = !job->progress.giveUp() && !job->progress.ended();
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  QGuiApplication::restoreOverrideCursor();
  return handedOver ? PrintResult::kOk : job->progress.result();
}

void withdrawGivenUpPrints() {
  withdrawGivenUpJobs(kWithdrawAtExit);
}

}  // namespace henon
