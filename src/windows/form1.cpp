// SPDX-License-Identifier: MIT
#include "windows/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include "model/numeric_text.h"
#include "model/orbit.h"
#include "plot/axes.h"
#include "plot/frames.h"
#include "plot/histo_plot.h"
#include "windows/form2.h"
#include "windows/forms.h"

// The icons are compiled into the window library, and a static library's resources exist only
// once registered.
static void registerIcons() {
  Q_INIT_RESOURCE(henon);
}

namespace henon {
namespace {

struct ParamLayout {
  int textLeft;
  int labelIndex;
  int labelLeft;
  // What the box holds, in plain words: the captions alone mean little to a newcomer.
  const char* hint;
};

constexpr std::array<ParamLayout, 9> kLayout = {{
    {360, 0, 300, "map constant a: the next x is 1 + y minus a times x squared"},
    {1335, 1, 1275, "map constant b: the next y is b times x"},
    {2310, 2, 2250, "start point of the orbit: its x"},
    {3285, 3, 3225, "start point of the orbit: its y"},
    {4260, 4, 4200, "left edge of the view window: x at its bottom-left corner"},
    {5235, 5, 5175, "bottom edge of the view window: y at its bottom-left corner"},
    {6210, 6, 6150, "right edge of the view window: x at its top-right corner"},
    {7185, 9, 7200, "top edge of the view window: y at its top-right corner"},
    {8160, 8, 8160, "number of iterations"},
}};

}  // namespace

Form1::Form1(Forms& forms)
    : FormWindow("Form1", 8.25, forms.gate, forms.windowSystem), forms_(forms) {
  registerIcons();
  QIcon icon(":/henon.png");
  icon.addFile(":/henon-16.png", QSize(16, 16));
  setWindowIcon(icon);
  buildParameterPanel();
  buildMenus();
  wireMouse();
  Form_Load();
}

void Form1::buildParameterPanel() {
  QtSurface& s = surface();
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    const ParamLayout& l = kLayout[i];
    auto* label = new QLabel(kParamCaptions[i], &s);
    label->setObjectName(QString("Label1_%1").arg(l.labelIndex));
    label->setGeometry(twipsToPixels(l.labelLeft), 0, twipsToPixels(975), twipsToPixels(240));
    label->setAutoFillBackground(true);
    label->setStyleSheet("background-color: white; color: black;");
    label->setFocusPolicy(Qt::NoFocus);
    // Labels and boxes are not part of the drawing area: the mouse selection never sees them.
    label->setAttribute(Qt::WA_NoMousePropagation);
    label->setToolTip(l.hint);

    auto* box = new QLineEdit(&s);
    box->setObjectName(QString("Text2_%1").arg(i));
    box->setAccessibleName(kParamCaptions[i]);
    box->setAccessibleDescription(l.hint);
    box->setToolTip(l.hint);
    box->setGeometry(twipsToPixels(l.textLeft), twipsToPixels(240), twipsToPixels(975),
                     twipsToPixels(375));
    box->setAttribute(Qt::WA_NoMousePropagation);
    label->setBuddy(box);
    Text2[i] = box;
    connect(box, &QLineEdit::textChanged, this,
            [this, i](const QString& text) { holdEdit(i, text); });
  }
  for (std::size_t i = 1; i < Text2.size(); ++i) setTabOrder(Text2[i - 1], Text2[i]);
}

void Form1::buildMenus() {
  addMenuItem("mnuPlot", "2D Time Series", [this] { mnuPlot_Click(); });
  addMenuItem("mnu1Dts", "1D Time Series", [this] { mnu1Dts_Click(); });
  buildCutOffMenu();
  addPrintItem();
  addMenuItem("mnuClear", "Clear", [this] { mnuClear_Click(); });
  addMenuItem("mnuExit", "Exit", [this] { mnuExit_Click(); });
}

void Form1::buildCutOffMenu() {
  QMenu* cutOff = menuBar()->addMenu("Cut-off");
  cutOff->setObjectName("mnucutOff");
  cutOff->menuAction()->setObjectName("mnucutOff");
  const auto addLimit = [this, cutOff](const char* name, const char* caption, double& limit,
                                       const char* prompt, const char* title) {
    QAction* a = cutOff->addAction(caption);
    a->setObjectName(name);
    runOnTrigger(a, [this, &limit, prompt, title] { askLimit(limit, prompt, title); });
  };
  addLimit("mnuMaxx", "Maxium x", limits_.escapeXMax, "Enter maxium value for x, then click OK",
           "Specify Maxium x");
  addLimit("mnuMaxy", "Maxium y", limits_.escapeYMax, "Enter maxium value for y, then click OK",
           "Specify Maxium y");
  addLimit("mnuMinx", "Minimun x", limits_.escapeXMin, "Enter minimun value for x, then click OK",
           "Specify Minimun x");
  addLimit("mnuMiny", "Minimun y", limits_.escapeYMin, "Enter minimun value for y, then click OK",
           "Specify Minimun y");
}

