// Drives the real vorsant.exe through its windows: the welcome choice, a new
// trial through the conditions dialog (one refused value first), its points
// through the data dialog (one refused box first), its scrolling across a
// maximise and a widening, both large graphs, Save
// through the save dialog, Close, Open again, a second Open of the same file,
// a read-only file and the Close question, the keys of the report, a
// prepared trial with data, the recent trials and dropped files, Exit.
// Usage: vorsant_e2e ARTIFACT_FOLDER TRIAL_PATH [SAMPLE_TRIAL] (Windows
// paths). Asks for screenshots, writes the panels of the trial after data
// entry and of the reopened trials (NAME.memo1.txt, NAME.memo2.txt) and the
// pictures of the graph windows into the folder, and exits 0 when every
// check passed. Its last line counts the checks.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "e2e_data_steps.h"
#include "e2e_file_steps.h"
#include "ui_driver.h"

using namespace vorsant;
using namespace vorsant::driver;
using namespace vorsant::e2e;

namespace {

// The common file dialogs keep the typed name in a combo box (newer
// layouts) or an edit box (older ones).
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

HWND TrialWindow(HWND frame, const std::wstring& caption) {
  return WaitFor([&]() -> HWND {
    HWND w = Descendant(frame, L"VorsantTrialWindow");
    return w && Text(w) == caption ? w : nullptr;
  });
}

// Both panels as the window shows them, for the script to compare with the
// command-line report of the same file.
void SaveReport(HWND trial, const std::wstring& name) {
  WriteUtf8(artifacts + L"\\" + name + L".memo1.txt", Text(GetDlgItem(trial, IDC_MEMO1)));
  WriteUtf8(artifacts + L"\\" + name + L".memo2.txt", Text(GetDlgItem(trial, IDC_MEMO2)));
}

// Where control `id` of `trial` sits in the trial's client area.
POINT ControlOrigin(HWND trial, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(trial, id), &r);
  POINT p{r.left, r.top};
  ScreenToClient(trial, &p);
  return p;
}

// The panels sit at (0, -5), (223, 0) and (0, 201) of a 474 by 852 view;
// `what` names the state checked.
void CheckPanelsScrolledBy(HWND trial, int x, int y, const std::string& what) {
  const POINT memo1 = ControlOrigin(trial, IDC_MEMO1);
  const POINT graph = ControlOrigin(trial, IDC_GRAPH);
  const POINT memo2 = ControlOrigin(trial, IDC_MEMO2);
  const bool ok = memo1.x == -x && memo1.y == -5 - y && graph.x == 223 - x && graph.y == -y &&
                  memo2.x == -x && memo2.y == 201 - y;
  Check(ok, what + ": the panels are scrolled by (" + std::to_string(x) + ", " + std::to_string(y) +
                "), the summary is at (" + std::to_string(memo1.x) + ", " + std::to_string(memo1.y) + ")");
}

