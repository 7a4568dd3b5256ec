// new -o OUT.vrs --wine NAME --filter NAME ...: a new trial as the New command
// makes it from the conditions dialog, with the dialog's checks and messages.
// A missing value counts as an empty box, so it gets the box's own message.

#include "cli/command.h"
#include "cli/options.h"
#include "cli/trial_io.h"
#include "trial/conditions_input.h"
#include "trial/cp1252.h"
#include "trial/new_trial.h"

namespace vorsant::cli {

int RunNew(CommandArgs args, CommandIo&) {
  const Options options(args, {"-o", "--wine", "--filter", "--type", "--lab-pressure", "--diameter",
                               "--max-pressure", "--area", "--rate", "--units"});
  options.ExpectPositional(0, "options only: new -o OUT.vrs --wine NAME ...");
  const std::string out = options.Required("-o");

  ConditionsInput input;
  // The names are stored in the record's single-byte code page.
  input.WineName = Utf8ToWindows1252(options.Value("--wine").value_or(""));
  input.FilterName = Utf8ToWindows1252(options.Value("--filter").value_or(""));
  const std::string type = options.Value("--type").value_or("normal");
  if (type != "normal" && type != "dessert") throw UsageError("--type takes normal or dessert");
  input.WineType = type == "normal" ? 0 : 1;
  input.LabPressure = options.Value("--lab-pressure").value_or("");
  input.FilterDiameter = options.Value("--diameter").value_or("");
  input.MaxPressure = options.Value("--max-pressure").value_or("");
  input.Area = options.Value("--area").value_or("");
  input.Rate = options.Value("--rate").value_or("");
  const std::string units = options.Value("--units").value_or("bpm");
  if (units != "bpm" && units != "gpm") throw UsageError("--units takes bpm or gpm");
  input.UnitsBPM = units == "bpm";

  if (const auto failure = ConditionsRangeCheck(input)) throw CommandError(failure->Message);
  SaveTrial(out, NewWineRec(input));
  return 0;
}

}  // namespace vorsant::cli
