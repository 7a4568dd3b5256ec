// Drives the real vorsant.exe through its balance commands: a new trial,
// Set Scale Connection (OK with no port checked, then the balance's port,
// then Cancel) with the environment file read back after each, and
// collection runs against the balance simulator: one to the end of an
// 18-minute schedule with Save As, one stopped by the X key, and one ended
// by the Close command on the trial being filled; in between, a run kept on
// its schedule while About is open and while the frame is moved, and a run
// on a port that cannot be opened.
// Then Balance Settings finds a balance of each of today's command sets on
// the ports from HIGH_PORT_NUMBER on (above COM9), in the order of
// kTodaysBalances, and a run goes through each, saved as
// ARTIFACT_FOLDER\NAME-balance.vrs.
// Usage: collect_e2e ARTIFACT_FOLDER PORT_NUMBER MISSING_PORT_NUMBER
// TRIAL_PATH MODAL_TRIAL_PATH HIGH_PORT_NUMBER (Windows paths).
// The program must run with its schedule sped up (VORSANT_TEST_TIME_SCALE)
// and start with a stored port outside 1 to 9. Asks for screenshots, writes
// the trial's panels after each run into the folder, and exits 0 when every
// check passed. Its last line counts the checks.

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "ui_driver.h"

using namespace vorsant;
using namespace vorsant::driver;

namespace {

constexpr wchar_t kEnvironmentFile[] = L"C:\\ProgramData\\vorsant\\vorsant.dat";
constexpr wchar_t kSaveQuestion[] =
    L"Data collection is complete. Would you like to save the new data to a file?";
constexpr int kPortCount = 9;

int failures = 0;
int passes = 0;
std::wstring artifacts;

bool Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  std::fflush(stdout);
  ++(ok ? passes : failures);
  return ok;
}

