#include "e2e_data_steps.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "ui_driver.h"

namespace vorsant::e2e {
namespace {

using namespace vorsant::driver;

constexpr int kPointBoxes = 36;
constexpr int kSkipButtons = 13;
constexpr int kTypedPoints = 12;
constexpr int kRefusedPoint = 4;  // its volume box has no typing limit

struct TypedPoint {
  std::wstring V, Min, Sec;
};

// A pad that fouls: cumulative volume 900 * (1 - exp(-t / 300)) ml, read
// every 30 s, typed the way a user would.
std::vector<TypedPoint> TrialPoints() {
  std::vector<TypedPoint> points;
  for (int k = 1; k <= kTypedPoints; ++k) {
    int t = 30 * k;
    wchar_t v[16];
    std::swprintf(v, 16, L"%.1f", 900 * (1 - std::exp(-t / 300.0)));
    points.push_back({v, std::to_wstring(t / 60), std::to_wstring(t % 60)});
  }
  return points;
}

// How a checked volume box shows a typed "123.4": right-aligned in six.
std::wstring Canonical(const std::wstring& typed, std::size_t width) {
  return typed.size() >= width ? typed : std::wstring(width - typed.size(), L' ') + typed;
}

HWND Box(HWND dlg, int firstId, int point) {
  return GetDlgItem(dlg, firstId + point - 1);
}

// Where Tab leads from OK all the way round. The skip buttons are one group:
// like every group of radio buttons, Tab stops only at the checked one and
// the arrow keys move through the group, 0 to 12.
void CheckTabOrder(HWND dlg, int checkedSkip) {
  std::vector<int> expected{IDOK, IDCANCEL};
  for (int i = 0; i < kPointBoxes; ++i) expected.push_back(IDC_DATA_V1 + i);
  for (int i = 0; i < kPointBoxes; ++i) {
    expected.push_back(IDC_DATA_MIN1 + i);
    expected.push_back(IDC_DATA_SEC1 + i);
  }
  expected.push_back(IDC_DATA_SKIP0 + checkedSkip);
  expected.push_back(IDOK);  // and round again

  std::vector<int> seen{IDOK};
  HWND c = GetDlgItem(dlg, IDOK);
  while (c && seen.size() < expected.size()) {
    c = GetNextDlgTabItem(dlg, c, FALSE);
    seen.push_back(c ? GetDlgCtrlID(c) : 0);
  }
  std::size_t diff = 0;
  while (diff < seen.size() && seen[diff] == expected[diff]) ++diff;
  Check(seen == expected,
        "tab order OK, Cancel, V1..V36, Min1, Sec1 .. Min36, Sec36, the checked skip button" +
            (seen == expected
                 ? std::string()
                 : " (step " + std::to_string(diff) + " reaches id " + std::to_string(seen[diff]) + ")"));

  std::vector<int> group{IDC_DATA_SKIP0};
  c = GetDlgItem(dlg, IDC_DATA_SKIP0);
  for (int k = 0; c && k < kSkipButtons; ++k) {
    c = GetNextDlgGroupItem(dlg, c, FALSE);
    group.push_back(c ? GetDlgCtrlID(c) : 0);
  }
  bool inOrder = true;
  for (int k = 0; k <= kSkipButtons; ++k)
    inOrder = inOrder && group[static_cast<std::size_t>(k)] == IDC_DATA_SKIP0 + k % kSkipButtons;
  Check(inOrder, "the arrow keys step through Skip0 to Skip12 and round");
}

void CheckLimits(HWND dlg) {
  std::string wrong;
  for (int p = 1; p <= kPointBoxes; ++p) {
    auto limit = [&](int firstId) { return SendMessageW(Box(dlg, firstId, p), EM_GETLIMITTEXT, 0, 0); };
    const bool unlimited = p >= 4 && p <= 9;
    if (unlimited ? limit(IDC_DATA_V1) <= 6 : limit(IDC_DATA_V1) != 6) wrong += " V" + std::to_string(p);
    if (limit(IDC_DATA_MIN1) != 3) wrong += " Min" + std::to_string(p);
    if (limit(IDC_DATA_SEC1) != 2) wrong += " Sec" + std::to_string(p);
  }
  Check(wrong.empty(), "typing limits: volumes 6 (V4 to V9 none), minutes 3, seconds 2" +
                           (wrong.empty() ? std::string() : "; wrong:" + wrong));
}

void CheckSkipButtons(HWND dlg, int checked) {
  bool ok = true;
  for (int k = 0; k < kSkipButtons; ++k) {
    HWND b = GetDlgItem(dlg, IDC_DATA_SKIP0 + k);
    ok = ok && b && Text(b) == std::to_wstring(k) &&
         (SendMessageW(b, BM_GETCHECK, 0, 0) == BST_CHECKED) == (k == checked);
  }
  Check(ok, "13 skip buttons \"0\" to \"12\", only " + std::to_string(checked) + " checked");
}

// Readings copied from a sheet, one line with the desktop's decimal comma,
// pasted with Ctrl+V into point 20's volume box fill points 20 to 22 after
// the headings; a refused box then has the focus with its text selected.
void PasteAndRefuse(HWND dlg) {
  const std::wstring comma = DecimalSeparator();
  Check(WriteClipboard(L"Volume\tTime\r\n86.7\t0\t30\r\n150\t1:00\r\n201" + comma + L"5;90\r\n"),
        "three readings are put on the clipboard");
  PostMessageW(Box(dlg, IDC_DATA_V1, 20), WM_CHAR, 0x16, 0);  // Ctrl+V as the box receives it
  HWND note = GetDlgItem(dlg, IDC_DATA_PASTE_NOTE);
  Check(WaitUntil([&] { return Text(note) == L"Took 3 readings into points 20 to 22."; }, 5000),
        "the dialog says what the paste took: " + Utf8(Text(note)));
  Check(Text(Box(dlg, IDC_DATA_V1, 20)) == L"86.7" && Text(Box(dlg, IDC_DATA_SEC1, 20)) == L"30" &&
            Text(Box(dlg, IDC_DATA_MIN1, 21)) == L"1" && Text(Box(dlg, IDC_DATA_SEC1, 21)) == L"00" &&
            Text(Box(dlg, IDC_DATA_V1, 22)) == L"201.5" && Text(Box(dlg, IDC_DATA_MIN1, 22)) == L"1" &&
            Text(Box(dlg, IDC_DATA_SEC1, 22)) == L"30",
        "the readings fill points 20 to 22, the decimal comma read as a point");
  Check(Text(Box(dlg, IDC_DATA_V1, 19)).empty() && Text(Box(dlg, IDC_DATA_V1, 23)).empty(),
        "the points around them are untouched");
  Shot(L"data_pasted");

  SetText(Box(dlg, IDC_DATA_V1, 23), L"0.05");
  Press(dlg, IDOK);
  HWND refusal = Dialog(L"Information");
  Check(refusal != nullptr, "a volume of 0.05 is refused");
  if (!refusal) return;
  Press(refusal, IDOK);
  WaitGone(refusal);
  HWND refused = Box(dlg, IDC_DATA_V1, 23);
  const bool focused = WaitUntil([&] { return FocusOf(dlg) == refused; }, 5000);
  const LRESULT selection = SendMessageW(refused, EM_GETSEL, 0, 0);
  Check(focused && LOWORD(selection) == 0 && HIWORD(selection) == 4,
        "the refused box has the focus with its text selected");
  Shot(L"data_refused_focus");
}

}  // namespace

bool EnterTrialData(HWND frame) {
  Command(frame, kCmdEditData);
  HWND dlg = Dialog(L"Filtration Data");
  Check(dlg != nullptr, "Edit Data opens \"Filtration Data\"");
  if (!dlg) return false;
  RECT client{};
  GetClientRect(dlg, &client);
  Check(client.right == 521 && client.bottom == 474, "the data dialog's client area is 521 x 474");
  CheckTabOrder(dlg, 0);
  CheckLimits(dlg);
  CheckSkipButtons(dlg, 0);

  // Typing stops at the limit; the unlimited box takes all seven digits.
  TypeChars(Box(dlg, IDC_DATA_V1, 1), L"1234567");
  TypeChars(Box(dlg, IDC_DATA_MIN1, 1), L"1234");
  TypeChars(Box(dlg, IDC_DATA_SEC1, 1), L"123");
  TypeChars(Box(dlg, IDC_DATA_V1, kRefusedPoint), L"1234567");
  Check(Text(Box(dlg, IDC_DATA_V1, 1)) == L"123456" && Text(Box(dlg, IDC_DATA_MIN1, 1)) == L"123" &&
            Text(Box(dlg, IDC_DATA_SEC1, 1)) == L"12",
        "typing stops at each box's limit");
  Check(Text(Box(dlg, IDC_DATA_V1, kRefusedPoint)) == L"1234567", "V4 takes seven typed characters");

  const std::vector<TypedPoint> points = TrialPoints();
  for (int p = 1; p <= kTypedPoints; ++p) {
    const TypedPoint& t = points[static_cast<std::size_t>(p - 1)];
    if (p != kRefusedPoint) SetText(Box(dlg, IDC_DATA_V1, p), t.V);
    SetText(Box(dlg, IDC_DATA_MIN1, p), t.Min);
    SetText(Box(dlg, IDC_DATA_SEC1, p), t.Sec);
  }
  SendMessageW(GetDlgItem(dlg, IDC_DATA_SKIP0 + 1), BM_CLICK, 0, 0);
  CheckSkipButtons(dlg, 1);

  Press(dlg, IDOK);
  HWND refusal = Dialog(L"Information");
  Check(refusal != nullptr, "a volume of 1234567 is refused with a message");
  if (!refusal) return false;
  Check(StaticTexts(refusal) ==
            L"There is an error in the data entry. Please correct it and retry, or cancel. (Volume "
            L"increments must be greater than 0.1 ml.)",
        "the refusal reads: " + Utf8(StaticTexts(refusal)));
  Shot(L"data_refused");
  Press(refusal, IDOK);
  WaitGone(refusal);
  Check(IsWindowVisible(dlg) != FALSE, "the data dialog stays open");
  bool before = true;
  for (int p = 1; p < kRefusedPoint; ++p)
    before =
        before && Text(Box(dlg, IDC_DATA_V1, p)) == Canonical(points[static_cast<std::size_t>(p - 1)].V, 6);
  Check(before, "the volumes before the refused one show their canonical form");
  Check(Text(Box(dlg, IDC_DATA_V1, kRefusedPoint)) == L"1234567", "the refused box keeps the typed text");
  Check(Text(Box(dlg, IDC_DATA_SEC1, 2)) == L"0", "boxes after the refused one are not rewritten yet");

  SetText(Box(dlg, IDC_DATA_V1, kRefusedPoint), points[kRefusedPoint - 1].V);
  Shot(L"data_dialog");
  Press(dlg, IDOK);
  Check(WaitGone(dlg), "the corrected points close the dialog");
  HWND warning = Dialog(L"Warning", 1500);
  Check(warning == nullptr, "a clean fouling trial gives no warning" +
                                (warning ? ": " + Utf8(StaticTexts(warning)) : std::string()));
  if (warning) Press(warning, IDOK);
  return true;
}

void ReopenAndCancel(HWND frame, HWND trial) {
  const std::wstring report = Text(GetDlgItem(trial, IDC_MEMO2));
  Command(frame, kCmdEditData);
  HWND dlg = Dialog(L"Filtration Data");
  Check(dlg != nullptr, "Edit Data opens the dialog again");
  if (!dlg) return;
  const std::vector<TypedPoint> points = TrialPoints();
  Check(Text(Box(dlg, IDC_DATA_V1, 1)) == Canonical(points[0].V, 6) &&
            Text(Box(dlg, IDC_DATA_MIN1, 1)) == L"  0" && Text(Box(dlg, IDC_DATA_SEC1, 2)) == L"00" &&
            Text(Box(dlg, IDC_DATA_V1, kTypedPoints + 1)).empty(),
        "the dialog shows the stored points in their canonical form");
  CheckSkipButtons(dlg, 1);
  PasteAndRefuse(dlg);
  SetText(Box(dlg, IDC_DATA_V1, 1), L"1");
  SendMessageW(GetDlgItem(dlg, IDC_DATA_SKIP0 + 5), BM_CLICK, 0, 0);
  Press(dlg, IDCANCEL);
  Check(WaitGone(dlg), "Cancel closes the data dialog");
  Sleep(300);
  Check(Text(GetDlgItem(trial, IDC_MEMO2)) == report, "after Cancel the report is unchanged");
}

namespace {

struct GraphCount {
  const std::wstring* Caption;
  int N = 0;
};

BOOL CALLBACK CountGraph(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<GraphCount*>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  if (IsWindowVisible(w) && wcscmp(cls, L"VorsantGraphWindow") == 0 && Text(w) == *c->Caption) ++c->N;
  return TRUE;
}

int CountTopLevel(const std::wstring& caption) {
  GraphCount count{&caption};
  EnumWindows(CountGraph, reinterpret_cast<LPARAM>(&count));
  return count.N;
}

HWND OpenGraph(HWND frame, int command, const std::wstring& caption, const wchar_t* name) {
  const int before = CountTopLevel(caption);
  Command(frame, command);
  HWND w = WaitFor([&]() -> HWND {
    return CountTopLevel(caption) > before ? TopLevel(L"VorsantGraphWindow", caption) : nullptr;
  });
  Check(w != nullptr, "a window \"" + Utf8(caption) + "\" opens");
  if (!w) return nullptr;
  // The newest one is in front; TopLevel finds the topmost first.
  RECT client{};
  GetClientRect(w, &client);
  Check(client.right == 700 && client.bottom == 600, Utf8(caption) + ": client area 700 x 600");
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  Check((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) == 0 && (style & WS_SYSMENU) != 0,
        Utf8(caption) + ": fixed size with only the close button");
  Check(GetWindow(w, GW_OWNER) == frame, Utf8(caption) + ": owned by the main window");
  WaitPainted();
  Check(SaveClientArea(w, artifacts + L"\\" + name + L".window.bmp"), Utf8(caption) + ": picture captured");
  Shot(name);
  return w;
}

}  // namespace

void OpenGraphWindows(HWND frame) {
  HWND lab = OpenGraph(frame, kCmdLaboratoryGraph, L"Lab Scale Graph", L"lab_graph");
  HWND prod = OpenGraph(frame, kCmdProductionGraph, L"Production Scale Graph", L"production_graph");
  if (!lab || !prod) return;

  Command(frame, kCmdLaboratoryGraph);
  HWND second = WaitFor([&]() -> HWND {
    return CountTopLevel(L"Lab Scale Graph") == 2 ? TopLevel(L"VorsantGraphWindow", L"Lab Scale Graph")
                                                  : nullptr;
  });
  Check(second != nullptr && second != lab, "Laboratory Graph again opens another window");
  if (second && second != lab) {
    PostMessageW(second, WM_CLOSE, 0, 0);
    Check(WaitGone(second) && IsWindowVisible(lab) && IsWindowVisible(prod),
          "closing it leaves the other graph windows open");
  }
}

}  // namespace vorsant::e2e
