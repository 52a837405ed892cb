// SPDX-License-Identifier: MIT
#include "windows/form2.h"

#include "plot/histo_plot.h"
#include "windows/form1.h"
#include "windows/form3.h"
#include "windows/forms.h"

namespace henon {

Form2::Form2(Forms& forms)
    : FormWindow("Form2", 9.75, forms.gate, forms.windowSystem), forms_(forms) {
  addMenuItem("mnuHisto", "Histogram", [this] { mnuHisto_Click(); });
  addMenuItem("mnu2Dts", "2D Time Series", [this] { forms_.plotAndShowMain(); });
  addPrintItem();
  addMenuItem("mnuClose", "Close", [this] { hide(); });
  placeAtStart();
  setWindowTitle("1D Time Series");
  surface().setAccessibleName("Time series");
  surface().setAccessibleDescription(
      "x and y of the orbit against the iteration number, x in the left panel, y in the right.");
}

void Form2::mnuHisto_Click() {
  enterM(histo_, forms_.dialogs);
  enterMaxN(histo_, forms_.dialogs);
  if (histo_.m == 0) return;
  Module1& m = forms_.shared;
  Form3& form3 = forms_.form3();
  plotHistoPanels(form3.surface(), surface(), m.panel, m.frame, histo_, m.params,
                  forms_.gate.pacer());
  form3.showInFront();
}

}  // namespace henon
