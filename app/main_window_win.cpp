#include "app/main_window_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

#include "app/compare_window_win.h"
#include "app/data_dialog_win.h"
#include "app/dpi_win.h"
#include "app/dialogs_win.h"
#include "app/fouling_commands.h"
#include "app/fouling_window_win.h"
#include "app/graph_windows_win.h"
#include "app/menu_bar_win.h"
#include "app/owned_window_win.h"
#include "app/resource_ids.h"
#include "app/units_setting.h"
#include "app/verdict_status.h"
#include "fouling/verdict.h"

namespace vorsant {
namespace {

constexpr wchar_t kFrameClass[] = L"VorsantFrame";
constexpr wchar_t kCaption[] = L"QEL - VORSANT";
constexpr int kClientWidth = 554;
constexpr int kClientHeight = 651;
constexpr int kMinFrameWidth = 480, kMinFrameHeight = 360;
// The toolbar's band and its square buttons, at 100 %.
constexpr int kToolbarHeight = 30;
constexpr int kToolButtonSize = 24;
constexpr int kToolbarSeparator = 8;
constexpr UINT kWelcomeMessage = WM_APP + 1;
// Posted when the active trial or its data may have changed: the status bar's
// verdict follows once the change has settled.
constexpr UINT kVerdictMessage = WM_APP + 2;

struct ToolButton {
  CommandId Id;  // 0: separator
};
constexpr std::array<ToolButton, 7> kToolButtons{{{kCmdFileNew},
                                                  {kCmdFileOpen},
                                                  {kCmdFileSave},
                                                  {CommandId(0)},
                                                  {kCmdWindowCascade},
                                                  {kCmdWindowTileHorizontal},
                                                  {kCmdWindowTileVertical}}};

std::string_view MenuItemHint(const ActionInfo& a) {
  return a.MenuHint.empty() ? a.Hint : a.MenuHint;
}

// A text box whose keys belong to it: one the user can type into, or any
// box of a window other than the frame (the models table, whose text is
// there to be selected and copied). There Ctrl+C, Ctrl+X, Ctrl+V and Ctrl+A
// edit text; the trial window's read-only report keeps the frame's keys.
bool KeysBelongToBox(HWND focus, HWND frame) {
  wchar_t cls[16] = {};
  if (!focus || !GetClassNameW(focus, cls, 16) || _wcsicmp(cls, L"Edit") != 0) return false;
  const bool editable = !(GetWindowLongPtrW(focus, GWL_STYLE) & ES_READONLY);
  return editable || GetAncestor(focus, GA_ROOT) != frame;
}

// Ctrl+C (or Ctrl+Insert) in a text box with text selected copies it, even in
// the trial's report; without a selection the key stays Collect New Data.
bool IsCopyOfSelection(const MSG& msg, HWND focus) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != 'C' && msg.wParam != VK_INSERT)) return false;
  if (GetKeyState(VK_CONTROL) >= 0 || msg.hwnd != focus) return false;
  wchar_t cls[16] = {};
  if (!focus || !GetClassNameW(focus, cls, 16) || _wcsicmp(cls, L"Edit") != 0) return false;
  DWORD start = 0, end = 0;
  SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start != end;
}

HACCEL BuildExtraKeys() {
  ACCEL open{};
  open.fVirt = FVIRTKEY | FCONTROL;
  open.key = 'O';
  open.cmd = static_cast<WORD>(kCmdFileOpen);
  return CreateAcceleratorTableW(&open, 1);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), form_(*this) {}

MainWindow::~MainWindow() {
  DestroyTrialViews();
  if (images_) ImageList_Destroy(images_);
}

