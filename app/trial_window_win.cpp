#include "app/trial_window_win.h"

#include <algorithm>
#include <array>
#include <exception>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/main_window_win.h"
#include "app/owned_window_win.h"
#include "app/report_font_win.h"
#include "app/resource_ids.h"
#include "app/win_handles.h"
#include "graphs/trial_graph.h"

namespace vorsant {
namespace {

constexpr wchar_t kTrialClass[] = L"VorsantTrialWindow";
constexpr int kOuterWidth = 507;
constexpr int kOuterHeight = 590;
constexpr int kRangeX = 474;
constexpr int kRangeY = 852;
constexpr int kLineStep = 10;
constexpr RECT kMemo1{0, -5, 217, 195};
constexpr RECT kGraph{223, 0, 223 + kTrialGraphWidth, kTrialGraphHeight};
constexpr RECT kMemo2{0, 201, 473, 881};

std::wstring JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return Widen(text);
}

void SetPanelText(HWND memo, const std::vector<std::string>& lines) {
  SendMessageW(memo, WM_SETREDRAW, FALSE, 0);
  SetWindowTextW(memo, JoinLines(lines).c_str());
  SendMessageW(memo, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(memo, nullptr, TRUE);
}

HWND MakeChild(HWND parent, const wchar_t* cls, DWORD style, int id) {
  return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

void Place(HWND child, const RECT& r) {
  MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

}  // namespace

void TrialWindow::RegisterClass(HINSTANCE instance) {
  RegisterWindowClass(instance, kTrialClass, BoundWindowProc<WindowKind::MdiChild>,
                      ClassLook::kIconAndButtonFace);
}

TrialWindow::~TrialWindow() {
  if (Handle()) DetachPictureBox(graph_);
  Destroy();
}

TrialWindow* TrialWindow::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (wcscmp(cls, kTrialClass) != 0) return nullptr;
  return static_cast<TrialWindow*>(reinterpret_cast<ProgramWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)));
}

bool TrialWindow::Create(HWND mdiClient) {
  mdiClient_ = mdiClient;
  std::wstring caption = Widen(child_.Caption);
  MDICREATESTRUCTW mcs{};
  mcs.szClass = kTrialClass;
  mcs.szTitle = caption.c_str();
  mcs.hOwner = GetModuleHandleW(nullptr);
  mcs.x = child_.Left;
  mcs.y = child_.Top;
  DpiScale px(mdiClient);
  mcs.cx = px(kOuterWidth);
  mcs.cy = px(kOuterHeight);
  mcs.style = WS_HSCROLL | WS_VSCROLL;
  mcs.lParam = reinterpret_cast<LPARAM>(CreationParam());
  SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs));
  return Handle() != nullptr;
}

void TrialWindow::Destroy() {
  if (const HWND wnd = Release()) SendMessageW(mdiClient_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(wnd), 0);
}

void TrialWindow::UpdateCaption() {
  if (Handle()) SetWindowTextUtf8(Handle(), child_.Caption);
}

void TrialWindow::ShowReport(const ReportLines& report) {
  SetPanelText(memo2_, report.Memo2);
  SetPanelText(memo1_, report.Memo1);
  DrawGraphPicture();
}

void TrialWindow::DrawGraphPicture() {
  WindowDc screen(graph_);
  DpiScale px(dpi_);
  auto picture = std::make_unique<OffscreenBitmap>(screen.Get(), px(kTrialGraphWidth), px(kTrialGraphHeight));
  GdiCanvas canvas(picture->Dc(), dpi_);
  DrawGraph(canvas, child_.WineClass.WineRec, kTrialGraphWidth, kTrialGraphHeight,
            FromColorRef(GetSysColor(COLOR_BTNFACE)));
  picture_ = std::move(picture);
  InvalidateRect(graph_, nullptr, FALSE);
}

void TrialWindow::OnCreate() {
  memo1_ = MakeChild(Handle(), L"EDIT", ES_MULTILINE | ES_READONLY | ES_CENTER, IDC_MEMO1);
  graph_ = CreatePictureBox(Handle(), IDC_GRAPH, *this);
  memo2_ = MakeChild(Handle(), L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL, IDC_MEMO2);
  LayOut();
}