void Form1::wireMouse() {
  surface().onMouseDown = [this](int b, int sh, float x, float y) { Form_MouseDown(b, sh, x, y); };
  surface().onMouseMove = [this](int b, int sh, float x, float y) { Form_MouseMove(b, sh, x, y); };
}

// A command reads the boxes more than once. An edit that reaches a box meanwhile from an
// assistive tool is taken back at once and made again after the command; typed keys never reach
// a box inside a command.
void Form1::holdEdit(std::size_t i, const QString& text) {
  if (!forms_.gate.running()) {
    texts_[i] = text;
    return;
  }
  {
    const QSignalBlocker quiet(Text2[i]);
    Text2[i]->setText(texts_[i]);
  }
  forms_.gate.keep([this, i, text] { Text2[i]->setText(text); });
}

// The cut-off limits start at their defaults with the object; the time-series window, created
// by start-up, already has the same size.
void Form1::Form_Load() {
  setWindowTitle("2D Time Series");
  surface().setAccessibleName("Phase portrait");
  surface().setAccessibleDescription(
      "The orbit as points in the x-y plane. A mouse press writes the pointer's place into xbl "
      "and ytr, a drag with the left button into xtr and ybl.");
  placeAtStart();
  for (std::size_t i = 0; i < Text2.size(); ++i)
    Text2[i]->setText(QString::fromStdString(kDefaultParamTexts[i]));
}

ParamTexts Form1::paramTexts() const {
  ParamTexts texts;
  for (std::size_t i = 0; i < Text2.size(); ++i) texts[i] = Text2[i]->text().toStdString();
  return texts;
}

void Form1::readParams() {
  paramsValid_ = henon::readParams(paramTexts(), forms_.shared.params, forms_.dialogs);
}

void Form1::mnuPlot_Click() {
  plotMode_ = PlotMode::k2D;
  surface().Cls();
  setFrameForm1(forms_.shared.frame, surface());
  readParams();
  if (!paramsValid_) return;
  plotAxes2D(surface(), forms_.shared.frame, forms_.shared.params);
  plotOrbit(surface(), forms_.shared.params, limits_, forms_.shared.frame, {plotMode_, seriesName_},
            forms_.dialogs, forms_.gate.pacer());
}

void Form1::mnu1Dts_Click() {
  plotMode_ = PlotMode::k1D;
  Module1& m = forms_.shared;
  QtSurface& s2 = forms_.form2().surface();
  seriesName_ = SeriesName::kXts;
  setFrameLeftPanel(m.frame, m.panel, s2);
  readParams();
  if (!paramsValid_) return;
  plotSeriesAxes(true);
  const PlotFrame left = m.frame;
  PlotFrame right;
  setFrameRightPanel(right, m.panel, s2);
  // Both orbits run at once; the right panel's turn comes when the left one is done. It would
  // read the same texts again, and with them the N the left orbit started from.
  plotSeriesPanels(s2, m.params, limits_, left, right, forms_.dialogs, forms_.gate.pacer(), [&] {
    seriesName_ = SeriesName::kYts;
    m.frame = right;
    plotSeriesAxes(false);
  });
  forms_.form2().showInFront();
}

void Form1::plotSeriesAxes(bool xSeries) {
  Module1& m = forms_.shared;
  QtSurface& s2 = forms_.form2().surface();
  plotAxes1D(s2, m.frame, m.params, seriesName_, xSeries ? "Xn" : "Yn", surface());
  printTitle(s2, m.frame, seriesTitle(m.params, xSeries));
}

void Form1::mnuClear_Click() {
  surface().Cls();
}

void Form1::mnuExit_Click() {
  forms_.End();
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing the main window through its frame ends the program, as Exit does.
  event->accept();
  forms_.End();
}

void Form1::askLimit(double& limit, const char* prompt, const char* title) {
  auto value = toDouble(forms_.dialogs.InputBox(prompt, title));
  if (!value) {
    forms_.dialogs.MsgBox("Invalid number");
    return;
  }
  limit = *value;
}

void Form1::writePointer(float x, float y, QLineEdit* xBox, QLineEdit* yBox,
                         const std::optional<DragStart>& start) {
  const auto texts = pointerTexts(forms_.shared.frame, forms_.shared.params,
                                  surface().twipsPerPixel(), x, y, start);
  if (!texts) return;
  xBox->setText(QString::fromStdString(texts->x));
  yBox->setText(QString::fromStdString(texts->y));
}

void Form1::Form_MouseDown(int, int, float x, float y) {
  press_ = {x, y};
  writePointer(x, y, Text2[kBoxXbl], Text2[kBoxYtr]);
}

void Form1::Form_MouseMove(int button, int, float x, float y) {
  if (button != 1) return;
  // The corner the drag writes stays on its own side of the one written at the press.
  const auto [pressX, pressY] = press_.value_or(std::array{x, y});
  writePointer(x, y, Text2[kBoxXtr], Text2[kBoxYbl],
               DragStart{pressX, pressY, toDouble(Text2[kBoxXbl]->text().toStdString()),
                         toDouble(Text2[kBoxYtr]->text().toStdString())});
}

}  // namespace henon