// Asks the script that runs us for a screenshot of the X screen (NAME.shot
// becomes NAME.png); without a watcher the driver captures the screen itself.
void Shot(const wchar_t* name) {
  WaitPainted();  // the last change on the screen
  std::wstring request = artifacts + L"\\" + name + L".shot";
  FILE* f = _wfopen(request.c_str(), L"wb");
  if (f) fclose(f);
  for (int waited = 0; f && waited < 15000; waited += 100) {
    if (GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    Sleep(100);
  }
  DeleteFileW(request.c_str());
  Check(SaveScreen(artifacts + L"\\" + name + L".bmp"),
        "screenshot " + Utf8(name) + " (taken by the driver)");
}

// Asks the script for a key struck on the X keyboard (NAME.key holding the
// key's name, served with xdotool), which Wine delivers to the window that
// has the focus. False when nobody served the request.
bool StrikeKey(const wchar_t* name) {
  std::wstring request = artifacts + L"\\strike.key";
  FILE* f = _wfopen(request.c_str(), L"wb");
  if (!f) return false;
  const std::string key = Utf8(name);
  fwrite(key.data(), 1, key.size(), f);
  fclose(f);
  for (int waited = 0; waited < 10000; waited += 100) {
    if (GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  DeleteFileW(request.c_str());
  return false;
}

HWND Dialog(const std::wstring& caption, int timeoutMs = 20000) {
  return WaitFor([&] { return TopLevel(L"#32770", caption); }, timeoutMs);
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

std::vector<unsigned char> EnvironmentBytes() {
  std::vector<unsigned char> bytes;
  FILE* f = _wfopen(kEnvironmentFile, L"rb");
  if (!f) return bytes;
  unsigned char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  return bytes;
}

int StoredPort(const std::vector<unsigned char>& bytes) {
  if (bytes.size() != 1544) return -1;
  return static_cast<int>(bytes[1540] | bytes[1541] << 8 | bytes[1542] << 16 |
                          static_cast<unsigned>(bytes[1543]) << 24);
}

bool SameReservedBytes(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  return a.size() == 1544 && b.size() == 1544 && std::equal(a.begin(), a.begin() + 1540, b.begin());
}

bool Checked(HWND dlg, int id) {
  return SendMessageW(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Checks one radio button of a group and clears the others, as a click would.
void CheckRadio(HWND dlg, int first, int last, int id) {
  for (int i = first; i <= last; ++i)
    SendMessageW(GetDlgItem(dlg, i), BM_SETCHECK, i == id ? BST_CHECKED : BST_UNCHECKED, 0);
}

int CheckedPort(HWND dlg) {
  int checked = 0;
  for (int n = 1; n <= kPortCount; ++n)
    if (Checked(dlg, IDC_COM1 + n - 1)) checked = n;
  return checked;
}

void WriteUtf8(const std::wstring& path, const std::wstring& text) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return;
  std::string bytes = Utf8(text);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

void SavePanels(HWND trial, const std::wstring& name) {
  WriteUtf8(artifacts + L"\\" + name + L".memo1.txt", Text(GetDlgItem(trial, IDC_MEMO1)));
  WriteUtf8(artifacts + L"\\" + name + L".memo2.txt", Text(GetDlgItem(trial, IDC_MEMO2)));
}

HWND TrialWindow(HWND frame, const std::wstring& caption) {
  return WaitFor([&]() -> HWND {
    HWND w = Descendant(frame, L"VorsantTrialWindow");
    return w && Text(w) == caption ? w : nullptr;
  });
}

// A message box whose text contains `part`.
HWND MessageBoxWith(const std::wstring& caption, const std::wstring& part, int timeoutMs) {
  return WaitFor(
      [&]() -> HWND {
        HWND box = TopLevel(L"#32770", caption);
        return box && Contains(StaticTexts(box), part) ? box : nullptr;
      },
      timeoutMs);
}

struct DialogCount {
  DWORD Process;
  int Count = 0;
};

BOOL CALLBACK CountDialog(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<DialogCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 32);
  if (pid == c->Process && IsWindowVisible(w) && std::wstring(cls) == L"#32770") ++c->Count;
  return TRUE;
}

// Visible dialog windows of the program (its message boxes, dialogs and the
// progress window). A named callback: on i686 it must be stdcall.
int ProgramDialogs(DWORD process) {
  DialogCount count{process};
  EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&count));
  return count.Count;
}

// "m:ss" as the countdown shows it: minutes right-aligned in 2, seconds in 2
// with a leading zero.
bool IsCountdown(const std::wstring& t) {
  return t.size() == 5 && (t[0] == L' ' || std::iswdigit(t[0])) && std::iswdigit(t[1]) && t[2] == L':' &&
         std::iswdigit(t[3]) && std::iswdigit(t[4]);
}

// The common save dialog keeps the typed name in a combo box (newer layouts)
// or an edit box (older ones).
bool ChooseFile(const std::wstring& caption, const std::wstring& path) {
  HWND dlg = Dialog(caption);
  if (!dlg) return false;
  HWND name = nullptr;
  WaitUntil([&] {
    name = GetDlgItem(dlg, 0x47c);
    if (!name) name = GetDlgItem(dlg, 0x480);
    return name && IsWindowVisible(name);
  });
  if (!name) return false;
  SetText(name, path);
  Press(dlg, IDOK);
  return WaitGone(dlg);
}

HWND NewTrial(HWND frame) {
  HWND welcome = Dialog(L"How would you like to begin?");
  if (!Check(welcome != nullptr, "the welcome choice is offered")) return nullptr;
  Press(welcome, IDC_BEGIN_NEW);
  HWND cond = Dialog(L"Filtration Conditions");
  if (!Check(cond != nullptr, "the conditions dialog opens")) return nullptr;
  const struct {
    int id;
    const wchar_t* text;
  } boxes[] = {{IDC_WINE_NAME, L"Riesling"},
               {IDC_FILTER_NAME, L"Pad"},
               {IDC_LAB_PRESSURE, L"30"},
               {IDC_FILTER_DIAMETER, L"47"},
               {IDC_MAX_PRESSURE, L"30"},
               {IDC_AREA, L"20"},
               {IDC_RATE, L"40"}};
  for (const auto& b : boxes) SetText(GetDlgItem(cond, b.id), b.text);
  Press(cond, IDOK);
  WaitGone(cond);
  HWND trial = TrialWindow(frame, L"Riesling Pad");
  Check(trial != nullptr, "a trial window \"Riesling Pad\" opens");
  return trial;
}

void SetScaleConnection(HWND frame, int port) {
  const std::vector<unsigned char> before = EnvironmentBytes();
  Check(before.size() == 1544 && (StoredPort(before) < 1 || StoredPort(before) > kPortCount),
        "the environment file starts with a port outside 1 to 9");

  Command(frame, kCmdSetScaleConnection);
  HWND dlg = Dialog(L"Set scale connection");
  if (!Check(dlg != nullptr, "Set Scale Connection opens \"Set scale connection\"")) return;
  Check(Contains(StaticTexts(dlg), L"Select the COM port to which the scale is connected"),
        "the port dialog asks for the scale's COM port");
  bool captions = true;
  for (int n = 1; n <= kPortCount; ++n)
    captions = captions && Text(GetDlgItem(dlg, IDC_COM1 + n - 1)) == L"COM" + std::to_wstring(n);
  Check(captions, "the nine buttons read COM1 to COM9");
  Check(CheckedPort(dlg) == 0, "no button is checked for a stored port outside 1 to 9");
  Shot(L"com_dialog_none");
  Press(dlg, IDOK);
  Check(WaitGone(dlg), "OK closes the port dialog");
  Check(EnvironmentBytes() == before, "OK with no port checked keeps the environment file as it was");

  Command(frame, kCmdSetScaleConnection);
  dlg = Dialog(L"Set scale connection");
  if (!Check(dlg != nullptr, "the port dialog opens again")) return;
  CheckRadio(dlg, IDC_COM1, IDC_COM1 + kPortCount - 1, IDC_COM1 + port - 1);
  Shot(L"com_dialog_chosen");
  Press(dlg, IDOK);
  Check(WaitGone(dlg), "OK with a port checked closes the dialog");
  // At once: no restart, nothing else in between (the file is written as
  // the dialog goes).
  std::vector<unsigned char> after;
  WaitUntil(
      [&] {
        after = EnvironmentBytes();
        return StoredPort(after) == port;
      },
      10000);
  Check(StoredPort(after) == port,
        "bytes 1540 to 1543 of the environment file hold " + std::to_string(port) + " at once");
  Check(SameReservedBytes(before, after), "the 1540 reserved bytes are written back unchanged");

  Command(frame, kCmdSetScaleConnection);
  dlg = Dialog(L"Set scale connection");
  if (!Check(dlg != nullptr, "the port dialog opens a third time")) return;
  Check(CheckedPort(dlg) == port, "the chosen port is checked now");
  CheckRadio(dlg, IDC_COM1, IDC_COM1 + kPortCount - 1, IDC_COM1);
  Press(dlg, IDCANCEL);
  Check(WaitGone(dlg), "Cancel closes the port dialog");
  Check(EnvironmentBytes() == after, "Cancel changes nothing");
}

// Opens the new-data dialog and starts a run with density "1"; returns the
// progress window.
HWND StartRun(HWND frame, int durationButton, bool firstRun) {
  Command(frame, kCmdCollectNewData);
  HWND dlg = Dialog(L"Collect New Data");
  if (!Check(dlg != nullptr, "Collect New Data opens its dialog")) return nullptr;
  Check(Checked(dlg, IDC_MAX_DURATION18), "the dialog opens with 18 minutes checked");
  HWND density = GetDlgItem(dlg, IDC_DENSITY);
  if (firstRun) {
    const std::wstring texts = StaticTexts(dlg);
    Check(Contains(texts, L"Density") && Contains(texts, L"g/ml") &&
              Contains(texts, L"Maximum Test Duration (min)"),
          "the dialog names density, unit and duration");
    Check(Contains(texts, L"WARNING: Beginning data collection will\nerase the existing data set. "),
          "the dialog warns that the data set will be erased");
    Check(Text(GetDlgItem(dlg, IDOK)) == L"Begin Data Collection" &&
              Text(GetDlgItem(dlg, IDCANCEL)) == L"Cancel",
          "its buttons read \"Begin Data Collection\" and \"Cancel\"");
    SetText(density, L"abc");
    Shot(L"new_data_dialog");
    Press(dlg, IDOK);
    HWND refused = MessageBoxWith(L"Information",
                                  L"Density is out of Range. Please enter a value between 2 and 0.1.", 10000);
    Check(refused != nullptr, "a density that is no number is refused with the range message");
    if (refused) {
      Shot(L"density_refused");
      Press(refused, IDOK);
      WaitGone(refused);
    }
    Check(IsWindow(dlg) && IsWindowVisible(dlg), "the dialog stays open after the refusal");
    SetText(density, L"1");
  } else {
    Check(Text(density) == L"1.0000", "the density box shows the last density, reformatted");
  }
  CheckRadio(dlg, IDC_MAX_DURATION9, IDC_MAX_DURATION144, durationButton);
  Press(dlg, IDOK);
  Check(WaitGone(dlg), "\"Begin Data Collection\" closes the dialog");
  HWND progress = WaitFor([] { return TopLevel(L"VorsantDataCollection", L"Data Collection"); });
  Check(progress != nullptr, "the progress window \"Data Collection\" appears");
  return progress;
}

// Waits until the report differs from `before`: a point has been stored.
bool WaitForReportChange(HWND trial, const std::wstring& before, int timeoutMs) {
  return WaitFor([&]() -> HWND { return Text(GetDlgItem(trial, IDC_MEMO2)) != before ? trial : nullptr; },
                 timeoutMs) != nullptr;
}

void FullRun(HWND frame, HWND trial, const std::wstring& trialPath, DWORD process) {
  HWND progress = StartRun(frame, IDC_MAX_DURATION18, true);
  if (!progress) return;
  // The data set was erased before the progress window showed.
  const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
  const std::wstring texts = StaticTexts(progress);
  Check(Contains(texts, L"Time to next read:") && Contains(texts, L"Strike 'X' key to stop data collection"),
        "the progress window shows its two labels");
  RECT r{};
  GetWindowRect(progress, &r);
  Check(r.left == 5 && r.top == 5, "the progress window stands at (5, 5)");
  const LONG_PTR style = GetWindowLongPtrW(progress, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(progress, GWL_EXSTYLE);
  Check((exStyle & WS_EX_TOPMOST) != 0, "the progress window stays on top");
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) == 0, "it has a caption without buttons");

  // The countdown moves: a scheduled minute passes in a second here.
  HWND time = GetDlgItem(progress, IDC_TIME);
  std::vector<std::wstring> seen;
  WaitUntil(
      [&] {
        const std::wstring t = Text(time);
        if (!t.empty() && (seen.empty() || seen.back() != t)) seen.push_back(t);
        return seen.size() >= 2 || !IsWindow(progress);
      },
      10000);
  bool formatted = !seen.empty();
  for (const std::wstring& t : seen) formatted = formatted && IsCountdown(t);
  Check(formatted && seen.size() >= 2,
        "the countdown shows m:ss and changes (" + Utf8(seen.empty() ? L"" : seen[0]) + ")");

  Check(WaitForReportChange(trial, erased, 15000), "the points reach the report during the run");
  Shot(L"collecting");

  // The guard: no second run, no editing of the trial being filled.
  const int dialogs = ProgramDialogs(process);
  // Sent, not posted: each returns once the frame has handled it, or after
  // 10 s if it opened a modal dialog after all.
  for (int command : {kCmdCollectNewData, kCmdEditData, kCmdEditConditions, kCmdSetScaleConnection}) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(frame, WM_COMMAND, MAKEWPARAM(command, 0), 0, SMTO_NORMAL, 10000, &result);
  }
  Check(ProgramDialogs(process) == dialogs && !TopLevel(L"#32770", L"Collect New Data"),
        "during the run Collect New Data, Edit Data, Edit Conditions and Set Scale Connection open nothing");

  HWND question = MessageBoxWith(L"Confirm", kSaveQuestion, 90000);
  Check(question != nullptr, "the run ends with the save question");
  if (!question) return;
  Check(!IsWindow(progress) || !IsWindowVisible(progress), "the progress window is gone before the question");
  SavePanels(trial, L"full_run");
  Shot(L"save_question");
  Press(question, IDYES);
  Check(ChooseFile(L"Save As", trialPath), "Yes opens Save As for the trial");
  const std::wstring fileName = trialPath.substr(trialPath.find_last_of(L'\\') + 1);
  Check(TrialWindow(frame, fileName) != nullptr, "the trial is saved under its new name");
  Shot(L"after_full_run");
}

void RunStoppedByX(HWND frame, HWND trial) {
  HWND progress = StartRun(frame, IDC_MAX_DURATION144, false);
  if (!progress) return;
  const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
  Check(WaitForReportChange(trial, erased, 20000), "points arrive in the second run");
  // The progress window has the focus since it appeared: a key struck on
  // the keyboard goes to it.
  Check(WaitUntil([&] {
          GUITHREADINFO info{};
          info.cbSize = sizeof(info);
          GetGUIThreadInfo(GetWindowThreadProcessId(progress, nullptr), &info);
          return info.hwndActive == progress;
        }),
        "the progress window is the active one");
  Check(StrikeKey(L"a"), "an a is struck on the keyboard");
  Sleep(1500);
  Check(IsWindow(progress) && IsWindowVisible(progress) && !TopLevel(L"#32770", L"Confirm"),
        "other keys do not stop the run");
  Check(StrikeKey(L"x"), "an x is struck on the keyboard");
  HWND question = MessageBoxWith(L"Confirm", kSaveQuestion, 8000);
  Check(question != nullptr, "the x key stops the run");
  if (!question) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(progress, nullptr), &info);
    std::printf("progress %p foreground %p active %p focus %p\n", (void*)progress,
                (void*)GetForegroundWindow(), (void*)info.hwndActive, (void*)info.hwndFocus);
    PostMessageW(progress, WM_CHAR, L'x', 0);
    question = MessageBoxWith(L"Confirm", kSaveQuestion, 8000);
  }
  if (!question) return;
  SavePanels(trial, L"stopped_run");
  Shot(L"stopped_by_x");
  Press(question, IDNO);
  Check(WaitGone(question), "No leaves the trial unsaved");
}

