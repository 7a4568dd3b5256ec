// scale ports | detect [--port DEVICE] | read|tare --port DEVICE [--profile
// NAME]: the present serial ports, or one exchange with the balance on
// DEVICE (COM5 on Windows, a terminal device such as /dev/ttyUSB0
// elsewhere). Without --profile, read and tare speak the original balance's
// commands at its line settings, as they always have; detect tries every
// profile, on DEVICE or else on every present port, and says what answered.

#include "cli/command.h"
#include "cli/options.h"
#include "scale/balance.h"
#include "scale/balance_exchange.h"
#include "scale/balance_port.h"
#include "scale/com_port.h"
#include "scale/serial_ports.h"
#include "trial/number_text.h"

namespace vorsant::cli {

namespace {

std::string ProfileNames() {
  std::string names;
  for (const BalanceProfile& p : BalanceProfiles()) names += (names.empty() ? "" : ", ") + std::string(p.Name);
  return names;
}

int ReadOriginal(TComPort& port, const std::string& action, CommandIo& io) {
  if (action == "tare") {
    SendTare(port);
    return 0;
  }
  const TWeightReading reading = GetWeight(port);
  if (reading.Error) {
    throw CommandError("No readable weight from the balance" +
                       (reading.WeightStr.empty() ? std::string(".") : ": \"" + reading.WeightStr + "\""));
  }
  io.out << Fixed(reading.WeightVal, 0, 2) << " g\n";
  return 0;
}

}  // namespace

int RunScale(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--port", "--profile"});
  options.ExpectPositional(1, "one action: scale ports|detect|read|tare [--port DEVICE] [--profile NAME]");
  const std::string action = options.Positional()[0];
  if (action != "read" && action != "tare" && action != "detect" && action != "ports") {
    throw UsageError("scale takes ports, detect, read or tare");
  }
  if (action == "ports") {
    for (const PresentPort& p : ListSerialPorts()) io.out << p.Device << "\t" << p.Description << "\n";
    return 0;
  }
  if (action == "detect" && !options.Value("--port")) {
    // Every present port, each with a port object of its own.
    for (const PresentPort& p : ListSerialPorts()) {
      TComPort port;
      port.SetDeviceName(p.Device);
      try {
        if (const std::optional<FoundBalance> found = FindBalance(port)) {
          io.out << "Found " << FoundBalanceText(p.Description, *found) << ".\n";
          return 0;
        }
      } catch (const EComError&) {
        // A port in use or gone: the next one.
      }
    }
    throw CommandError("No balance answered on any present serial port.");
  }
  const BalanceProfile* profile = nullptr;
  if (const std::optional<std::string> name = options.Value("--profile")) {
    profile = FindBalanceProfile(*name);
    if (profile == nullptr) throw UsageError("no balance profile named " + *name + " (" + ProfileNames() + ")");
  }
  const std::string device = options.Required("--port");
  TComPort port;
  port.SetDeviceName(device);
  try {
    if (action == "detect") {
      const std::optional<FoundBalance> found = FindBalance(port);
      if (!found) throw CommandError("No balance answered on " + device + " with any profile (" + ProfileNames() + ").");
      io.out << "Found " << FoundBalanceText(device, *found) << ".\n";
      return 0;
    }
    if (profile == nullptr) {
      SetBalanceLineSettings(port);
      return ReadOriginal(port, action, io);
    }
    ApplyBalanceLine(port, *profile);
    if (action == "tare") {
      TareWithProfile(port, *profile);
      return 0;
    }
    const BalanceAnswer answer = WeighWithProfile(port, *profile);
    if (!answer.Problem.empty()) throw CommandError("No weight from the balance: " + answer.Problem + ".");
    io.out << Fixed(answer.Reading.Grams, 0, 3) << " g\n";
  } catch (const EComError& e) {
    throw CommandError(e.what());
  }
  return 0;
}

}  // namespace vorsant::cli
