#include "e2e_file_steps.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "ui_driver.h"

namespace vorsant::e2e {
namespace {

using namespace vorsant::driver;

std::wstring RecentEntry(int n) {
  wchar_t value[1024] = {};
  DWORD bytes = sizeof value;
  std::wstring name = L"File" + std::to_wstring(n);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\QEL\\Vorsant\\Recent", name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value, &bytes) != ERROR_SUCCESS)
    return L"";
  return value;
}

std::wstring NamePart(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

HWND TrialNamed(HWND frame, const std::wstring& caption, int timeoutMs = 20000) {
  return WaitFor(
      [&]() -> HWND {
        HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
        for (HWND w = FindWindowExW(client, nullptr, L"VorsantTrialWindow", nullptr); w;
             w = FindWindowExW(client, w, L"VorsantTrialWindow", nullptr))
          if (Text(w) == caption) return w;
        return nullptr;
      },
      timeoutMs);
}

// A point of the frame's work area that no other window covers, where a user
// would let go of dragged files.
POINT VisiblePointOf(HWND frame) {
  RECT r{};
  GetWindowRect(FindWindowExW(frame, nullptr, L"MDIClient", nullptr), &r);
  for (int y = r.bottom - 10; y > r.top; y -= 20)
    for (int x = r.right - 10; x > r.left; x -= 20) {
      POINT p{x, y};
      if (GetAncestor(WindowFromPoint(p), GA_ROOT) == frame) return p;
    }
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Asks the script to drop `files` on the frame's work area and waits for the
// drop to be done.
bool DropOnFrame(HWND frame, const std::wstring& name, const std::vector<std::wstring>& files) {
  POINT p = VisiblePointOf(frame);
  std::wstring request = artifacts + L"\\" + name + L".drop";
  {
    std::ofstream out(std::filesystem::path(request + L".part"), std::ios::binary);
    out << p.x << " " << p.y << "\n";
    for (const std::wstring& f : files) out << Utf8(f) << "\n";
  }
  MoveFileW((request + L".part").c_str(), request.c_str());
  std::wstring done = artifacts + L"\\" + name + L".dropped";
  for (int i = 0; i < 300; ++i) {
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::ifstream in{std::filesystem::path(done)};
      int rc = 1;
      in >> rc;
      return rc == 0;
    }
    Sleep(100);
  }
  return false;
}

void AnswerMessage(const std::wstring& starting, const std::string& what) {
  HWND box = Dialog(L"Information");
  Check(box != nullptr && StaticTexts(box).rfind(starting, 0) == 0, what);
  if (!box) return;
  Press(box, IDOK);
  WaitGone(box);
}

}  // namespace

void RecentAndDroppedTrials(HWND frame, const std::wstring& trialPath, const std::wstring& samplePath) {
  Check(RecentEntry(1) == samplePath && RecentEntry(2) == trialPath,
        "the recent list names the trials last opened, newest first");

  std::wstring sampleName = NamePart(samplePath);
  HWND sample = TrialNamed(frame, sampleName);
  Command(frame, kCmdFileClose);
  Check(sample && WaitGone(sample), "the sample trial is closed");
  Command(frame, kCmdRecentTrial1);
  Check(TrialNamed(frame, sampleName) != nullptr, "the first recent entry opens the sample trial again");

  // A copy, dropped on the frame, closed, then deleted: its entry goes.
  std::wstring gone = artifacts + L"\\gone.vrs";
  CopyFileW(samplePath.c_str(), gone.c_str(), FALSE);
  Check(DropOnFrame(frame, L"drop_one", {gone}), "a trial file is dropped on the frame");
  HWND goneWindow = TrialNamed(frame, L"gone.vrs");
  Check(goneWindow != nullptr, "the dropped trial opens in a window of its own");
  Check(RecentEntry(1) == gone, "the dropped trial heads the recent list");
  Shot(L"dropped");
  Command(frame, kCmdFileClose);
  WaitGone(goneWindow);
  DeleteFileW(gone.c_str());
  Command(frame, kCmdRecentTrial1);
  AnswerMessage(L"Can not locate file.",
                "a recent trial whose file is gone shows the Open command's message");
  Check(TrialNamed(frame, L"gone.vrs", 1000) == nullptr, "and opens no window");
  Check(RecentEntry(1) == samplePath, "the missing file leaves the recent list");

  // Two files at once, one already open: opened one by one, with Open's checks.
  std::wstring copy = artifacts + L"\\copy.vrs";
  CopyFileW(samplePath.c_str(), copy.c_str(), FALSE);
  Check(DropOnFrame(frame, L"drop_two", {copy, trialPath}), "two trial files are dropped at once");
  Check(TrialNamed(frame, L"copy.vrs") != nullptr, "the first dropped file opens");
  AnswerMessage(L"A file with that name is already open.",
                "the second, already open, is refused as Open refuses it");
}

namespace {

std::vector<char> FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring FrameStatus(HWND frame) {
  return StatusText(FindWindowExW(frame, nullptr, L"msctls_statusbar32", nullptr));
}

// Edit Data confirmed without a change: the trial counts as changed.
bool ChangeTrial(HWND frame) {
  Command(frame, kCmdEditData);
  HWND dlg = Dialog(L"Filtration Data");
  if (!dlg) return false;
  Press(dlg, IDOK);
  return WaitGone(dlg);
}

// The Close question, then `answer` done to it; whether the question came.
bool CloseQuestion(HWND frame, const std::wstring& caption, const std::function<void(HWND)>& answer,
                   const wchar_t* shot) {
  Command(frame, kCmdFileClose);
  HWND box = Dialog(L"Warning");
  if (!box || StaticTexts(box) != L"Save " + caption + L" before closing?") return false;
  Shot(shot);
  answer(box);
  // A Yes/No box may ignore Escape, as Windows does: then it is answered
  // through its close button, which keeps the trial too.
  if (!WaitGone(box, 3000)) {
    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitGone(box, 3000);
  }
  return true;
}

}  // namespace

void ReadOnlyFileAndCloseQuestion(HWND frame, HWND trial, const std::wstring& trialPath) {
  const std::wstring caption = Text(trial);
  const std::vector<char> before = FileBytes(trialPath);
  Check(SetFileAttributesW(trialPath.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE,
        "the trial file is made read-only");
  Check(ChangeTrial(frame), "Edit Data confirmed marks the trial changed");
  const bool unsaved =
      WaitUntil([&] { return Contains(FrameStatus(frame), caption + L" has unsaved changes"); }, 5000);
  Check(unsaved, "the status bar says the trial has unsaved changes: " + Utf8(FrameStatus(frame)));

  Command(frame, kCmdFileSave);
  HWND refusal = Dialog(L"Warning");
  Check(refusal != nullptr &&
            StaticTexts(refusal) ==
                L"I/O Error type 5 occurred while saving the wine file. Your data was not saved!",
        "Save on a read-only file gives the I/O error: " +
            (refusal ? Utf8(StaticTexts(refusal)) : std::string()));
  if (refusal) {
    Shot(L"read_only_refused");
    Press(refusal, IDOK);
    WaitGone(refusal);
  }
  Check(FileBytes(trialPath) == before, "the read-only file keeps its bytes");

  const auto escape = [](HWND box) {
    HWND focus = FocusOf(box);
    PostMessageW(focus ? focus : box, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(focus ? focus : box, WM_KEYUP, VK_ESCAPE, 0);
  };
  Check(CloseQuestion(frame, caption, escape, L"close_question"),
        "Close asks whether to save the changed trial");
  Sleep(300);
  Check(IsWindow(trial) && Text(trial) == caption, "Escape at the Close question keeps the trial open");
  const auto closeButton = [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); };
  Check(CloseQuestion(frame, caption, closeButton, L"close_question_again"), "Close asks again");
  Sleep(300);
  Check(IsWindow(trial) && Contains(FrameStatus(frame), L"has unsaved changes"),
        "the close button of the question keeps the trial open and changed");
  Shot(L"close_question_kept");

  SetFileAttributesW(trialPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  Command(frame, kCmdFileSave);
  Check(WaitUntil([&] { return !Contains(FrameStatus(frame), L"has unsaved changes"); }, 5000),
        "writable again, the trial saves and is no longer marked changed");
  Check(Dialog(L"Warning", 1000) == nullptr, "the save asks nothing");
}

void ReportKeys(HWND frame, HWND trial) {
  HWND report = GetDlgItem(trial, IDC_MEMO2);
  SetForegroundWindow(frame);
  Check(WaitUntil([&] { return GetForegroundWindow() == frame; }, 10000),
        "the frame comes to the foreground");
  ClickInto(report);
  Check(WaitUntil([&] { return FocusOf(frame) == report; }, 5000),
        "a click puts the focus in the trial report");
  SendMessageW(report, EM_SETSEL, 0, 40);
  const std::wstring selected = Text(report).substr(0, 40);
  WriteClipboard(L"");
  const DWORD sequence = GetClipboardSequenceNumber();
  StrikeCtrl('C');
  Check(WaitUntil([&] { return GetClipboardSequenceNumber() != sequence && ReadClipboard() == selected; },
                  5000),
        "Ctrl+C with text selected in the report copies it");
  Check(Dialog(L"Collect New Data", 1000) == nullptr, "and starts no collection");

  SendMessageW(report, EM_SETSEL, 0, 0);
  StrikeCtrl('C');
  HWND collect = Dialog(L"Collect New Data", 5000);
  Check(collect != nullptr, "without a selection Ctrl+C is Collect New Data");
  if (collect) {
    Shot(L"ctrl_c_without_selection");
    Press(collect, IDCANCEL);
    WaitGone(collect);
  }
  StrikeCtrl('O');
  HWND open = Dialog(L"Open", 5000);
  Check(open != nullptr, "Ctrl+O shows the open dialog");
  if (open) {
    Press(open, IDCANCEL);
    WaitGone(open);
  }
}

}  // namespace vorsant::e2e
