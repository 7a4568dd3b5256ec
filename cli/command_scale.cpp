// scale read|tare --port DEVICE: one exchange with the balance on DEVICE
// (COM5 on Windows, a terminal device such as /dev/ttyUSB0 elsewhere), with
// the balance's line settings.

#include "cli/command.h"
#include "cli/options.h"
#include "scale/balance.h"
#include "scale/balance_port.h"
#include "scale/com_port.h"
#include "trial/number_text.h"

namespace vorsant::cli {

int RunScale(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--port"});
  options.ExpectPositional(1, "one action: scale read|tare --port DEVICE");
  const std::string action = options.Positional()[0];
  if (action != "read" && action != "tare") throw UsageError("scale takes read or tare");
  TComPort port;
  SetBalanceLineSettings(port);
  port.SetDeviceName(options.Required("--port"));
  try {
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
  } catch (const EComError& e) {
    throw CommandError(e.what());
  }
  return 0;
}

}  // namespace vorsant::cli