void TrialWindow::LayOut() {
  dpi_ = WindowDpi(Handle());
  DpiScale px(dpi_);
  memoFont_.Reset(CreateReportFont(Handle()));
  Place(memo1_, px(kMemo1));
  Place(graph_, px(kGraph));
  Place(memo2_, px(kMemo2));
  for (HWND memo : {memo1_, memo2_})
    SendMessageW(memo, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_.Get()), 0);
}

void TrialWindow::OnDpiChanged() {
  const UINT old = dpi_;
  if (WindowDpi(Handle()) == old) return;
  // The panels are placed from the top-left corner again, then scrolled.
  ScrollTo(SB_HORZ, 0);
  ScrollTo(SB_VERT, 0);
  LayOut();
  RECT r{};
  GetWindowRect(Handle(), &r);
  SetWindowPos(Handle(), nullptr, 0, 0, MulDiv(r.right - r.left, static_cast<int>(dpi_), static_cast<int>(old)),
               MulDiv(r.bottom - r.top, static_cast<int>(dpi_), static_cast<int>(old)),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  OnSize();
  if (picture_) DrawGraphPicture();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TrialWindow::OnScroll(int bar, WPARAM wp) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), bar, &si);
  int pos = si.nPos;
  switch (LOWORD(wp)) {
    case SB_LINEUP:
      pos -= ScaleToDpi(kLineStep, dpi_);
      break;
    case SB_LINEDOWN:
      pos += ScaleToDpi(kLineStep, dpi_);
      break;
    case SB_PAGEUP:
      pos -= static_cast<int>(si.nPage);
      break;
    case SB_PAGEDOWN:
      pos += static_cast<int>(si.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = si.nMin;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
  }
  ScrollTo(bar, pos);
}

void TrialWindow::ScrollTo(int bar, int pos) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE;
  GetScrollInfo(Handle(), bar, &si);
  const int maxPos = std::max(0, si.nMax - static_cast<int>(si.nPage) + 1);
  pos = std::clamp(pos, 0, maxPos);
  int& current = bar == SB_HORZ ? scrollX_ : scrollY_;
  const int delta = current - pos;
  SetScrollPos(Handle(), bar, pos, TRUE);
  if (delta == 0) return;
  current = pos;
  ScrollWindowEx(Handle(), bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr,
                 nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void TrialWindow::OnSize() {
  // Showing or hiding one bar resizes the client area again (and sends a
  // WM_SIZE of its own), so each page is taken from the client area as it
  // is at that moment.
  for (const int bar : {SB_HORZ, SB_VERT}) {
    RECT client{};
    GetClientRect(Handle(), &client);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMax = ScaleToDpi(bar == SB_HORZ ? kRangeX : kRangeY, dpi_) - 1;
    si.nPage = static_cast<UINT>(bar == SB_HORZ ? client.right : client.bottom);
    SetScrollInfo(Handle(), bar, &si, TRUE);
  }
  // A larger page can leave the position past the end of the new range, or
  // the bar hidden with the panels still shifted: bring both back in step.
  ScrollTo(SB_HORZ, scrollX_);
  ScrollTo(SB_VERT, scrollY_);
}

LRESULT TrialWindow::DefaultHandling(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefMDIChildProcW(wnd, msg, wp, lp);
}

LRESULT TrialWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      break;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) OnSize();
      break;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, wp);
      return 0;
    case WM_VSCROLL:
      OnScroll(SB_VERT, wp);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      // The close query decides; the frame destroys the window if it may go.
      main_.CloseRequested(*this);
      return 0;
    case WM_MDIACTIVATE:
      main_.ChildActivated();
      break;
    case WM_DPICHANGED_AFTERPARENT:
      OnDpiChanged();
      return 0;
  }
  return DefaultHandling(Handle(), msg, wp, lp);
}

void TrialWindow::PaintPicture(HDC dc, const RECT& dirty) {
  PaintBitmapOrFace(dc, dirty, picture_.get());
}

}  // namespace vorsant