bool MainWindow::Start(const std::string& startFile, int showCommand) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = BoundWindowProc<>;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_VORSANT));
  wc.hIconSm =
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VORSANT), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassExW(&wc);
  accelerators_.Reset(BuildAccelerators());
  extraKeys_.Reset(BuildExtraKeys());

  // The frame owns the menu once it is created; until then it is ours.
  UniqueMenu menu(BuildMenuBar());
  if (!CreateWindowExW(WS_EX_ACCEPTFILES, kFrameClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       CW_USEDEFAULT, CW_USEDEFAULT, 600, 700, nullptr, menu.Get(), instance_, CreationParam()))
    return false;
  menu.Release();
  form_.RecentStore = &recentStore_;
  form_.BalanceStore = &balanceStore_;
  DpiScale px(Handle());
  SetClientSize(Handle(), px(kClientWidth), px(kClientHeight));
  // At a large scale on a small screen the frame takes the work area.
  const RECT work = OwnedWindow::WorkArea(Handle());
  RECT r{};
  GetWindowRect(Handle(), &r);
  if (r.right - r.left > work.right - work.left || r.bottom - r.top > work.bottom - work.top) {
    SetWindowPos(Handle(), nullptr, 0, 0, std::min<int>(r.right - r.left, work.right - work.left),
                 std::min<int>(r.bottom - r.top, work.bottom - work.top), SWP_NOMOVE | SWP_NOZORDER);
  }
  CenterWindow(Handle(), nullptr);
  scale_ = std::make_unique<ScaleWindows>(form_, Handle());

  if (!form_.StartUp(startFile)) {
    DestroyWindow(Handle());
    return false;
  }
  started_ = true;
  UpdateToolbar();
  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
  // The first activation may have come before start-up finished.
  PostMessageW(Handle(), kWelcomeMessage, 0, 0);
  return true;
}

bool MainWindow::TranslateShortcut(MSG& msg) {
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && KeysBelongToBox(GetFocus(), Handle()))
    return false;
  if (IsCopyOfSelection(msg, GetFocus())) return false;
  // Ctrl+O opens a trial; it is no menu item's shortcut, so it has a table
  // of its own.
  if (Handle() && extraKeys_ && TranslateAcceleratorW(Handle(), extraKeys_.Get(), &msg)) return true;
  if (mdiClient_ && TranslateMDISysAccel(mdiClient_, &msg)) return true;
  return Handle() && accelerators_ && TranslateAcceleratorW(Handle(), accelerators_.Get(), &msg);
}

void MainWindow::DestroyTrialViews() {
  for (const auto& child : form_.Windows()) child->View.reset();
}

LRESULT MainWindow::DefaultHandling(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefFrameProcW(wnd, mdiClient_, msg, wp, lp);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && started_) PostMessageW(Handle(), kWelcomeMessage, 0, 0);
      break;
    case kWelcomeMessage:
      if (started_) form_.Welcome();
      return 0;
    case kVerdictMessage:
      ShowVerdictLine();
      return 0;
    case WM_GETMINMAXINFO: {
      // Small enough for any screen, large enough that a trial window still
      // shows its summary and a part of its table.
      DpiScale px(Handle());
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = px(kMinFrameWidth);
      info->ptMinTrackSize.y = px(kMinFrameHeight);
      return 0;
    }
    case WM_COMMAND: {
      auto id = static_cast<CommandId>(LOWORD(wp));
      int recent = static_cast<int>(LOWORD(wp)) - kCmdRecentTrial1;
      // A notice lasts until the user's next command.
      if (!notice_.empty() &&
          (FindAction(id) || (recent >= 0 && recent < static_cast<int>(kRecentTrialCount)))) {
        notice_.clear();
        ShowVerdictLine();
      }
      if (recent >= 0 && recent < static_cast<int>(kRecentTrialCount)) {
        form_.OpenRecentExecute(static_cast<std::size_t>(recent));
        UpdateToolbar();
        return 0;
      }
      if (FindAction(id)) {
        form_.Execute(id);
        UpdateToolbar();
        return 0;
      }
      break;
    }
    case WM_INITMENUPOPUP:
      UpdateMenu(reinterpret_cast<HMENU>(wp));
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mi->CtlType == ODT_MENU) {
        mi->itemWidth = static_cast<UINT>(imageSize_);
        mi->itemHeight = static_cast<UINT>(imageSize_);
        return TRUE;
      }
      break;
    }
    case WM_DPICHANGED:
      MoveToSuggestedRect(Handle(), lp);
      ApplyDpi();
      OnSize();
      return 0;
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (di->CtlType == ODT_MENU) {
        const ActionInfo* a = FindAction(static_cast<CommandId>(di->itemID));
        if (a && a->ImageIndex >= 0)
          ImageList_Draw(images_, a->ImageIndex, di->hDC, di->rcItem.left, di->rcItem.top + 1,
                         (di->itemState & ODS_DISABLED) ? ILD_BLEND50 : ILD_TRANSPARENT);
        return TRUE;
      }
      break;
    }
    case WM_NOTIFY:
      OnNotify(reinterpret_cast<NMHDR*>(lp));
      return 0;
    case WM_CLOSE:
      if (form_.CloseQuery()) {
        DestroyTrialViews();
        DestroyWindow(Handle());
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefaultHandling(Handle(), msg, wp, lp);
}

