#include <array>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/main_form.h"
#include "app/resource_ids.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr int kClientWidth = 512;
constexpr int kClientHeight = 413;
constexpr int kAcceptPauseMs = 200;

struct TextBox {
  int Id;
  std::string ConditionsInput::*Field;
  int MaxChars;
};

// Pixel places of every control in the 512 x 413 client area: names top
// left, wine type beside them, laboratory column left, full-scale column
// right, comments across, OK and Cancel bottom right.
struct Place {
  int Id;
  RECT Box;  // left, top, width, height
};
constexpr std::array<Place, 29> kLayout{{
    {IDC_LABEL_WINE_NAME, {16, 14, 150, 14}},
    {IDC_WINE_NAME, {16, 30, 190, 21}},
    {IDC_LABEL_FILTER_NAME, {16, 62, 150, 14}},
    {IDC_FILTER_NAME, {16, 78, 190, 21}},
    {IDC_WINE_TYPE, {250, 10, 130, 92}},
    {IDC_NORMAL, {266, 36, 100, 18}},
    {IDC_DESSERT, {266, 66, 100, 18}},
    {IDC_LAB_GROUP, {16, 118, 230, 128}},
    {IDC_LABEL_PRESSURE, {30, 150, 104, 14}},
    {IDC_LAB_PRESSURE, {140, 147, 54, 21}},
    {IDC_UNIT_PRESSURE, {200, 150, 36, 14}},
    {IDC_LABEL_DIAMETER, {30, 190, 104, 14}},
    {IDC_FILTER_DIAMETER, {140, 187, 54, 21}},
    {IDC_UNIT_DIAMETER, {200, 190, 36, 14}},
    {IDC_FULL_SCALE_GROUP, {262, 118, 234, 128}},
    {IDC_LABEL_MAX_PRESSURE, {276, 144, 90, 14}},
    {IDC_MAX_PRESSURE, {370, 141, 54, 21}},
    {IDC_UNIT_MAX_PRESSURE, {430, 144, 40, 14}},
    {IDC_LABEL_AREA, {276, 176, 90, 14}},
    {IDC_AREA, {370, 173, 54, 21}},
    {IDC_UNIT_AREA, {430, 176, 40, 14}},
    {IDC_LABEL_RATE, {276, 208, 90, 14}},
    {IDC_RATE, {370, 205, 54, 21}},
    {IDC_UNITS_BPM, {430, 198, 60, 18}},
    {IDC_UNITS_GPM, {430, 220, 60, 18}},
    {IDC_LABEL_COMMENTS, {16, 258, 150, 14}},
    {IDC_COMMENTS, {16, 274, 480, 82}},
    {IDOK, {316, 374, 82, 26}},
    {IDCANCEL, {410, 374, 82, 26}},
}};

constexpr std::array<TextBox, 7> kBoxes{{
    {IDC_WINE_NAME, &ConditionsInput::WineName, 16},
    {IDC_FILTER_NAME, &ConditionsInput::FilterName, 16},
    {IDC_LAB_PRESSURE, &ConditionsInput::LabPressure, 4},
    {IDC_FILTER_DIAMETER, &ConditionsInput::FilterDiameter, 4},
    {IDC_MAX_PRESSURE, &ConditionsInput::MaxPressure, 4},
    {IDC_AREA, &ConditionsInput::Area, 4},
    {IDC_RATE, &ConditionsInput::Rate, 4},
}};

int BoxId(ConditionsBox box) {
  switch (box) {
    case ConditionsBox::WineName:
      return IDC_WINE_NAME;
    case ConditionsBox::FilterName:
      return IDC_FILTER_NAME;
    case ConditionsBox::LabPressure:
      return IDC_LAB_PRESSURE;
    case ConditionsBox::FilterDiameter:
      return IDC_FILTER_DIAMETER;
    case ConditionsBox::MaxPressure:
      return IDC_MAX_PRESSURE;
    case ConditionsBox::Area:
      return IDC_AREA;
    case ConditionsBox::Rate:
      return IDC_RATE;
  }
  return IDC_WINE_NAME;
}

// The boxes hold the record's single-byte texts, in the ANSI code page.
std::string BoxText(HWND dlg, int id) {
  return AnsiWindowText(GetDlgItem(dlg, id));
}

void SetBoxText(HWND dlg, int id, const std::string& ansi) {
  SetAnsiWindowText(GetDlgItem(dlg, id), ansi);
}

void Load(HWND dlg, const ConditionsInput& input) {
  for (const TextBox& b : kBoxes) {
    SendDlgItemMessageW(dlg, b.Id, EM_LIMITTEXT, static_cast<WPARAM>(b.MaxChars), 0);
    SetBoxText(dlg, b.Id, input.*(b.Field));
  }
  SendDlgItemMessageW(dlg, IDC_COMMENTS, EM_LIMITTEXT, 128, 0);
  CheckRadioButton(dlg, IDC_NORMAL, IDC_DESSERT, input.WineType == 0 ? IDC_NORMAL : IDC_DESSERT);
  CheckRadioButton(dlg, IDC_UNITS_BPM, IDC_UNITS_GPM, input.UnitsBPM ? IDC_UNITS_BPM : IDC_UNITS_GPM);
}

ConditionsInput Store(HWND dlg) {
  ConditionsInput input;
  for (const TextBox& b : kBoxes) input.*(b.Field) = BoxText(dlg, b.Id);
  input.WineType = IsDlgButtonChecked(dlg, IDC_DESSERT) == BST_CHECKED ? 1 : 0;
  input.UnitsBPM = IsDlgButtonChecked(dlg, IDC_UNITS_BPM) == BST_CHECKED;
  return input;
}

// The OK button: every box checked before the failing one shows its
// canonical text; the dialog stays open on a failure.
bool Accept(HWND dlg, ConditionsInput& accepted, UiPort& ui) {
  ConditionsInput input = Store(dlg);
  std::optional<ConditionsBox> failed = CheckConditionsDialog(input, ui);
  for (const TextBox& b : kBoxes)
    if (BoxText(dlg, b.Id) != input.*(b.Field)) SetBoxText(dlg, b.Id, input.*(b.Field));
  if (failed) {
    HWND box = GetDlgItem(dlg, BoxId(*failed));
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    return false;
  }
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(kAcceptPauseMs);
  accepted = input;
  return true;
}

}  // namespace

bool RunConditionsDialog(HWND owner, ConditionsInput& input, UiPort& ui) {
  const auto init = [&input](HWND dlg) {
    DpiScale px(dlg);
    SetClientSize(dlg, px(kClientWidth), px(kClientHeight));
    for (const Place& p : kLayout)
      MoveWindow(GetDlgItem(dlg, p.Id), px(p.Box.left), px(p.Box.top), px(p.Box.right), px(p.Box.bottom),
                 FALSE);
    CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
    Load(dlg, input);
  };
  return RunOkCancelDialog(owner, IDD_CONDITIONS, init, [&](HWND dlg) { return Accept(dlg, input, ui); });
}

}  // namespace vorsant
