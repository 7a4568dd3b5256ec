// Drives the fouling models, the comparison and the exported report of the
// real vorsant.exe, started on a first trial: the Wine and Data menus (as
// screenshots), Fouling Models (the verdict and the table, a target volume
// typed into its box, a refused one, then Metric chosen for the units), a
// second trial opened, Compare Open Trials, Export Report (the proposed
// name, the file written, the overwrite question), Exit.
// Usage: models_e2e ARTIFACT_FOLDER FIRST_TRIAL SECOND_TRIAL (Windows
// paths; the program must have been started on FIRST_TRIAL); or
// models_e2e ARTIFACT_FOLDER FIRST_TRIAL --remembered after a restart, to
// find Metric still chosen. Writes the tables the windows show (models.txt,
// models_sized.txt, models_metric.txt, compare.txt) and
// their pictures (models.window.bmp, compare.window.bmp) into the folder for
// the script to compare with vorsant-cli, asks for screenshots, and exits 0
// when every check passed. Its last line counts the checks.

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "ui_driver.h"

using namespace vorsant;
using namespace vorsant::driver;
using namespace vorsant::e2e;

namespace {

constexpr wchar_t kTableGraphClass[] = L"VorsantTableGraphWindow";

std::wstring FileName(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

// Focus and menu state of the thread that owns `wnd`.
GUITHREADINFO GuiState(HWND wnd) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &gui);
  return gui;
}

HWND TrialWindow(HWND frame, const std::wstring& caption) {
  return WaitFor([&]() -> HWND {
    HWND w = Descendant(frame, L"VorsantTrialWindow");
    return w && Text(w) == caption ? w : nullptr;
  });
}

// The name box of a common file dialog: a combo box in newer layouts, an
// edit box in older ones.
HWND FileNameBox(HWND dlg) {
  HWND name = GetDlgItem(dlg, 0x47c);
  return name ? name : GetDlgItem(dlg, 0x480);
}

// What the window shows as text: the verdict (where it has one), an empty
// line and the table, as vorsant-cli prints them.
std::wstring ShownText(HWND window) {
  const std::wstring table = Text(GetDlgItem(window, IDC_MODEL_TABLE));
  HWND verdict = GetDlgItem(window, IDC_MODEL_VERDICT);
  return verdict ? Text(verdict) + L"\r\n\r\n" + table : table;
}

// The text with its lines ending in "\n" only, as vorsant-cli prints it.
void SaveTable(HWND window, const wchar_t* name) {
  std::wstring text = ShownText(window);
  std::wstring lines;
  for (wchar_t c : text)
    if (c != L'\r') lines += c;
  WriteUtf8(artifacts + L"\\" + name, lines + L"\n");
}

HWND OpenTableWindow(HWND frame, int command, const std::wstring& caption) {
  Command(frame, command);
  HWND w = WaitFor([&] { return TopLevel(kTableGraphClass, caption); });
  Check(w != nullptr, "a window \"" + Utf8(caption) + "\" opens");
  if (!w) return nullptr;
  Check(GetWindow(w, GW_OWNER) == frame, Utf8(caption) + ": owned by the main window");
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  Check((style & WS_THICKFRAME) != 0 && (style & WS_SYSMENU) != 0,
        Utf8(caption) + ": sizable, with the close button");
  RECT picture{};
  GetClientRect(GetDlgItem(w, IDC_GRAPH_IMAGE), &picture);
  Check(picture.right == 700 && picture.bottom == 600, Utf8(caption) + ": a 700 x 600 picture");
  Check(WaitUntil([&] { return !Text(GetDlgItem(w, IDC_MODEL_TABLE)).empty(); }),
        Utf8(caption) + ": the table is filled");
  return w;
}

// A visible dialog of the program that owns `wnd`, if any.
HWND ProgramDialog(HWND wnd) {
  const DWORD program = GetWindowThreadProcessId(wnd, nullptr);
  HWND found = nullptr;
  for (HWND d = FindWindowW(L"#32770", nullptr); d && !found; d = FindWindowExW(nullptr, d, L"#32770", nullptr))
    if (IsWindowVisible(d) && GetWindowThreadProcessId(d, nullptr) == program) found = d;
  return found;
}