// The Stop button beside the X key's line ends a run as the key does.
void RunStoppedByButton(HWND frame, HWND trial) {
  HWND progress = StartRun(frame, IDC_MAX_DURATION144, false);
  if (!progress) return;
  const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
  Check(WaitForReportChange(trial, erased, 20000), "points arrive in the run stopped by its button");
  HWND stop = GetDlgItem(progress, IDC_STOP_BUTTON);
  Check(stop != nullptr && Text(stop) == L"Stop", "the progress window has a Stop button");
  if (!stop) return;
  Shot(L"stop_button");
  PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDC_STOP_BUTTON, BN_CLICKED), reinterpret_cast<LPARAM>(stop));
  HWND question = MessageBoxWith(L"Confirm", kSaveQuestion, 8000);
  Check(question != nullptr, "Stop ends the run with its save question");
  if (!question) return;
  Press(question, IDNO);
  WaitGone(question);
}

// How often the report changed (a point was stored) in `ms`.
int ReportChangesWithin(HWND trial, int ms) {
  std::wstring last = Text(GetDlgItem(trial, IDC_MEMO2));
  int changes = 0;
  for (int waited = 0; waited < ms; waited += 20) {
    Sleep(20);
    const std::wstring now = Text(GetDlgItem(trial, IDC_MEMO2));
    if (now != last) ++changes;
    last = now;
  }
  return changes;
}

