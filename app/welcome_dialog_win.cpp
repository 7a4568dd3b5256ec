#include "app/dialogs_win.h"
#include "app/resource_ids.h"

namespace vorsant {
namespace {

INT_PTR CALLBACK WelcomeProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* openStart = reinterpret_cast<bool*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_OPEN_EXISTING:
          *openStart = true;
          EndDialog(dlg, IDOK);
          return TRUE;
        case IDC_BEGIN_NEW:
          *openStart = false;
          EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL:  // the close box
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunWelcomeDialog(HWND owner) {
  bool openStart = false;
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WELCOME), owner, WelcomeProc,
                  reinterpret_cast<LPARAM>(&openStart));
  return openStart;
}

}  // namespace vorsant
