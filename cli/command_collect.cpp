// collect FILE.vrs --port DEVICE --density D --duration 9|18|36|72|144
// [-o OUT.vrs] [--profile NAME]: a real collection run from the balance into the trial FILE
// (made with "new"), through the balance profile NAME (the original balance
// by default). Every reading goes to OUT.readings.csv beside the output as it
// is taken. The collected trial is written, through the safe save,
// to OUT or else over FILE, only when the run stored at least one point,
// also when the port fails after that point. A run that ends by its own
// message, by a port error or before its first point exits 1. X or Ctrl+C stops it early.
// VORSANT_TEST_TIME_SCALE speeds the schedule up for tests.

#include <algorithm>
#include <csignal>

#include "cli/command.h"
#include "cli/console_collection_ui.h"
#include "cli/options.h"
#include "cli/terminal_keys.h"
#include "cli/trial_io.h"
#include "scale/balance_port.h"
#include "scale/balance_exchange.h"
#include "scale/collection_run.h"
#include "scale/reading_log.h"
#include "scale/com_port.h"
#include "scale/density_check.h"
#include "scale/run_clock.h"

namespace vorsant::cli {

namespace {

void OnInterrupt(int) {
  ConsoleCollectionUi::interrupted = 1;
}

// Ctrl+C stops the run instead of the process while this object lives.
class InterruptScope {
 public:
  InterruptScope() {
    ConsoleCollectionUi::interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~InterruptScope() { std::signal(SIGINT, previous_); }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  void (*previous_)(int) = SIG_DFL;
};

}  // namespace

int RunCollect(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--port", "--density", "--duration", "-o", "--profile"});
  options.ExpectPositional(1,
                           "one trial file: collect FILE.vrs --port DEVICE --density D --duration MIN [-o OUT.vrs] "
                           "[--profile NAME]");
  const std::string path = options.Positional()[0];
  const std::string output = options.Value("-o").value_or(path);
  const std::optional<std::string> density = RangeCheck(options.Required("--density"));
  if (!density) throw CommandError(kDensityRangeMessage);
  const std::string durationText = options.Required("--duration");
  const auto duration = std::find_if(kMaxDurations.begin(), kMaxDurations.end(),
                                     [&](int minutes) { return std::to_string(minutes) == durationText; });
  if (duration == kMaxDurations.end()) throw UsageError("--duration takes 9, 18, 36, 72 or 144");

  TWineClass trial;
  trial.WineRec = ReadTrial(path);
  const BalanceProfile* profile = &DefaultBalanceProfile();
  if (const std::optional<std::string> name = options.Value("--profile")) {
    profile = FindBalanceProfile(*name);
    if (profile == nullptr) throw UsageError("no balance profile named " + *name);
  }
  TComPort port;
  ApplyBalanceLine(port, *profile);
  port.SetDeviceName(options.Required("--port"));
  SteadyRunClock clock;
  ConsoleCollectionUi ui({*density, *duration}, output, io, StdoutIsTerminal());
  // Every reading goes beside the output as it comes, whatever ends the run.
  ReadingLog readings(ReadingLogPath(output));
  CollectionRun run(port, clock, ui, *profile, &readings);
  ui.Attach(run);
  InterruptScope interrupts;
  try {
    run.CollectNewDataExecute(trial);
  } catch (const EComError& e) {
    // A port that fails half-way through ends the run without the save
    // question; the program keeps the points in its window, and here the
    // only place to keep them is the file. With no point, the file keeps
    // what it held.
    if (ui.Points() > 0 && !ui.Saved()) {
      try {
        ui.SaveAs(trial);
      } catch (const std::exception&) {
        // The port's error is the one to report.
      }
    }
    throw CommandError(e.what());
  }
  // The run's own message, when it ended by one, is on stderr already.
  if (ui.EndedByMessage()) return kExitFailure;
  if (ui.Points() == 0) throw CommandError("vorsant-cli: stopped before the first point; nothing was saved");
  return 0;
}

}  // namespace vorsant::cli