// Tab from the target volume box selects the safety factor's text; Ctrl+C
// there copies it instead of starting a new collection, and no question
// comes up.
void ShortcutsInABox(HWND w) {
  HWND safety = GetDlgItem(w, IDC_SAFETY_FACTOR);
  // Keys struck on the keyboard go to the foreground window, and Wine
  // activates another program's window a moment after it is asked to.
  SetForegroundWindow(w);
  const bool foreground = WaitUntil([&] { return GetForegroundWindow() == w; }, 10000);
  Check(foreground, "the Fouling Models window comes to the foreground");
  if (!foreground) std::printf("  the foreground is %s\n", Describe(GetForegroundWindow()).c_str());
  const bool focused = WaitFor([&] { return GuiState(w).hwndFocus == safety ? safety : nullptr; }) != nullptr;
  Check(focused, "Tab moves to the safety factor box");
  const LRESULT selection = SendMessageW(safety, EM_GETSEL, 0, 0);
  Check(LOWORD(selection) == 0 && HIWORD(selection) == Text(safety).size(), "tabbing into a box selects its text");
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  // The clipboard is read only once its sequence number has moved: opened
  // by this driver while the box copies, it would refuse the copy.
  auto copy = [&] {
    const DWORD before = GetClipboardSequenceNumber();
    StrikeCtrl('C');
    return WaitUntil([&] { return GetClipboardSequenceNumber() != before && ReadClipboard() == Text(safety); }, 5000);
  };
  bool copied = copy();
  if (!copied) {
    // Once in many runs under Wine the keystroke came to nothing: say what
    // there was, and strike it once more on the whole text.
    std::printf("note: no copy within 5 s; the box holds \"%s\", the clipboard \"%s\", the focus is %s, "
                "the foreground %s\n",
                Utf8(Text(safety)).c_str(), Utf8(ReadClipboard()).c_str(), Describe(GuiState(w).hwndFocus).c_str(),
                Describe(GetForegroundWindow()).c_str());
    SendMessageW(safety, EM_SETSEL, 0, -1);
    copied = copy();
  }
  Check(copied, "Ctrl+C in a box copies its text");
  Check(ProgramDialog(w) == nullptr && IsWindowEnabled(w), "Ctrl+C in a box opens no command of the frame");
}

// After a longer verdict every line of the table is in view, the models'
// last row too.
void TableRowInView(HWND w) {
  HWND table = GetDlgItem(w, IDC_MODEL_TABLE);
  const std::wstring text = Text(table);
  const auto at = text.find(L"Power model");
  Check(at != std::wstring::npos, "the sized table lists the power model");
  if (at == std::wstring::npos) return;
  const LRESULT line = SendMessageW(table, EM_LINEFROMCHAR, at, 0);
  const LRESULT first = SendMessageW(table, EM_GETFIRSTVISIBLELINE, 0, 0);
  const LRESULT top = SendMessageW(table, EM_POSFROMCHAR, SendMessageW(table, EM_LINEINDEX, first, 0), 0);
  const LRESULT next = SendMessageW(table, EM_POSFROMCHAR, SendMessageW(table, EM_LINEINDEX, first + 1, 0), 0);
  const int lineHeight = static_cast<short>(HIWORD(next)) - static_cast<short>(HIWORD(top));
  RECT view{};
  SendMessageW(table, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&view));
  const int shown = lineHeight > 0 ? (view.bottom - view.top) / lineHeight : 0;
  Check(line >= first && line < first + shown,
        "the power model's row is in view after the verdict grew (line " + std::to_string(line) + ", lines " +
            std::to_string(first) + " to " + std::to_string(first + shown - 1) + " shown)");
}

