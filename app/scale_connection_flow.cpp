#include "app/scale_connection_flow.h"

#include <algorithm>

#include "app/main_form.h"
#include "scale/balance_port.h"
#include "scale/com_port.h"

namespace vorsant {

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 9;

void StoreBalance(TMainForm& form) {
  if (form.BalanceStore) form.BalanceStore->Save(form.Balance);
}

// COM`port` (1 to 9) becomes the balance's port, kept in the environment
// file; a port kept beside the file gives way to it.
void TakeScalePort(TMainForm& form, int port) {
  form.ComPort.SetDeviceName(ComDeviceName(port));
  form.Environment.ScalePort = port;
  const int errorNumber = form.WriteDataFile();
  if (errorNumber != 0)
    form.Ui().ShowMessage(EnvironmentSaveErrorText(errorNumber), MessageIcon::Error, MessageButtons::Ok,
                          MessageAnswer::Ok);
}

std::size_t ProfileIndex(const BalanceProfile& profile) {
  const std::vector<BalanceProfile>& all = BalanceProfiles();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].Name == profile.Name) return i;
  return 0;
}

// Whether a listed port is the device `current` names ("COM12", "\\.\COM12"
// and "com12" are one port).
bool IsPort(const PresentPort& port, const std::string& current) {
  return port.Device == current || (ComPortNumber(current) != 0 && ComPortNumber(port.Device) == ComPortNumber(current));
}

// The present ports, with `current` among them in its natural place.
std::vector<PresentPort> OfferedPorts(std::vector<PresentPort> ports, const std::string& current) {
  const auto same = [&current](const PresentPort& p) { return IsPort(p, current); };
  if (std::none_of(ports.begin(), ports.end(), same)) {
    ports.push_back({current, current + " (not present)"});
    std::stable_sort(ports.begin(), ports.end(),
                     [](const PresentPort& a, const PresentPort& b) { return PortNameLess(a.Device, b.Device); });
  }
  return ports;
}

// Find Balance: the chosen port first, then the others; the first balance
// that answers a weight is taken into the boxes.
void FindInDialog(BalanceDialogState& state, const BalanceFinder& find) {
  std::vector<std::size_t> order{state.Port};
  for (std::size_t i = 0; i < state.Ports.size(); ++i)
    if (i != state.Port) order.push_back(i);
  std::vector<std::string> tried;
  std::string unopened;
  for (std::size_t i : order) {
    if (i >= state.Ports.size()) continue;
    const std::string& device = state.Ports[i].Device;
    try {
      if (const std::optional<FoundBalance> found = find(device)) {
        state.Port = i;
        state.Profile = ProfileIndex(*found->Profile);
        state.Found = "Found " + FoundBalanceText(device, *found) + ".";
        return;
      }
      tried.push_back(device);
    } catch (const EComError& e) {
      unopened += " " + device + " could not be opened: " + e.what();
    }
  }
  state.Found = NoBalanceText(tried) + unopened;
}

}  // namespace

std::string EnvironmentSaveErrorText(int errorNumber) {
  return "I/O Error type " + std::to_string(errorNumber) +
         " occurred while saving environment file VORSANT.DAT.";
}

std::string NoBalanceText(const std::vector<std::string>& tried) {
  if (tried.empty()) return "No port could be tried.";
  std::string text = "No balance answered on ";
  for (std::size_t i = 0; i < tried.size(); ++i) {
    if (i > 0) text += i + 1 == tried.size() ? " or " : ", ";
    text += tried[i];
  }
  return text + ".";
}

void SetScaleConnectionExecute(TMainForm& form, ScaleUiPort& ui) {
  int chosen = form.Environment.ScalePort;
  if (!ui.ExecuteComDialog(chosen)) return;
  // No button checked: there is no port to take, so nothing changes.
  if (chosen < kFirstPort || chosen > kLastPort) return;
  TakeScalePort(form, chosen);
  if (!form.Balance.Port.empty()) {
    form.Balance.Port.clear();
    StoreBalance(form);
  }
}

void ApplyBalanceSetting(TMainForm& form) {
  if (form.BalanceStore) form.Balance = form.BalanceStore->Load();
  if (!form.Balance.Port.empty()) form.ComPort.SetDeviceName(form.Balance.Port);
  ApplyBalanceLine(form.ComPort, ProfileOf(form.Balance));
}

void BalanceSettingsExecute(TMainForm& form, ScaleUiPort& ui, const BalanceFinder& find) {
  BalanceDialogState state;
  const std::string current = form.ComPort.DeviceName();
  state.Ports = OfferedPorts(ui.PresentPorts(), current);
  for (std::size_t i = 0; i < state.Ports.size(); ++i)
    if (IsPort(state.Ports[i], current)) state.Port = i;
  state.Profile = ProfileIndex(ProfileOf(form.Balance));
  const bool ok =
      ui.ExecuteBalanceDialog(state, [&find](BalanceDialogState& s) { FindInDialog(s, find); });
  // Finding tries other devices and lines through the same port object.
  form.ComPort.SetDeviceName(current);
  if (ok && state.Port < state.Ports.size() && state.Profile < BalanceProfiles().size()) {
    const std::string& device = state.Ports[state.Port].Device;
    const int number = ComPortNumber(device);
    if (number >= kFirstPort && number <= kLastPort) {
      TakeScalePort(form, number);
      form.Balance.Port.clear();
    } else {
      form.ComPort.SetDeviceName(device);
      form.Balance.Port = device;
    }
    form.Balance.Profile = std::string(BalanceProfiles()[state.Profile].Name);
    StoreBalance(form);
  }
  ApplyBalanceLine(form.ComPort, ProfileOf(form.Balance));
}

}  // namespace vorsant
