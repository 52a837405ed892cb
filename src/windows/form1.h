// SPDX-License-Identifier: MIT
// The main window: the parameter panel, the phase portrait and the commands behind its menu.
#pragma once

#include <array>
#include <optional>

#include "model/params.h"
#include "model/plot_mode.h"
#include "model/pointer_text.h"
#include "windows/form_window.h"

class QLineEdit;

namespace henon {

class Forms;

class Form1 : public FormWindow {
 public:
  explicit Form1(Forms& forms);

  // Run by the other windows as well.
  void mnuPlot_Click();
  void mnu1Dts_Click();

  ParamTexts paramTexts() const;
  bool paramsValid() const { return paramsValid_; }
  const CutOffLimits& limits() const { return limits_; }
  PlotMode plotMode() const { return plotMode_; }
  SeriesName seriesName() const { return seriesName_; }

  std::array<QLineEdit*, 9> Text2{};

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildParameterPanel();
  void buildMenus();
  void buildCutOffMenu();
  void wireMouse();
  // Places the window and fills the parameter panel with the default texts.
  void Form_Load();
  void readParams();
  void holdEdit(std::size_t i, const QString& text);
  // A panel's axes and title, in the frame set for it.
  void plotSeriesAxes(bool xSeries);
  void mnuClear_Click();
  void mnuExit_Click();
  void askLimit(double& limit, const char* prompt, const char* title);
  void writePointer(float x, float y, QLineEdit* xBox, QLineEdit* yBox,
                    const std::optional<DragStart>& start = std::nullopt);
  void Form_MouseDown(int button, int shift, float x, float y);
  void Form_MouseMove(int button, int shift, float x, float y);

  Forms& forms_;
  bool paramsValid_ = false;
  CutOffLimits limits_;
  PlotMode plotMode_ = PlotMode::k2D;
  SeriesName seriesName_ = SeriesName::kXts;
  // The boxes' texts as the commands see them.
  std::array<QString, 9> texts_;
  // Where the last press was: the direction of a drag that the boxes alone cannot tell.
  std::optional<std::array<float, 2>> press_;
};

}  // namespace henon