bool InMoveOrSize(HWND frame) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
}

// A run that ends at its time limit with the save question and no message,
// answered Yes and saved as `trialPath`; the panels are kept as `panels`.
bool SaveAtTimeLimit(HWND trial, const wchar_t* panels, const std::wstring& trialPath, int timeoutMs,
                     const std::string& run) {
  HWND question = MessageBoxWith(L"Confirm", kSaveQuestion, timeoutMs);
  Check(question != nullptr && !TopLevel(L"#32770", L"Information"),
        run + " ends at its time limit with the save question and no message");
  if (!question) return false;
  SavePanels(trial, panels);
  Press(question, IDYES);
  return Check(ChooseFile(L"Save As", trialPath), "Yes saves " + run);
}

// A 9-minute run (a reading every 15 s, a quarter of a second here) kept on
// its schedule while About is open and while the frame is being moved; the
// script checks the times of the saved points.
void RunAcrossModalLoops(HWND frame, HWND trial, const std::wstring& trialPath) {
  HWND progress = StartRun(frame, IDC_MAX_DURATION9, false);
  if (!progress) return;
  const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
  Check(WaitForReportChange(trial, erased, 10000), "points arrive in the run beside About");

  Command(frame, kCmdHelpAbout);
  HWND about = Dialog(L"About QEL VORSANT", 5000);
  if (Check(about != nullptr, "About opens during the run")) {
    // Six due readings pass while it is open.
    const int changes = ReportChangesWithin(trial, 1500);
    Check(changes >= 2, "points are stored while About is open (" + std::to_string(changes) + ")");
    Shot(L"collecting_beside_about");
    Press(about, IDOK);
    Check(WaitGone(about), "About closes");
  }
  Check(ReportChangesWithin(trial, 800) >= 1 && IsWindow(progress) && !TopLevel(L"#32770", L"Information"),
        "after About the run goes on, with no message");

  // The frame in the keyboard move loop of its system menu's Move, nudged
  // to the right; Enter ends the move.
  RECT before{};
  GetWindowRect(frame, &before);
  PostMessageW(frame, WM_SYSCOMMAND, SC_MOVE, 0);
  const bool moving = WaitFor([&] { return InMoveOrSize(frame) ? frame : nullptr; }, 5000) != nullptr;
  if (Check(moving, "the frame enters its move loop")) {
    for (int i = 0; i < 3; ++i) PostMessageW(frame, WM_KEYDOWN, VK_RIGHT, 0);
    const int changes = ReportChangesWithin(trial, 1500);
    Check(changes >= 2 && InMoveOrSize(frame),
          "points are stored while the frame is being moved (" + std::to_string(changes) + ")");
    PostMessageW(frame, WM_KEYDOWN, VK_RETURN, 0);
    WaitFor([&] { return InMoveOrSize(frame) ? nullptr : frame; }, 5000);
    RECT after{};
    GetWindowRect(frame, &after);
    Check(!InMoveOrSize(frame) && after.left > before.left, "the frame has moved and its move loop ended");
  }

  SaveAtTimeLimit(trial, L"modal_run", trialPath, 20000, "the run beside About and the move");
}

