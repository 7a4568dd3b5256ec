// TNewDataDlg: the wine's density and the longest the collection may run.

#include <array>

#include "app/dialogs_win.h"
#include "app/resource_ids.h"
#include "app/scale_windows_win.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

constexpr int kAcceptPauseMs = 200;
// The density box never needs more than a few characters; the check cuts
// what it shows to 6.
constexpr int kDensityMaxChars = 12;

constexpr std::array<int, kMaxDurations.size()> kDurationButtons{
    IDC_MAX_DURATION9, IDC_MAX_DURATION18, IDC_MAX_DURATION36, IDC_MAX_DURATION72, IDC_MAX_DURATION144};

int CheckedDuration(HWND dlg) {
  for (std::size_t i = 0; i < kDurationButtons.size(); ++i)
    if (IsDlgButtonChecked(dlg, kDurationButtons[i]) == BST_CHECKED) return kMaxDurations[i];
  return 0;
}

void Load(HWND dlg, const TNewDataChoice& choice) {
  SendDlgItemMessageW(dlg, IDC_DENSITY, EM_LIMITTEXT, kDensityMaxChars, 0);
  SetWindowTextUtf8(GetDlgItem(dlg, IDC_DENSITY), choice.Density);
  for (std::size_t i = 0; i < kDurationButtons.size(); ++i)
    if (kMaxDurations[i] == choice.MaxDuration)
      CheckRadioButton(dlg, kDurationButtons.front(), kDurationButtons.back(), kDurationButtons[i]);
}

// "Begin Data Collection": the density check, which shows its own message
// and keeps the dialog open on a refusal.
bool RangeCheck(HWND dlg, TNewDataChoice& choice, const ScaleUiPort::RangeCheckHandler& rangeCheck) {
  TNewDataChoice boxes{WindowText(GetDlgItem(dlg, IDC_DENSITY)), CheckedDuration(dlg)};
  HWND density = GetDlgItem(dlg, IDC_DENSITY);
  if (!rangeCheck(boxes)) {
    SetFocus(density);
    SendMessageW(density, EM_SETSEL, 0, -1);
    return false;
  }
  SetWindowTextUtf8(density, boxes.Density);
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(kAcceptPauseMs);
  choice = boxes;
  return true;
}

}  // namespace

bool RunNewDataDialog(HWND owner, TNewDataChoice& choice, const ScaleUiPort::RangeCheckHandler& rangeCheck) {
  const auto init = [&choice](HWND dlg) {
    CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
    Load(dlg, choice);
  };
  return RunOkCancelDialog(owner, IDD_NEW_DATA, init,
                           [&](HWND dlg) { return RangeCheck(dlg, choice, rangeCheck); });
}

}  // namespace vorsant