// Tab goes on from the boxes and the Units choice to the verdict and the table, so the
// keyboard reaches them.
void TabReachesTable(HWND w) {
  HWND table = GetDlgItem(w, IDC_MODEL_TABLE);
  for (int box : {IDC_SAFETY_FACTOR, IDC_ELEMENT_AREA, IDC_UNITS, IDC_MODEL_VERDICT}) {
    HWND from = GetDlgItem(w, box);
    WaitFor([&] { return GuiState(w).hwndFocus == from ? from : nullptr; }, 5000);
    PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
  }
  Check(WaitFor([&] { return GuiState(w).hwndFocus == table ? table : nullptr; }, 10000) != nullptr,
        "Tab from the boxes and the Units choice reaches the table");
}

// Escape struck in the window's focused box closes it.
void EscapeCloses(HWND w, const char* what) {
  HWND focus = GuiState(w).hwndFocus;
  PostMessageW(focus ? focus : w, WM_KEYDOWN, VK_ESCAPE, 1);
  Check(WaitGone(w, 10000), std::string("Escape closes ") + what);
}

// A modal box with this caption; its text must contain `part`; OK closes it.
bool Answer(const wchar_t* caption, const std::wstring& part, int button, const wchar_t* shot) {
  HWND box = Dialog(caption, 10000);
  const bool found = box && Contains(StaticTexts(box), part);
  Check(found, "a box \"" + Utf8(caption) + "\" says: " + (box ? Utf8(StaticTexts(box)) : "(none)"));
  if (!box) return false;
  if (shot) Shot(shot);
  Press(box, button);
  WaitGone(box);
  return found;
}

// Metric from the Units choice: the verdict and the table in litres or
// hectolitres, the target volume typed in litres; remembered for the
// comparison, the exported report and the next start.
void ChooseMetric(HWND w) {
  HWND units = GetDlgItem(w, IDC_UNITS);
  Check(units && SendMessageW(units, CB_GETCURSEL, 0, 0) == 0, "the Units choice starts at US");
  if (!units) return;
  SendMessageW(units, CB_SETCURSEL, 1, 0);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_UNITS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(units));
  Check(WaitUntil([&] { return Contains(ShownText(w), L"hectolitres"); }, 10000),
        "Metric puts the verdict in hectolitres");
  const std::wstring table = ShownText(w);
  Check(!Contains(table, L"gallons") && Contains(table, L"hL"), "no gallons are left in the window");
  Check(Text(GetDlgItem(w, IDC_TARGET_VOLUME_LABEL)) == L"Target volume (L)", "the target volume is asked in litres");
  SaveTable(w, L"models_metric.txt");
  Shot(L"fouling_models_metric");
}