namespace {

// The toolbar's pictures drawn for the nearest scale at or below `dpi`, so
// they stay sharp: 16 pixels at 100 %, 24 at 150 %, 32 at 200 %.
int ToolbarImageSize(UINT dpi) {
  return dpi >= 192 ? 32 : dpi >= 144 ? 24 : 16;
}

}  // namespace

void MainWindow::ApplyDpi() {
  DpiScale px(Handle());
  uiFont_.Reset(CreateFontW(-px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  if (statusBar_) SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.Get()), TRUE);

  imageSize_ = ToolbarImageSize(px.Dpi());
  const int strip = imageSize_ == 32 ? IDB_TOOLBAR32 : imageSize_ == 24 ? IDB_TOOLBAR24 : IDB_TOOLBAR;
  HIMAGELIST images = ImageList_Create(imageSize_, imageSize_, ILC_COLOR24 | ILC_MASK, 6, 0);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(strip), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ImageList_AddMasked(images, bitmap, RGB(255, 0, 255));
  DeleteObject(bitmap);
  if (toolbar_) {
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(px(kToolButtonSize), px(kToolButtonSize)));
  }
  if (images_) ImageList_Destroy(images_);
  images_ = images;
  toolbarHeight_ = px(kToolbarHeight);
}

void MainWindow::OnCreate() {
  ApplyDpi();
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                 CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, 0, ScaleToDpi(kClientWidth, WindowDpi(Handle())), toolbarHeight_, Handle(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)), instance_, nullptr);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  std::array<TBBUTTON, kToolButtons.size()> buttons{};
  for (std::size_t i = 0; i < kToolButtons.size(); ++i) {
    TBBUTTON& b = buttons[i];
    if (kToolButtons[i].Id == 0) {
      b.iBitmap = ScaleToDpi(kToolbarSeparator, WindowDpi(Handle()));
      b.fsStyle = BTNS_SEP;
      continue;
    }
    b.iBitmap = FindAction(kToolButtons[i].Id)->ImageIndex;
    b.idCommand = kToolButtons[i].Id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
  }
  SendMessageW(toolbar_, TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  const int button = ScaleToDpi(kToolButtonSize, WindowDpi(Handle()));
  SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(button, button));

  statusBar_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)), instance_, nullptr);
  SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.Get()), 0);
  SendMessageW(statusBar_, SB_SIMPLE, TRUE, 0);

  CLIENTCREATESTRUCT ccs{};
  ccs.idFirstChild = IDM_FIRST_CHILD;
  mdiClient_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0, Handle(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MDI_CLIENT)), instance_, &ccs);

  // Menu items show the toolbar's pictures, drawn from the same image list.
  HMENU menu = GetMenu(Handle());
  for (const ActionInfo& a : Actions()) {
    if (a.ImageIndex < 0) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_BITMAP;
    mii.hbmpItem = HBMMENU_CALLBACK;
    SetMenuItemInfoW(menu, a.Id, FALSE, &mii);
  }
}

void MainWindow::OnSize() {
  RECT r;
  GetClientRect(Handle(), &r);
  SendMessageW(statusBar_, WM_SIZE, 0, 0);
  RECT sr{};
  GetWindowRect(statusBar_, &sr);
  int statusHeight = sr.bottom - sr.top;
  MoveWindow(toolbar_, 0, 0, r.right, toolbarHeight_, TRUE);
  MoveWindow(mdiClient_, 0, toolbarHeight_, r.right, r.bottom - toolbarHeight_ - statusHeight, TRUE);
}

