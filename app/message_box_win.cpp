#include "app/dialogs_win.h"
#include "app/win_handles.h"

namespace vorsant {

MessageAnswer RunMessageBox(HWND owner, const std::string& text, MessageIcon icon, MessageButtons buttons,
                            MessageAnswer defaultButton) {
  UINT flags = MB_SETFOREGROUND;
  const wchar_t* caption = L"Information";
  switch (icon) {
    case MessageIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MessageIcon::Warning:
      flags |= MB_ICONWARNING;
      caption = L"Warning";
      break;
    case MessageIcon::Error:
      flags |= MB_ICONERROR;
      caption = L"Error";
      break;
    case MessageIcon::Question:
      flags |= MB_ICONQUESTION;
      caption = L"Confirm";
      break;
  }
  switch (buttons) {
    case MessageButtons::Ok:
      flags |= MB_OK;
      break;
    case MessageButtons::OkCancel:
      flags |= MB_OKCANCEL | (defaultButton == MessageAnswer::Cancel ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
      break;
    case MessageButtons::YesNo:
      flags |= MB_YESNO | (defaultButton == MessageAnswer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
      break;
    case MessageButtons::YesNoCancel:
      flags |= MB_YESNOCANCEL | (defaultButton == MessageAnswer::No       ? MB_DEFBUTTON2
                                 : defaultButton == MessageAnswer::Cancel ? MB_DEFBUTTON3
                                                                          : MB_DEFBUTTON1);
      break;
  }
  switch (MessageBoxW(owner, Widen(text).c_str(), caption, flags)) {
    case IDOK:
      return MessageAnswer::Ok;
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    default:
      // Closing a Yes/No box is not possible; elsewhere it means Cancel.
      return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
}

}  // namespace vorsant
