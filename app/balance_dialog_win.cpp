// Balance Settings: the balance's port (any present one) and its command
// set, with Find Balance.

#include "app/dialogs_win.h"
#include "app/resource_ids.h"
#include "app/scale_windows_win.h"
#include "app/win_handles.h"
#include "scale/balance_profile.h"

namespace vorsant {
namespace {

void Fill(HWND dlg, int list, const std::vector<std::string>& texts, std::size_t chosen) {
  SendDlgItemMessageW(dlg, list, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts)
    SendDlgItemMessageW(dlg, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  SendDlgItemMessageW(dlg, list, CB_SETCURSEL, chosen, 0);
}

void Load(HWND dlg, const BalanceDialogState& state) {
  std::vector<std::string> ports;
  for (const PresentPort& port : state.Ports) ports.push_back(port.Description);
  Fill(dlg, IDC_BALANCE_PORT, ports, state.Port);
  std::vector<std::string> profiles;
  for (const BalanceProfile& profile : BalanceProfiles())
    profiles.push_back(std::string(profile.Description) + " (" + LineSettingsText(profile.Line) + ")");
  Fill(dlg, IDC_BALANCE_PROFILE, profiles, state.Profile);
  SetWindowTextUtf8(GetDlgItem(dlg, IDC_BALANCE_FOUND), state.Found);
  EnableWindow(GetDlgItem(dlg, IDC_FIND_BALANCE), !state.Ports.empty());
}

void Read(HWND dlg, BalanceDialogState& state) {
  const LRESULT port = SendDlgItemMessageW(dlg, IDC_BALANCE_PORT, CB_GETCURSEL, 0, 0);
  const LRESULT profile = SendDlgItemMessageW(dlg, IDC_BALANCE_PROFILE, CB_GETCURSEL, 0, 0);
  if (port != CB_ERR) state.Port = static_cast<std::size_t>(port);
  if (profile != CB_ERR) state.Profile = static_cast<std::size_t>(profile);
}

}  // namespace

bool RunBalanceDialog(HWND owner, BalanceDialogState& state, const ScaleUiPort::FindBalanceHandler& find) {
  const auto init = [&state](HWND dlg) {
    CenterWindow(dlg, GetWindow(dlg, GW_OWNER));
    Load(dlg, state);
  };
  const auto accept = [&state](HWND dlg) {
    Read(dlg, state);
    return !state.Ports.empty();
  };
  const auto command = [&state, &find](HWND dlg, int id) {
    if (id != IDC_FIND_BALANCE) return;
    Read(dlg, state);
    SetWindowTextUtf8(GetDlgItem(dlg, IDC_BALANCE_FOUND), "Looking for a balance...");
    UpdateWindow(dlg);
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    find(state);
    SetCursor(before);
    Load(dlg, state);
  };
  return RunOkCancelDialog(owner, IDD_BALANCE, init, accept, command);
}

}  // namespace vorsant