void MainWindow::OnNotify(NMHDR* header) {
  if (header->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    static std::wstring tip;  // must outlive this message
    const ActionInfo* a = FindAction(static_cast<CommandId>(header->idFrom));
    tip = a ? Widen(ShortHint(a->Hint)) : L"";
    info->lpszText = tip.data();
  } else if (header->code == TBN_HOTITEMCHANGE && header->hwndFrom == toolbar_) {
    auto* hot = reinterpret_cast<NMTBHOTITEM*>(header);
    const ActionInfo* a = FindAction(static_cast<CommandId>(hot->idNew));
    SetStatusText((hot->dwFlags & HICF_LEAVING) || !a ? "" : std::string(LongHint(a->Hint)));
  }
}

void MainWindow::OnMenuSelect(UINT item, UINT flags) {
  bool command = !(flags & MF_POPUP) && flags != 0xFFFF;
  int recent = static_cast<int>(item) - kCmdRecentTrial1;
  const auto& paths = form_.Recent.Paths();
  if (command && recent >= 0 && recent < static_cast<int>(paths.size())) {
    SetStatusText(paths[static_cast<std::size_t>(recent)]);
    return;
  }
  const ActionInfo* a = command ? FindAction(static_cast<CommandId>(item)) : nullptr;
  SetStatusText(a ? std::string(LongHint(MenuItemHint(*a))) : "");
}

void MainWindow::OnDropFiles(HDROP drop) {
  std::vector<std::string> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    length = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(Narrow(path));
  }
  DragFinish(drop);
  // The one who dropped is not kept waiting while the files open.
  SetForegroundWindow(Handle());
  form_.OpenDroppedFiles(paths);
  UpdateToolbar();
}

void MainWindow::UpdateMenu(HMENU popup) {
  if (popup == GetSubMenu(GetMenu(Handle()), 0)) ShowRecentTrials(popup, form_.Recent.Paths());
  int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    UINT id = GetMenuItemID(popup, i);
    if (!FindAction(static_cast<CommandId>(id))) continue;
    bool enabled = form_.Enabled(static_cast<CommandId>(id));
    EnableMenuItem(popup, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

void MainWindow::UpdateToolbar() {
  if (!toolbar_) return;
  for (const ToolButton& b : kToolButtons)
    if (b.Id != 0) SendMessageW(toolbar_, TB_ENABLEBUTTON, b.Id, form_.Enabled(b.Id));
}

HWND MainWindow::DialogOwner() const {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  return Handle() && IsWindowVisible(Handle()) ? Handle() : nullptr;
}

void MainWindow::CloseRequested(TrialWindow& window) {
  form_.CloseTrialWindow(window.Child());
  UpdateToolbar();
}

void MainWindow::ChildActivated() {
  UpdateToolbar();
  ShowVerdictLater();
}

void MainWindow::ShowVerdictLine() {
  verdictLine_.clear();
  if (TMDIChild* child = ActiveTrialWindow()) {
    // A trial being filled is judged on its points: fitting every reading
    // again at each new point would hold the run up.
    const bool filling = form_.Scale && form_.Scale->IsFilling(*child);
    const std::optional<CompanionLog> readings = filling ? std::nullopt : ReadingsBeside(*child);
    if (const std::optional<Verdict> verdict =
            verdicts_.For(child->WineClass.WineRec, readings ? &*readings : nullptr))
      verdictLine_ = VerdictStatusLine(*verdict, ProgramPresentation());
    // The caption stays as it is (the save checks compare captions): the
    // bar says what a mark in the title would.
    if (child->WineClass.Modified)
      verdictLine_ = UnsavedChangesText(child->Caption) + (verdictLine_.empty() ? "" : "; " + verdictLine_);
  }
  if (!notice_.empty()) verdictLine_ = notice_;
  SetStatusText("");
}

void MainWindow::ShowVerdictLater() {
  // Not once the frame is gone: a message without a window goes to the thread.
  if (Handle()) PostMessageW(Handle(), kVerdictMessage, 0, 0);
}

void MainWindow::ShowNotice(const std::string& text) {
  notice_ = text;
  ShowVerdictLine();
}

MessageAnswer MainWindow::ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons,
                                      MessageAnswer defaultButton) {
  return RunMessageBox(DialogOwner(), text, icon, buttons, defaultButton);
}

bool MainWindow::ExecuteOpenDialog(FileDialogState& dialog) {
  return RunFileDialog(DialogOwner(), dialog, false);
}

bool MainWindow::ExecuteSaveDialog(FileDialogState& dialog) {
  return RunFileDialog(DialogOwner(), dialog, true);
}

bool MainWindow::ExecuteConditionsDialog(ConditionsInput& input) {
  return RunConditionsDialog(Handle(), input, *this);
}

bool MainWindow::ExecuteDataDialog(DataInput& input) {
  return RunDataDialog(Handle(), input, *this);
}

void MainWindow::ShowGraphWindow(GraphWindowKind kind, const TWineRec& rec) {
  OpenGraphWindow(Handle(), kind, rec);
}

void MainWindow::ShowFoulingWindow(const TWineRec& rec, const FoulingReport& report) {
  OpenFoulingWindow(Handle(), rec, report);
}

void MainWindow::ShowCompareWindow(std::span<const ComparedTrial> trials) {
  OpenCompareWindow(Handle(), trials);
}

bool MainWindow::ExecuteWelcomeDialog() {
  return RunWelcomeDialog(Handle());
}

void MainWindow::ExecuteAboutBox() {
  RunAboutBox(Handle());
}

void MainWindow::ShowSplash(int milliseconds) {
  ShowSplashFor(milliseconds);
}

void MainWindow::Wait(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds));
}

