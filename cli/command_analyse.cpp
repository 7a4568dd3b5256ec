// analyse FILE.vrs -o OUT.vrs: recalculates a trial as the program does after
// an edit, prints the warnings it would have shown, and saves the result.
// OUT may be FILE itself; otherwise FILE is left as it is.

#include "cli/command.h"
#include "cli/options.h"
#include "cli/trial_io.h"
#include "trial/analysis.h"

namespace vorsant::cli {

int RunAnalyse(CommandArgs args, CommandIo& io) {
  const Options options(args, {"-o"});
  options.ExpectPositional(1, "one trial file: analyse FILE.vrs -o OUT.vrs");
  const std::string out = options.Required("-o");
  TWineRec rec = ReadTrial(options.Positional()[0]);
  PrintWarnings(Calculate(rec, true), io);
  SaveTrial(out, rec);
  return 0;
}

}  // namespace vorsant::cli