void FoulingModels(HWND frame) {
  HWND w = OpenTableWindow(frame, kCmdFoulingModels, L"Fouling Models");
  if (!w) return;
  HWND volume = GetDlgItem(w, IDC_TARGET_VOLUME);
  HWND safety = GetDlgItem(w, IDC_SAFETY_FACTOR);
  Check(volume && safety && GetDlgItem(w, IDC_ELEMENT_AREA), "the window has its three sizing boxes");
  Check(Text(safety) == L"1.5" && Text(volume).empty(), "the safety factor starts at 1.5, no target volume");
  Check(GuiState(w).hwndFocus == volume, "the target volume box has the focus");
  const std::wstring unsized = ShownText(w);
  Check(Contains(unsized, L"Complete blocking") && Contains(unsized, L"Power model") &&
            Contains(unsized, L"* "),
        "the table lists the models with the best one marked");
  Check(
      unsized.rfind(L"Verdict: ", 0) == 0 && unsized.find(L"Verdict: ") < unsized.find(L"Model (* best fit)"),
      "the verdict stands above the table");
  Check(Contains(unsized, L"Reading 20 has no time and was left out."), "the verdict names the reading left out");
  SaveTable(w, L"models.txt");
  WaitPainted();  // the picture is drawn once the window has settled
  Check(SaveClientArea(GetDlgItem(w, IDC_GRAPH_IMAGE), artifacts + L"\\models.window.bmp"),
        "picture captured");
  Shot(L"fouling_models");

  TypeChars(volume, L"5000");
  WaitUntil([&] { return Contains(ShownText(w), L"; for 5,000 gallons with"); });
  const std::wstring sized = ShownText(w);
  Check(sized != unsized, "typing a target volume changes the sizing columns");
  // The verdict is wrapped to the window's width, wherever its words fall.
  std::wstring unwrapped = sized;
  for (std::size_t at; (at = unwrapped.find(L"\r\n")) != std::wstring::npos;) unwrapped.replace(at, 2, L" ");
  Check(Contains(unwrapped, L"; for 5,000 gallons with") && Contains(unwrapped, L"safety factor of 1.5 it needs"),
        "the verdict sizes the filter in its volume sentence");
  SaveTable(w, L"models_sized.txt");
  Shot(L"fouling_models_sized");
  TableRowInView(w);

  // A refused value: reported once the box is left (Tab), and the sizing
  // columns are empty again meanwhile.
  SetText(volume, L"");
  TypeChars(volume, L"0");
  Check(WaitUntil([&] { return ShownText(w) == unsized; }, 10000), "a target volume of 0 leaves the sizing out");
  PostMessageW(volume, WM_KEYDOWN, VK_TAB, 1);
  Answer(L"Information", L"The target volume must be greater than 0 gallons.", IDOK, L"fouling_refused");
  Check(Text(volume) == L"0", "the refused box keeps the typed text");
  ChooseMetric(w);
  ShortcutsInABox(w);
  TabReachesTable(w);
  EscapeCloses(w, "the Fouling Models window");
  PostMessageW(w, WM_CLOSE, 0, 0);
  Check(WaitGone(w), "the Fouling Models window closes");
}

void Compare(HWND frame, const std::wstring& first, const std::wstring& second) {
  HWND w = OpenTableWindow(frame, kCmdCompareOpenTrials, L"Compare Trials");
  if (!w) return;
  const std::wstring table = Text(GetDlgItem(w, IDC_MODEL_TABLE));
  const auto a = table.find(FileName(first)), b = table.find(FileName(second));
  Check(a != std::wstring::npos && b != std::wstring::npos && a < b,
        "the table lists both trials in the order they were opened");
  SaveTable(w, L"compare.txt");
  WaitPainted();  // the picture is drawn once the window has settled
  Check(SaveClientArea(GetDlgItem(w, IDC_GRAPH_IMAGE), artifacts + L"\\compare.window.bmp"),
        "picture captured");
  Shot(L"compare_trials");
  PostMessageW(w, WM_CLOSE, 0, 0);
  Check(WaitGone(w), "the Compare Trials window closes");
}