void MainWindow::SetStatusText(const std::string& text) {
  if (!statusBar_) return;
  // With nothing else to say, the bar shows the active trial's verdict.
  const std::string& shown = text.empty() ? verdictLine_ : text;
  SendMessageW(statusBar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(shown).c_str()));
  UpdateWindow(statusBar_);
}

std::string MainWindow::DocumentsFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return Narrow(path);
}

std::string MainWindow::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

void MainWindow::CreateTrialWindow(TMDIChild& child) {
  auto window = std::make_unique<TrialWindow>(*this, child);
  TrialWindow& w = *window;
  child.View = std::move(window);
  w.Create(mdiClient_);
  UpdateToolbar();
}

void MainWindow::DestroyTrialWindow(TMDIChild& child) {
  child.View.reset();
  UpdateToolbar();
  ShowVerdictLater();
}

void MainWindow::CaptionChanged(TMDIChild& child) {
  if (child.View) child.View->UpdateCaption();
  ShowVerdictLater();  // saved: no longer unsaved
}

void MainWindow::ShowReport(TMDIChild& child, const ReportLines& report) {
  if (child.View) child.View->ShowReport(report);
  ShowVerdictLater();
}

TMDIChild* MainWindow::ActiveTrialWindow() {
  HWND active = reinterpret_cast<HWND>(SendMessageW(mdiClient_, WM_MDIGETACTIVE, 0, 0));
  TrialWindow* w = TrialWindow::FromHandle(active);
  return w ? &w->Child() : nullptr;
}

void MainWindow::ActionsChanged() {
  UpdateToolbar();
}

void MainWindow::CloseMainWindow() {
  PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void MainWindow::ArrangeWindows(int commandId) {
  switch (commandId) {
    case kCmdWindowCascade:
      SendMessageW(mdiClient_, WM_MDICASCADE, 0, 0);
      break;
    case kCmdWindowTileHorizontal:
      SendMessageW(mdiClient_, WM_MDITILE, MDITILE_HORIZONTAL, 0);
      break;
    case kCmdWindowTileVertical:
      SendMessageW(mdiClient_, WM_MDITILE, MDITILE_VERTICAL, 0);
      break;
  }
}

}  // namespace vorsant
