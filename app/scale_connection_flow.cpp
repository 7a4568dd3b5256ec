#include "app/scale_connection_flow.h"

#include "app/main_form.h"
#include "scale/balance_port.h"

namespace vorsant {

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 9;

}  // namespace

std::string EnvironmentSaveErrorText(int errorNumber) {
  return "I/O Error type " + std::to_string(errorNumber) +
         " occurred while saving environment file VORSANT.DAT.";
}

void SetScaleConnectionExecute(TMainForm& form, ScaleUiPort& ui) {
  int chosen = form.Environment.ScalePort;
  if (!ui.ExecuteComDialog(chosen)) return;
  // No button checked: there is no port to take, so nothing changes.
  if (chosen < kFirstPort || chosen > kLastPort) return;
  form.ComPort.SetDeviceName(ComDeviceName(chosen));
  form.Environment.ScalePort = chosen;
  const int errorNumber = form.WriteDataFile();
  if (errorNumber != 0)
    form.Ui().ShowMessage(EnvironmentSaveErrorText(errorNumber), MessageIcon::Error, MessageButtons::Ok,
                          MessageAnswer::Ok);
}

}  // namespace vorsant