// Chooses port `port` in the port dialog and presses OK.
bool ChoosePort(HWND frame, int port) {
  Command(frame, kCmdSetScaleConnection);
  HWND dlg = Dialog(L"Set scale connection");
  if (!dlg) return false;
  CheckRadio(dlg, IDC_COM1, IDC_COM1 + kPortCount - 1, IDC_COM1 + port - 1);
  Press(dlg, IDOK);
  // The program writes the file as the dialog goes: wait for the port there.
  return WaitGone(dlg) && WaitUntil([&] { return StoredPort(EnvironmentBytes()) == port; }, 10000);
}

// A port that cannot be opened: the run ends at once with the port's own
// error, and no save question.
void RunOnMissingPort(HWND frame, int missingPort, int port) {
  Check(ChoosePort(frame, missingPort), "the port that does not exist is chosen");
  Command(frame, kCmdCollectNewData);
  HWND dlg = Dialog(L"Collect New Data");
  if (!Check(dlg != nullptr, "Collect New Data opens its dialog")) return;
  Press(dlg, IDOK);
  WaitGone(dlg);
  HWND error = WaitFor([] { return TopLevel(L"#32770", L"Error"); }, 20000);
  Check(error != nullptr && !StaticTexts(error).empty(), "the port's error is shown in an error box");
  if (error) {
    Shot(L"missing_port");
    Check(!TopLevel(L"VorsantDataCollection", L"Data Collection"), "the progress window is closed");
    Press(error, IDOK);
    WaitGone(error);
  }
  Sleep(500);
  Check(!TopLevel(L"#32770", L"Confirm"), "no save question follows a failing port");
  Check(ChoosePort(frame, port), "the balance's port is chosen again");
}

