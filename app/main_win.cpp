// vorsant.exe: the filtration-trial program. `vorsant.exe FILE.vrs` opens
// that trial at start instead of offering the welcome choice.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/dialogs_win.h"
#include "app/main_window_win.h"
#include "app/trial_window_win.h"

namespace {

std::string StartFile() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string file;
  if (argv && argc >= 2) {
    wchar_t full[MAX_PATH * 4] = {};
    DWORD n = GetFullPathNameW(argv[1], MAX_PATH * 4, full, nullptr);
    file = vorsant::Narrow(n > 0 && n < MAX_PATH * 4 ? full : argv[1]);
  }
  if (argv) LocalFree(argv);
  return file;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  vorsant::RegisterProductPanel(instance);
  vorsant::TrialWindow::RegisterClass(instance);

  vorsant::MainWindow window(instance);
  if (!window.Start(StartFile(), showCommand)) return 1;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.TranslateShortcut(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
