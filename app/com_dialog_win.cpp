// TCOMDlg: the nine COM ports, one radio button each.

#include "app/dialogs_win.h"
#include "app/resource_ids.h"
#include "app/scale_windows_win.h"

namespace vorsant {
namespace {

constexpr int kPortCount = 9;

int ButtonId(int portNumber) {
  return IDC_COM1 + portNumber - 1;
}

}  // namespace

bool RunComDialog(HWND owner, int& portNumber) {
  const auto init = [&portNumber](HWND dlg) {
    CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
    // A stored port outside 1 to 9 leaves every button unchecked.
    if (portNumber >= 1 && portNumber <= kPortCount)
      CheckRadioButton(dlg, ButtonId(1), ButtonId(kPortCount), ButtonId(portNumber));
  };
  int chosen = 0;
  const auto accept = [&chosen](HWND dlg) {
    for (int n = 1; n <= kPortCount; ++n)
      if (IsDlgButtonChecked(dlg, ButtonId(n)) == BST_CHECKED) chosen = n;
    return true;
  };
  if (!RunOkCancelDialog(owner, IDD_COM, init, accept)) return false;
  portNumber = chosen;
  return true;
}

}  // namespace vorsant
