#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/dialogs_win.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

// "description|pattern|..." becomes the double-zero-terminated list the
// common dialogs take.
std::wstring FilterList(const std::string& filter) {
  std::wstring list = Widen(filter);
  for (wchar_t& c : list)
    if (c == L'|') c = L'\0';
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

bool RunFileDialog(HWND owner, FileDialogState& dialog, bool save) {
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring name = Widen(dialog.FileName);
  name.copy(file.data(), file.size() - 1);
  std::wstring filter = FilterList(dialog.Filter);
  std::wstring initialDir = Widen(dialog.InitialDir);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  // No existence or overwrite checks here: the commands ask their own
  // questions with their own texts.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return false;
  dialog.FileName = Narrow(file.data());
  return true;
}

}  // namespace vorsant
