#include "windows/form3.h"

#include <QAction>

#include "windows/form1.h"
#include "windows/forms.h"

namespace henon {

Form3::Form3(Forms& forms) : FormWindow("Form3", 9.75), forms_(forms) {
  connect(addMenuItem("mnu2Dts", "2D Time Series"), &QAction::triggered, this,
          [this] { forms_.plotAndShowMain(); });
  connect(addMenuItem("mnu1Dts", "1D Time Series"), &QAction::triggered, this,
          [this] { forms_.form1().mnu1Dts_Click(); });
  connect(addMenuItem("mnuPrint", "Print"), &QAction::triggered, this,
          [this] { printWindow(*this, forms_.dialogs); });
  connect(addMenuItem("mnuClose", "Close"), &QAction::triggered, this, [this] { hide(); });
  placeAtStart();
  setWindowTitle("Histogram");
  surface().setAccessibleName("Histogram");
}

}  // namespace henon