// The text of item `i` of a combo box's list.
std::wstring ComboItem(HWND combo, int i) {
  const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
  if (n == CB_ERR) return L"";
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

// The first item of a combo box whose text contains `part`; -1 for none.
int ComboIndex(HWND combo, const std::wstring& part) {
  const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; ++i)
    if (Contains(ComboItem(combo, i), part)) return i;
  return -1;
}

std::wstring StoredBalanceValue(const wchar_t* name) {
  wchar_t value[64] = {};
  DWORD bytes = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\QEL\\Vorsant\\Balance", name, RRF_RT_REG_SZ, nullptr, value,
                   &bytes) != ERROR_SUCCESS)
    return L"<none>";
  return value;
}

// Balance Settings with `portPart` and `profilePart` chosen in its lists;
// with `find`, Find Balance is pressed and must name what `expectFound`
// says. OK closes it.
bool ChooseBalance(HWND frame, const std::wstring& portPart, const std::wstring& profilePart,
                   const std::wstring& expectFound) {
  Command(frame, kCmdBalanceSettings);
  HWND dlg = Dialog(L"Balance Settings");
  if (!Check(dlg != nullptr, "Balance Settings opens its dialog")) return false;
  HWND ports = GetDlgItem(dlg, IDC_BALANCE_PORT);
  const int port = ComboIndex(ports, portPart);
  Check(port >= 0, "the port list offers " + Utf8(portPart) + " (first: " + Utf8(ComboItem(ports, 0)) + ")");
  SendMessageW(ports, CB_SETCURSEL, port, 0);
  if (!expectFound.empty()) {
    Press(dlg, IDC_FIND_BALANCE);
    HWND found = GetDlgItem(dlg, IDC_BALANCE_FOUND);
    const bool named = WaitUntil([&] { return Contains(Text(found), expectFound); }, 30000);
    Check(named, "Find Balance says \"" + Utf8(expectFound) + "\" (" + Utf8(Text(found)) + ")");
    Check(Contains(ComboItem(GetDlgItem(dlg, IDC_BALANCE_PROFILE),
                             static_cast<int>(SendDlgItemMessageW(dlg, IDC_BALANCE_PROFILE, CB_GETCURSEL, 0, 0))),
                   profilePart),
          "the balance found is chosen in the list of command sets");
    Shot(L"balance_found");
  } else {
    HWND profiles = GetDlgItem(dlg, IDC_BALANCE_PROFILE);
    SendMessageW(profiles, CB_SETCURSEL, ComboIndex(profiles, profilePart), 0);
  }
  Press(dlg, IDOK);
  return Check(WaitGone(dlg), "OK closes Balance Settings");
}

