// SPDX-License-Identifier: MIT
#include "windows/form3.h"

#include "windows/form1.h"
#include "windows/forms.h"

namespace henon {

Form3::Form3(Forms& forms)
    : FormWindow("Form3", 9.75, forms.gate, forms.windowSystem), forms_(forms) {
  addMenuItem("mnu2Dts", "2D Time Series", [this] { forms_.plotAndShowMain(); });
  addMenuItem("mnu1Dts", "1D Time Series", [this] { forms_.form1().mnu1Dts_Click(); });
  addPrintItem();
  addMenuItem("mnuClose", "Close", [this] { hide(); });
  placeAtStart();
  setWindowTitle("Histogram");
  surface().setAccessibleName("Histograms");
  surface().setAccessibleDescription(
      "How often x and y fall into each of m equal bins across the view window, x in the left "
      "panel, y in the right.");
}

}  // namespace henon
