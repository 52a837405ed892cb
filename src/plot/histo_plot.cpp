// SPDX-License-Identifier: MIT
#include "plot/histo_plot.h"

#include <cmath>

#include "model/numeric_text.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "surface/batch.h"

namespace henon {

std::string seriesTitle(const MapParams& p, bool xSeries) {
  return "a=" + formatGeneral(p.a) + ", b=" + formatGeneral(p.b) +
         (xSeries ? ", x0=" + formatGeneral(p.x0) : ", y0=" + formatGeneral(p.y0)) +
         ", n=" + std::to_string(p.N);
}

std::string histoTitle(const HistoState& h, const MapParams& p) {
  return seriesTitle(p, h.histoCoord == HistoCoord::kX) + ", m=" + std::to_string(h.m);
}

namespace {

// A bin width in map units as a bar width in window units.
double barWidth(const PlotFrame& f, double binWidth, double low, double high) {
  return (f.frameRight - f.frameLeft) * binWidth / (high - low);
}

}  // namespace

void setBarWidths(HistoState& h, const MapParams& p, const PlotFrame& f) {
  // A rejected read can leave an empty or inverted window: its widths must not be divided by
  // zero.
  if (p.xtr > p.xbl) h.xBinWidth = barWidth(f, h.xBinWidth, p.xbl, p.xtr);
  if (p.ytr > p.ybl) h.yBinWidth = barWidth(f, h.yBinWidth, p.ybl, p.ytr);
}

void plotHisto(DrawingSurface& window, std::int16_t inset, const HistoState& h, const MapParams& p,
               const PlotFrame& f) {
  const bool xPanel = h.histoCoord == HistoCoord::kX;
  const auto [lowText, highText] = xPanel ? formatBounds(p.xbl, p.xtr) : formatBounds(p.ybl, p.ytr);
  drawAxes(window, f);
  printYLabel(window, f, "N");
  printXLabel(window, f, xPanel ? "X" : "Y");
  printTitle(window, f, histoTitle(h, p));
  printAt(window, f.frameLeft, f.frameBottom + 50, lowText);
  printAt(window, f.frameRight - inset - window.TextWidth(highText) / 2, f.frameBottom + 50,
          highText);

  printAt(window, f.frameLeft - 50 - window.TextWidth("0"), f.frameBottom - window.TextHeight("0"),
          "0");
  const std::string t = std::to_string(h.maxN);
  // A number prints with a blank on either side; its place is reckoned without them.
  printAt(window, f.frameLeft - window.TextWidth(t) - 100,
          f.frameTop + inset - window.TextHeight(t) / 2, " " + t + " ");
  window.Line(f.frameRight - inset, f.frameBottom + 20, f.frameRight - inset, f.frameBottom - 30);
  window.Line(f.frameLeft - 20, f.frameTop + inset, f.frameLeft + 30, f.frameTop + inset);

  // A rejected read can leave an empty or inverted window, in which nothing was counted.
  if (!(p.xtr > p.xbl) || !(p.ytr > p.ybl) || h.maxN <= 0) return;
  const double bar =
      xPanel ? barWidth(f, h.xBinWidth, p.xbl, p.xtr) : barWidth(f, h.yBinWidth, p.ybl, p.ytr);
  if (!(bar > 0) || !std::isfinite(bar)) return;
  const HistoCounts& counts = xPanel ? h.xCount : h.yCount;
  BoxBatch bars(window);
  for (std::int32_t i = 0; i < h.m && static_cast<std::size_t>(i) < counts.size(); ++i) {
    double top = f.frameBottom - counts[i] * ((f.frameBottom - f.frameTop) + inset) / h.maxN;
    bars.add({f.frameLeft + i * bar, top, f.frameLeft + (i + 1) * bar, f.frameBottom});
  }
}

void plotHistoPanels(DrawingSurface& window, const DrawingSurface& form2, const PanelMetrics& pm,
                     PlotFrame& frame, HistoState& h, const MapParams& p, Pacer* pacer) {
  constexpr std::int16_t inset = 100;
  h.histoCoord = HistoCoord::kX;
  setFrameLeftPanel(frame, pm, form2);
  collectHisto(h, p, pacer);
  plotHisto(window, inset, h, p, frame);
  // Both panels show the same orbit's counts.
  h.histoCoord = HistoCoord::kY;
  setFrameRightPanel(frame, pm, form2);
  plotHisto(window, inset, h, p, frame);
  setBarWidths(h, p, frame);
}

}  // namespace henon