// Today's balances, as the simulator and the stored setting name them and
// as the dialog lists them.
struct TodaysBalance {
  const wchar_t* name;
  const wchar_t* listed;
};
constexpr TodaysBalance kTodaysBalances[] = {{L"standard", L"standard interface commands"},
                                             {L"two-letter", L"two-letter commands"},
                                             {L"continuous", L"continuous output"}};

// Each balance of today on its port above COM9: found by itself, kept for
// the user beside the environment file, and a 9-minute run through its
// command set saved with every reading beside the trial. Then the original
// balance is chosen again. The runs go into the first run's trial opened
// again: the original balance's simulated filter has fouled by then.
void RunThroughTodaysBalances(HWND frame, int port, int firstHighPort, const std::wstring& openPath) {
  Command(frame, kCmdFileOpen);
  if (!Check(ChooseFile(L"Open", openPath), "the first run's trial is opened again")) return;
  HWND trial = TrialWindow(frame, openPath.substr(openPath.find_last_of(L'\\') + 1));
  if (!Check(trial != nullptr, "its window opens")) return;
  int highPort = firstHighPort;
  for (const TodaysBalance& balance : kTodaysBalances) {
    const std::wstring com = L"COM" + std::to_wstring(highPort++);
    const std::string name = Utf8(balance.name);
    if (!ChooseBalance(frame, com, balance.listed,
                       L"Found a balance on " + com + L" at 9600 baud, " + balance.listed))
      return;
    // The program keeps them as the dialog goes.
    WaitUntil([&] { return StoredBalanceValue(L"Profile") == balance.name; }, 10000);
    Check(StoredBalanceValue(L"Port") == com && StoredBalanceValue(L"Profile") == balance.name,
          "the port and the command set are kept under HKCU\\Software\\QEL\\Vorsant\\Balance (" +
              Utf8(StoredBalanceValue(L"Port")) + ", " + Utf8(StoredBalanceValue(L"Profile")) + ")");
    Check(StoredPort(EnvironmentBytes()) == port, "the environment file keeps its port");

    HWND progress = StartRun(frame, IDC_MAX_DURATION9, false);
    if (!progress) return;
    const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
    Check(WaitForReportChange(trial, erased, 20000), "points arrive from the " + name + " balance");
    const std::wstring panels = std::wstring(balance.name) + L"_run";
    if (!SaveAtTimeLimit(trial, panels.c_str(), artifacts + L"\\" + balance.name + L"-balance.vrs", 30000,
                         "the run through the " + name + " balance"))
      return;
  }

  Check(ChooseBalance(frame, L"COM" + std::to_wstring(port), L"the original", L""),
        "the original balance is chosen again");
  WaitUntil([&] { return StoredBalanceValue(L"Profile") == L"default"; }, 10000);
  Check(StoredBalanceValue(L"Port") == L"<none>" && StoredBalanceValue(L"Profile") == L"default" &&
            StoredPort(EnvironmentBytes()) == port,
        "a port up to COM9 goes back to the environment file");
}

