// Drives the real vorsant.exe through its windows: the welcome choice, a new
// trial through the conditions dialog (one refused value first), its points
// through the data dialog (one refused box first), both large graphs, Save
// through the save dialog, Close, Open again, a second Open of the same file,
// a prepared trial with data, Exit.
// Usage: vorsant_e2e ARTIFACT_FOLDER TRIAL_PATH [SAMPLE_TRIAL] (Windows
// paths). Asks for screenshots, writes the panels of the trial after data
// entry and of the reopened trials (NAME.memo1.txt, NAME.memo2.txt) and the
// pictures of the graph windows into the folder, and exits 0 when every
// check passed. Its last line counts the checks.

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "e2e_data_steps.h"
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
  Sleep(300);
  HWND name = GetDlgItem(dlg, 0x47c);
  if (!name) name = GetDlgItem(dlg, 0x480);
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

int Run(const std::wstring& trialPath, const std::wstring& samplePath) {
  HWND frame = WaitFor([] { return TopLevel(L"VorsantFrame", L"QEL - VORSANT"); }, 60000);
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

  if (!samplePath.empty()) {
    Command(frame, kCmdFileOpen);
    Check(ChooseFile(L"Open", samplePath), "the sample trial is chosen");
    std::wstring sampleName = samplePath.substr(samplePath.find_last_of(L'\\') + 1);
    HWND sample = TrialWindow(frame, sampleName);
    Check(sample != nullptr, "the sample trial opens with its data");
    if (sample) {
      SaveReport(sample, L"sample");
      Shot(L"sample_trial");
    }
  }

  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vorsant_e2e ARTIFACT_FOLDER TRIAL_PATH [SAMPLE_TRIAL]\n");
    return 2;
  }
  artifacts = argv[1];
  int rc = Run(argv[2], argc > 3 ? argv[3] : L"");
  std::printf("e2e: %d passed, %d failed\n", Passes(), Failures());
  return rc != 0 || Failures() != 0 ? 1 : 0;
}
