// The procedure that the program's OK/Cancel dialogs share: each dialog
// supplies only how it fills its boxes and what its OK button checks.

#include "app/dialogs_win.h"
#include "app/owned_window_win.h"

namespace vorsant {
namespace {

struct Handlers {
  const std::function<void(HWND)>* Init;
  const std::function<bool(HWND)>* Accept;
  const std::function<void(HWND, int)>* Command;
};

INT_PTR CALLBACK OkCancelProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      (*reinterpret_cast<Handlers*>(lp)->Init)(dlg);
      return TRUE;
    }
    auto* handlers = reinterpret_cast<Handlers*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (handlers && msg == WM_COMMAND) {
      switch (LOWORD(wp)) {
        case IDOK:
          if ((*handlers->Accept)(dlg)) EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        default:
          if (*handlers->Command && HIWORD(wp) == BN_CLICKED) {
            (*handlers->Command)(dlg, LOWORD(wp));
            return TRUE;
          }
      }
    }
  } catch (...) {
    // Nothing may leave a dialog procedure: the user is told, and a dialog
    // that failed is a Cancel.
    ShowUnexpected(dlg, std::current_exception());
    EndDialog(dlg, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

bool RunOkCancelDialog(HWND owner, int templateId, const std::function<void(HWND)>& init,
                       const std::function<bool(HWND)>& accept,
                       const std::function<void(HWND, int id)>& command) {
  Handlers handlers{&init, &accept, &command};
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, OkCancelProc,
                         reinterpret_cast<LPARAM>(&handlers)) == IDOK;
}

}  // namespace vorsant
