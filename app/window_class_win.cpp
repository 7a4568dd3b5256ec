#include "app/dialogs_win.h"
#include "app/resource_ids.h"

namespace vorsant {

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, ClassLook look) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  if (look == ClassLook::kIconAndButtonFace) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VORSANT));
  if (look != ClassLook::kPlain) wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace vorsant