void RunEndedByClose(HWND frame, HWND trial) {
  HWND progress = StartRun(frame, IDC_MAX_DURATION144, false);
  if (!progress) return;
  const std::wstring erased = Text(GetDlgItem(trial, IDC_MEMO2));
  Check(WaitForReportChange(trial, erased, 20000), "points arrive in the third run");
  Command(frame, kCmdFileClose);
  HWND question = MessageBoxWith(L"Confirm", kSaveQuestion, 10000);
  Check(question != nullptr, "Close on the trial being filled ends the run first, with its save question");
  if (!question) return;
  Check(IsWindow(trial), "the trial stays open until the run has ended");
  Press(question, IDNO);
  HWND before = MessageBoxWith(L"Warning", L" before closing?", 10000);
  Check(before != nullptr, "then Close asks to save the trial");
  if (!before) return;
  Press(before, IDNO);
  Check(WaitGone(trial), "and closes it");
}

int Run(int port, int missingPort, const std::wstring& trialPath, const std::wstring& modalTrialPath,
        int highPort) {
  HWND frame = WaitForFrame();
  if (!Check(frame != nullptr, "the frame window appears")) return 1;
  DWORD process = 0;
  GetWindowThreadProcessId(frame, &process);
  HWND trial = NewTrial(frame);
  if (!trial) return 1;

  SetScaleConnection(frame, port);
  FullRun(frame, trial, trialPath, process);
  RunStoppedByX(frame, trial);
  RunStoppedByButton(frame, trial);
  RunAcrossModalLoops(frame, trial, modalTrialPath);
  RunOnMissingPort(frame, missingPort, port);
  RunEndedByClose(frame, trial);
  RunThroughTodaysBalances(frame, port, highPort, trialPath);

  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 7) {
    std::fprintf(stderr,
                 "usage: collect_e2e ARTIFACT_FOLDER PORT_NUMBER MISSING_PORT_NUMBER TRIAL_PATH "
                 "MODAL_TRIAL_PATH HIGH_PORT_NUMBER\n");
    return 2;
  }
  artifacts = argv[1];
  const int port = _wtoi(argv[2]);
  const int missingPort = _wtoi(argv[3]);
  if (port < 1 || port > kPortCount || missingPort < 1 || missingPort > kPortCount) {
    std::fprintf(stderr, "collect_e2e: the port numbers must be 1 to 9\n");
    return 2;
  }
  const int highPort = _wtoi(argv[6]);
  constexpr int kHighPorts = static_cast<int>(std::size(kTodaysBalances));
  if (highPort < 10 || highPort > 257 - kHighPorts) {
    std::fprintf(stderr, "collect_e2e: the high ports must be within 10 to 256\n");
    return 2;
  }
  Run(port, missingPort, argv[4], argv[5], highPort);
  std::printf("collect_e2e: %d passed, %d failed\n", passes, failures);
  return failures == 0 ? 0 : 1;
}