void Export(HWND frame, const std::wstring& trial) {
  const std::wstring name = FileName(trial);
  const std::wstring report = name.substr(0, name.rfind(L'.')) + L".html";
  const std::wstring target = trial.substr(0, trial.size() - name.size()) + report;
  DeleteFileW(target.c_str());

  Command(frame, kCmdExportReport);
  HWND dlg = Dialog(L"Save As");
  Check(dlg != nullptr, "Export Report shows the save dialog");
  if (!dlg) return;
  // The dialog fills its name box once it has set itself up.
  WaitUntil([&] { return FileNameBox(dlg) && !Text(FileNameBox(dlg)).empty(); }, 10000);
  Check(Text(FileNameBox(dlg)) == report, "the dialog proposes " + Utf8(report));
  Shot(L"export_dialog");
  // The full path, so the check does not depend on where the dialog opened.
  SetText(FileNameBox(dlg), target);
  Press(dlg, IDOK);
  WaitGone(dlg);
  const bool written =
      WaitUntil([&] { return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000);
  Check(written, "the report is written as " + Utf8(report));

  Command(frame, kCmdExportReport);
  dlg = Dialog(L"Save As");
  if (!dlg) return;
  WaitUntil([&] { return FileNameBox(dlg) && !Text(FileNameBox(dlg)).empty(); }, 10000);
  SetText(FileNameBox(dlg), target);
  Press(dlg, IDOK);
  Answer(L"Warning", L"A file with that name already exists. Overwrite it?", IDCANCEL, L"export_overwrite");
  dlg = Dialog(L"Save As");
  Check(dlg != nullptr, "Cancel on the question shows the save dialog again");
  if (dlg) {
    Press(dlg, IDCANCEL);
    Check(WaitGone(dlg), "Cancel there ends the export");
  }
}

// Opens the frame's menu with this access key as Alt+key does, for a
// screenshot of its items, and leaves it again: the first Escape closes the
// popup, the second the menu bar.
void ShowMenu(HWND frame, wchar_t key, const wchar_t* shot) {
  SetForegroundWindow(frame);
  PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, key);
  HWND menu = WaitFor([] {
    HWND m = FindWindowW(L"#32768", nullptr);
    return m && IsWindowVisible(m) ? m : nullptr;
  });
  Shot(shot);
  Check(menu != nullptr, "a menu opens for a screenshot");
  if (menu) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  // The first Escape closes the popup and leaves the menu bar selected.
  if (menu) WaitGone(menu, 10000);
  if (GuiState(frame).flags & GUI_INMENUMODE) PostMessageW(frame, WM_KEYDOWN, VK_ESCAPE, 0);
  // Wine may leave the bar selected a moment after that look, or lose an
  // Escape: while the menu stays, Escape goes again to whichever part of
  // it is open, twice a second at most.
  int sinceEscape = 0;
  Check(WaitUntil(
            [&] {
              DWORD flags = GuiState(frame).flags;
              if ((flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) == 0) return true;
              if ((sinceEscape += 50) < 500) return false;
              sinceEscape = 0;
              HWND popup = FindWindowW(L"#32768", nullptr);
              PostMessageW(popup && IsWindowVisible(popup) ? popup : frame, WM_KEYDOWN, VK_ESCAPE, 0);
              return false;
            },
            10000),
        "Escape leaves the menu");
}

int Run(const std::wstring& first, const std::wstring& second) {
  HWND frame = WaitForFrame();
  Check(frame != nullptr, "the frame window appears");
  if (!frame) return 1;
  Check(TrialWindow(frame, FileName(first)) != nullptr, "the first trial is open");
  ShowMenu(frame, L'w', L"menu_wine");
  ShowMenu(frame, L'd', L"menu_data");

  FoulingModels(frame);

  Command(frame, kCmdFileOpen);
  HWND open = Dialog(L"Open");
  if (open) {
    WaitUntil([&] { return FileNameBox(open) && IsWindowVisible(FileNameBox(open)); });
    SetText(FileNameBox(open), second);
    Press(open, IDOK);
  }
  Check(TrialWindow(frame, FileName(second)) != nullptr, "the second trial opens");

  Compare(frame, first, second);
  Export(frame, second);

  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

// After a restart: the Fouling Models window opens in the units last chosen.
int Remembered(const std::wstring& first) {
  HWND frame = WaitForFrame();
  Check(frame != nullptr, "the frame window appears again");
  if (!frame || !TrialWindow(frame, FileName(first))) return 1;
  HWND w = OpenTableWindow(frame, kCmdFoulingModels, L"Fouling Models");
  if (w) {
    Check(SendMessageW(GetDlgItem(w, IDC_UNITS), CB_GETCURSEL, 0, 0) == 1, "Metric is still chosen after a restart");
    Check(Contains(ShownText(w), L"hectolitres"), "the verdict is in hectolitres again");
    Shot(L"fouling_models_restarted");
    PostMessageW(w, WM_CLOSE, 0, 0);
    Check(WaitGone(w), "the Fouling Models window closes");
  }
  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  return DriverMain(argc, argv, 4, "models_e2e ARTIFACT_FOLDER FIRST_TRIAL SECOND_TRIAL|--remembered", "e2e",
                    [](wchar_t** args) {
                      return std::wstring(args[3]) == L"--remembered" ? Remembered(args[2]) : Run(args[2], args[3]);
                    });
}
