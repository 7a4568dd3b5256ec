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

INT_PTR CALLBACK ComDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* portNumber = reinterpret_cast<int*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      portNumber = reinterpret_cast<int*>(lp);
      CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
      // A stored port outside 1 to 9 leaves every button unchecked.
      if (*portNumber >= 1 && *portNumber <= kPortCount)
        CheckRadioButton(dlg, ButtonId(1), ButtonId(kPortCount), ButtonId(*portNumber));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          *portNumber = 0;
          for (int n = 1; n <= kPortCount; ++n)
            if (IsDlgButtonChecked(dlg, ButtonId(n)) == BST_CHECKED) *portNumber = n;
          EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunComDialog(HWND owner, int& portNumber) {
  int chosen = portNumber;
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COM), owner, ComDialogProc,
                      reinterpret_cast<LPARAM>(&chosen)) != IDOK)
    return false;
  portNumber = chosen;
  return true;
}

}  // namespace vorsant
