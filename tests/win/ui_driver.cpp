#include "ui_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace vorsant::driver {

HWND WaitFor(const std::function<HWND()>& find, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 100) {
    if (HWND w = find()) return w;
    Sleep(100);
  }
  return nullptr;
}

bool WaitGone(HWND wnd, int timeoutMs) {
  return WaitUntil([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

namespace {

// EnumChildWindows visits every descendant, not only the children.
BOOL CALLBACK FindUnpaintedChild(HWND w, LPARAM lp) {
  if (IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND w, LPARAM lp) {
  if (!IsWindowVisible(w)) return TRUE;
  if (GetUpdateRect(w, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
  }
  EnumChildWindows(w, FindUnpaintedChild, lp);
  return *reinterpret_cast<bool*>(lp) ? FALSE : TRUE;
}

}  // namespace

bool WaitPainted(int timeoutMs) {
  return WaitUntil(
      [] {
        bool unpainted = false;
        EnumWindows(FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
        return !unpainted;
      },
      timeoutMs);
}

namespace {

struct Search {
  const wchar_t* Class;
  const std::wstring* Caption;
  int Id;
  HWND Found = nullptr;
};

bool Matches(HWND w, const Search& s) {
  wchar_t cls[128] = {};
  GetClassNameW(w, cls, 128);
  if (s.Class && _wcsicmp(cls, s.Class) != 0) return false;
  if (s.Caption && Text(w) != *s.Caption) return false;
  if (s.Id && GetDlgCtrlID(w) != s.Id) return false;
  return true;
}

BOOL CALLBACK VisitTop(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (IsWindowVisible(w) && Matches(w, *s)) {
    s->Found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK VisitChild(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (Matches(w, *s)) {
    s->Found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND w, LPARAM lp) {
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  if (_wcsicmp(cls, L"Static") == 0) {
    std::wstring t = Text(w);
    if (!t.empty()) {
      auto* all = reinterpret_cast<std::wstring*>(lp);
      if (!all->empty()) *all += L"\n";
      *all += t;
    }
  }
  return TRUE;
}

}  // namespace

HWND TopLevel(const wchar_t* cls, const std::wstring& caption) {
  Search s{cls, &caption, 0};
  EnumWindows(VisitTop, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

std::string Describe(HWND w) {
  if (!w) return "no window";
  // InternalGetWindowText sends no message: a hung window cannot stop it.
  wchar_t cls[128] = {}, caption[256] = {};
  GetClassNameW(w, cls, 128);
  InternalGetWindowText(w, caption, 256);
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  return "class " + Utf8(cls) + ", caption \"" + Utf8(caption) + "\", process " + std::to_string(process);
}

namespace {

BOOL CALLBACK PrintTop(HWND w, LPARAM) {
  if (IsWindowVisible(w)) std::printf("  window: %s\n", Describe(w).c_str());
  return TRUE;
}

}  // namespace

HWND WaitForFrame() {
  HWND frame = WaitFor([] { return TopLevel(L"VorsantFrame", L"QEL - VORSANT"); }, 60000);
  if (!frame) {
    std::printf("  no frame window after 60 s; the visible top-level windows:\n");
    EnumWindows(PrintTop, 0);
    std::fflush(stdout);
  }
  return frame;
}

HWND Descendant(HWND parent, const wchar_t* cls, int id) {
  Search s{cls, nullptr, id};
  EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

std::wstring Text(HWND wnd) {
  // WM_GETTEXT, not GetWindowText: the latter does not read controls of
  // another process.
  auto n = SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring t(static_cast<std::size_t>(n) + 1, L'\0');
  n = SendMessageW(wnd, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(t.data()));
  t.resize(static_cast<std::size_t>(n));
  return t;
}

void SetText(HWND wnd, const std::wstring& text) {
  SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TypeChars(HWND wnd, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(wnd, WM_CHAR, c, 1);
}

void Press(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void Command(HWND frame, int commandId) {
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring all;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&all));
  return all;
}

namespace {

bool SaveScreenRect(const std::wstring& path, int x, int y, int w, int h) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
  SelectObject(mem, old);

  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof(bi);
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
  GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi),
            DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER bf{};
  bf.bfType = 0x4D42;
  bf.bfOffBits = sizeof(bf) + sizeof(bi);
  bf.bfSize = bf.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(&bf, sizeof(bf), 1, f) == 1 && fwrite(&bi, sizeof(bi), 1, f) == 1 &&
            fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  fclose(f);
  return ok;
}

}  // namespace

bool SaveScreen(const std::wstring& path) {
  return SaveScreenRect(path, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

bool SaveClientArea(HWND wnd, const std::wstring& path) {
  RECT r{};
  if (!GetClientRect(wnd, &r)) return false;
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  return SaveScreenRect(path, origin.x, origin.y, r.right, r.bottom);
}

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void StrikeCtrl(WORD key) {
  INPUT in[4]{};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
  in[1].ki.wVk = in[2].ki.wVk = key;
  in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

void ClickInto(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

HWND FocusOf(HWND wnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::wstring ReadClipboard() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool WriteClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = false;
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::memcpy(GlobalLock(mem), text.c_str(), bytes);
    GlobalUnlock(mem);
    ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    if (!ok) GlobalFree(mem);
  }
  CloseClipboard();
  return ok;
}

std::wstring StatusText(HWND statusBar) {
  DWORD pid = 0;
  GetWindowThreadProcessId(statusBar, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return {};
  std::wstring text;
  const SIZE_T bytes = 1024 * sizeof(wchar_t);
  if (void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE)) {
    // A simple bar answers for part 0 or for its own id, depending on the system.
    for (WPARAM part : {WPARAM{0}, WPARAM{SB_SIMPLEID}}) {
      if (!text.empty()) break;
      SendMessageW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote));
      std::wstring buffer(1024, L'\0');
      SIZE_T read = 0;
      if (ReadProcessMemory(process, remote, buffer.data(), bytes, &read)) text = buffer.c_str();
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

std::wstring DecimalSeparator() {
  wchar_t sep[8] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8) > 1 ? sep : L".";
}

}  // namespace vorsant::driver