// Scrolled to the end, then maximised, and scrolled to the end of a narrow
// window that is then widened past the view: the position follows the new
// range and the panels follow the position.
void ScrollThenResize(HWND trial) {
  const auto furthest = [trial](int range, bool horizontal) {
    RECT client{};
    GetClientRect(trial, &client);
    const int page = horizontal ? client.right : client.bottom;
    return range > page ? range - page : 0;
  };
  const auto resize = [trial](int width, int height) {
    SetWindowPos(trial, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  };
  const auto scrollToEnd = [trial] {
    SendMessageW(trial, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(trial, WM_HSCROLL, SB_BOTTOM, 0);
  };
  RECT placed{};
  GetWindowRect(trial, &placed);
  scrollToEnd();
  const int bottom = furthest(852, false);
  CheckPanelsScrolledBy(trial, furthest(474, true), bottom, "scrolled to the end");

  SendMessageW(GetParent(trial), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(trial), 0);
  Shot(L"trial_window_maximised");
  Check(furthest(852, false) < bottom, "the maximised window has a shorter vertical range");
  CheckPanelsScrolledBy(trial, furthest(474, true), furthest(852, false), "maximised");
  SendMessageW(GetParent(trial), WM_MDIRESTORE, reinterpret_cast<WPARAM>(trial), 0);

  resize(300, 400);
  scrollToEnd();
  const int right = furthest(474, true);
  Check(right > 0, "a narrow window scrolls horizontally");
  CheckPanelsScrolledBy(trial, right, furthest(852, false), "narrow, scrolled to the end");
  resize(600, 700);
  Check((GetWindowLongPtrW(trial, GWL_STYLE) & WS_HSCROLL) == 0,
        "widened past the view, the window shows no horizontal scroll bar");
  const int y = furthest(852, false);
  CheckPanelsScrolledBy(trial, 0, y, "widened past the view");

  resize(placed.right - placed.left, placed.bottom - placed.top);
  CheckPanelsScrolledBy(trial, 0, y, "back at its size");
  SendMessageW(trial, WM_VSCROLL, SB_TOP, 0);
}

// On this 1024 x 768 screen the Fouling Models window fits the work area
// and its picture is drawn smaller than 700 x 600, whole.
void ModelsOnASmallScreen(HWND frame) {
  Command(frame, kCmdFoulingModels);
  HWND models = WaitFor([] { return TopLevel(nullptr, L"Fouling Models"); });
  Check(models != nullptr, "the Fouling Models window opens on the small screen");
  if (!models) return;
  RECT window{}, work{}, picture{};
  GetWindowRect(models, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Check(window.left >= work.left && window.top >= work.top && window.right <= work.right &&
            window.bottom <= work.bottom,
        "the Fouling Models window fits the 1024 x 768 screen");
  GetClientRect(GetDlgItem(models, IDC_GRAPH_IMAGE), &picture);
  Check(picture.bottom < 600 && std::abs(picture.right * 600 - picture.bottom * 700) <= 700,
        "its picture is drawn whole at " + std::to_string(picture.right) + " x " +
            std::to_string(picture.bottom));
  // The desktop writes a decimal comma; this window writes the trial
  // report's point, and commas only between groups of three digits.
  const std::wstring table = Text(GetDlgItem(models, IDC_MODEL_TABLE));
  Check(std::regex_search(table, std::wregex(L"\\d\\.\\d")) &&
            !std::regex_search(table, std::wregex(L"\\d,(\\d{1,2}|\\d{4,})(?!\\d)")),
        "the models table writes the report's decimal point, not the desktop's comma");
  WaitPainted();
  Shot(L"fouling_models_small_screen");
  PostMessageW(models, WM_CLOSE, 0, 0);
  WaitGone(models);
}

// A 0-byte trial file: the specified message, then the status bar says why.
void EmptyFileExplained(HWND frame) {
  const std::wstring path = artifacts + L"\\Empty.vrs";
  CloseHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  Command(frame, kCmdFileOpen);
  Check(ChooseFile(L"Open", path), "a 0-byte trial file is chosen");
  HWND error = Dialog(L"Error");
  Check(error != nullptr && StaticTexts(error) == L"Error reading the data file.",
        "it gives \"Error reading the data file.\"");
  if (!error) return;
  Press(error, IDOK);
  WaitGone(error);
  HWND bar = FindWindowExW(frame, nullptr, L"msctls_statusbar32", nullptr);
  const std::wstring why = L"Empty.vrs is 0 bytes; a trial file is 2,181";
  const bool said = WaitUntil([&] { return StatusText(bar) == why; }, 5000);
  Check(said, "the status bar says why: " + Utf8(StatusText(bar)));
  Shot(L"empty_file_explained");
}

int Run(const std::wstring& trialPath, const std::wstring& samplePath) {
  HWND frame = WaitForFrame();
  Check(frame != nullptr, "the frame window appears");
  if (!frame) return 1;

  HWND welcome = Dialog(L"How would you like to begin?");
  Check(welcome != nullptr, "the welcome choice is offered");
  if (!welcome) return 1;
  Press(welcome, IDC_BEGIN_NEW);

  HWND cond = Dialog(L"Filtration Conditions");
  Check(cond != nullptr, "\"Begin with a new wine\" opens the conditions dialog");
  if (!cond) return 1;
  const struct {
    int id;
    const wchar_t* text;
  } boxes[] = {{IDC_WINE_NAME, L"Chardonnay"},
               {IDC_FILTER_NAME, L"Pad"},
               {IDC_LAB_PRESSURE, L"2000"},
               {IDC_FILTER_DIAMETER, L"47"},
               {IDC_MAX_PRESSURE, L"30"},
               {IDC_AREA, L"20"},
               {IDC_RATE, L"40"}};
  for (const auto& b : boxes) SetText(GetDlgItem(cond, b.id), b.text);
  Press(cond, IDOK);

  HWND box = Dialog(L"Information");
  Check(box != nullptr, "a laboratory pressure of 2000 is refused with a message");
  if (!box) return 1;
  Check(
      StaticTexts(box) == L"Laboratory Pressure is out of Range. Please enter a value between 1000 and 0.1.",
      "the refusal reads: " + Utf8(StaticTexts(box)));
  Shot(L"message_box");
  Press(box, IDOK);
  WaitGone(box);
  Check(Text(GetDlgItem(cond, IDC_LAB_PRESSURE)) == L"2000", "the refused box keeps the typed text");
  Check(Text(GetDlgItem(cond, IDC_WINE_NAME)) == L"Chardonnay", "the dialog stays open");

  // The desktop's decimal comma (the script sets it) is no decimal point
  // here: the box is refused with its own message and keeps the text.
  const std::wstring comma = DecimalSeparator();
  Check(comma == L",", "the desktop's decimal separator is a comma");
  SetText(GetDlgItem(cond, IDC_LAB_PRESSURE), L"30" + comma + L"5");
  Press(cond, IDOK);
  box = Dialog(L"Information");
  Check(box != nullptr &&
            StaticTexts(box) ==
                L"Laboratory Pressure is out of Range. Please enter a value between 1000 and 0.1.",
        "a laboratory pressure of 30,5 is refused as out of Range");
  if (!box) return 1;
  Shot(L"conditions_comma_refused");
  Press(box, IDOK);
  WaitGone(box);
  Check(Text(GetDlgItem(cond, IDC_LAB_PRESSURE)) == L"30,5", "the refused comma stays as typed");

  SetText(GetDlgItem(cond, IDC_LAB_PRESSURE), L"30");
  Shot(L"conditions_dialog");
  Press(cond, IDOK);
  Check(WaitGone(cond), "the accepted conditions close the dialog");

  HWND child = TrialWindow(frame, L"Chardonnay Pad");
  Check(child != nullptr, "a trial window \"Chardonnay Pad\" opens");
  if (!child) return 1;
  std::wstring memo1 = Text(GetDlgItem(child, IDC_MEMO1));
  std::wstring memo2 = Text(GetDlgItem(child, IDC_MEMO2));
  Check(Contains(memo1, L" Wine: Chardonnay\r\n Filter: Pad"), "the summary names wine and filter");
  Check(Contains(memo2, L"                   pressure: 30.0 psi         maximum pressure:   30 psi"),
        "the report shows the canonical conditions");
  Check(Contains(memo2, L"                       area: 17.3 cm2                     area: 20.0 m2"),
        "the report shows the laboratory area");
  Check(Contains(memo2, L"rate: 40.0 bpm"), "the report shows the rate in bpm");
  Shot(L"trial_window");

  if (!EnterTrialData(frame)) return 1;
  memo2 = Text(GetDlgItem(child, IDC_MEMO2));
  Check(Contains(memo2, L"  85.6     0 30"), "the report lists the typed points");
  SaveReport(child, L"entered");
  Shot(L"trial_window_data");
  ScrollThenResize(child);
  ReopenAndCancel(frame, child);
  OpenGraphWindows(frame);

  Command(frame, kCmdFileSave);
  Check(ChooseFile(L"Save As", trialPath), "Save on a new trial asks for a file name");
  std::wstring fileName = trialPath.substr(trialPath.find_last_of(L'\\') + 1);
  Check(TrialWindow(frame, fileName) != nullptr, "the saved trial is named after its file");

  Command(frame, kCmdFileClose);
  Check(WaitGone(child), "Close closes the saved trial without a question");

  Command(frame, kCmdFileOpen);
  Check(ChooseFile(L"Open", trialPath), "Open shows the open dialog");
  HWND reopened = TrialWindow(frame, fileName);
  Check(reopened != nullptr, "the trial opens again");
  if (!reopened) return 1;
  std::wstring again = Text(GetDlgItem(reopened, IDC_MEMO2));
  Check(again == memo2, "the reopened report equals the one before saving");
  SaveReport(reopened, L"chardonnay");

  Command(frame, kCmdFileOpen);
  Check(ChooseFile(L"Open", trialPath), "a second Open of the same file");
  HWND already = Dialog(L"Information");
  Check(already != nullptr && Contains(StaticTexts(already), L"A file with that name is already open."),
        "opening an open file again is refused");
  if (already) {
    Shot(L"already_open");
    Press(already, IDOK);
    WaitGone(already);
  }
  ReadOnlyFileAndCloseQuestion(frame, reopened, trialPath);
  ReportKeys(frame, reopened);

  if (!samplePath.empty()) {
    Command(frame, kCmdFileOpen);
    Check(ChooseFile(L"Open", samplePath), "the sample trial is chosen");
    std::wstring sampleName = samplePath.substr(samplePath.find_last_of(L'\\') + 1);
    HWND sample = TrialWindow(frame, sampleName);
    Check(sample != nullptr, "the sample trial opens with its data");
    if (sample) {
      SaveReport(sample, L"sample");
      Shot(L"sample_trial");
      ModelsOnASmallScreen(frame);
      EmptyFileExplained(frame);
      RecentAndDroppedTrials(frame, trialPath, samplePath);
    }
  }

  // The frame keeps a size that leaves a trial window usable.
  SetWindowPos(frame, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT shrunk{};
  GetWindowRect(frame, &shrunk);
  Check(shrunk.right - shrunk.left >= 480 && shrunk.bottom - shrunk.top >= 360,
        "the frame shrinks no further than 480 x 360, here " + std::to_string(shrunk.right - shrunk.left) +
            " x " + std::to_string(shrunk.bottom - shrunk.top));

  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  return DriverMain(argc, argv, 3, "vorsant_e2e ARTIFACT_FOLDER TRIAL_PATH [SAMPLE_TRIAL]", "e2e",
                    [argc](wchar_t** args) { return Run(args[2], argc > 3 ? args[3] : L""); });
}
