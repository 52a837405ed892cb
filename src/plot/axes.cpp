// SPDX-License-Identifier: MIT
#include "plot/axes.h"

#include "model/numeric_text.h"

namespace henon {

void printAt(DrawingSurface& s, double x, double y, const std::string& text) {
  s.CurrentX = x;
  s.CurrentY = y;
  s.Print(text);
}

void drawAxes(DrawingSurface& s, const PlotFrame& f) {
  s.Line(f.frameLeft, f.frameBottom, f.frameRight, f.xAxisY);
  s.Line(f.frameLeft, f.frameBottom, f.yAxisX, f.frameTop);
}

void printTitle(DrawingSurface& s, const PlotFrame& f, const std::string& text) {
  printAt(s, f.frameLeft + ((f.frameRight - f.frameLeft) - s.TextWidth(text)) / 2, f.frameTop - 200,
          text);
}

void printYLabel(DrawingSurface& s, const PlotFrame& f, const std::string& text) {
  printAt(s, f.frameLeft - s.TextWidth(text) / 2, f.frameTop - 300, text);
}

void printXLabel(DrawingSurface& s, const PlotFrame& f, const std::string& text) {
  printAt(s, f.frameRight + 150, f.xAxisY - s.TextHeight(text) / 2, text);
}

void plotAxes2D(DrawingSurface& s, const PlotFrame& f, const MapParams& p) {
  const auto [xblText, xtrText] = formatBounds(p.xbl, p.xtr);
  const auto [yblText, ytrText] = formatBounds(p.ybl, p.ytr);
  printAt(s, f.frameLeft - 130 - s.TextWidth(yblText), f.frameBottom - s.TextHeight(yblText) / 2,
          yblText);
  printAt(s, f.frameLeft - 130 - s.TextWidth(ytrText), f.frameTop - s.TextHeight(ytrText) / 2,
          ytrText);
  printAt(s, f.frameLeft - s.TextWidth(xblText) / 2, f.frameBottom + 100, xblText);
  printAt(s, f.frameRight - s.TextWidth(xtrText), f.xAxisY + 100, xtrText);
  drawAxes(s, f);
  printYLabel(s, f, "Yn");
  printXLabel(s, f, "Xn");
}

void plotAxes1D(DrawingSurface& s, const PlotFrame& f, const MapParams& p, SeriesName seriesName,
                const std::string& yName, const DrawingSurface& mainWindow) {
  const bool xs = seriesName == SeriesName::kXts;
  const auto [low, high] = xs ? formatBounds(p.xbl, p.xtr) : formatBounds(p.ybl, p.ytr);
  printAt(s, f.frameLeft - 50 - s.TextWidth(low), f.frameBottom - mainWindow.TextHeight(low), low);
  printAt(s, f.frameLeft - 50 - s.TextWidth(high), f.frameTop, high);
  printAt(s, f.frameLeft, f.frameBottom + 60, "0");
  printAt(s, f.frameRight - s.TextWidth("N") / 2, f.xAxisY + 60, "N");
  drawAxes(s, f);
  printYLabel(s, f, yName);
}

}  // namespace henon
