// vorsant-balance-sim: a laboratory balance on a pseudo-terminal. Prints the
// path of the terminal the program should open, then answers tare and
// weight requests until it is interrupted.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "scale/run_clock.h"
#include "tools/balance_sim/pseudo_terminal.h"
#include "tools/balance_sim/simulated_balance.h"
#include "trial/number_text.h"

namespace {

using vorsant::sim::BalanceFaults;
using vorsant::sim::FiltrationCurve;

std::atomic<bool> gStop{false};
double gTimeScale = 1.0;
vorsant::SteadyRunClock* gClock = nullptr;

void OnSignal(int) {
  gStop = true;
}

double Now() {
  return gClock->Now().count();
}

void Log(const std::string& line) {
  std::cerr << "balance: " << line << std::endl;
}

constexpr char kUsage[] =
    "usage: vorsant-balance-sim [options]\n"
    "  --link PATH           also make PATH a symlink to the terminal\n"
    "  --pressure PSI        filtration pressure (30)\n"
    "  --diameter MM         filter diameter (47)\n"
    "  --resistance R        clean filter resistance, 1/m (5e10)\n"
    "  --fouling B           fouling constant, 1/m (10; 0 never fouls)\n"
    "  --density D           wine density, g/ml (1)\n"
    "  --start-grams G       weight on the pan before the tare (152.37)\n"
    "  --noise G             uniform noise of +-G grams on each reading\n"
    "  --silent              never answer a weight request\n"
    "  --silent-after N      answer N weight requests, then fall silent\n"
    "  --silent-from S       fall silent S seconds after the tare\n"
    "  --garbage             answer every weight request with a line that is no number\n"
    "  --garbage-after N     answer N requests properly, then with garbage\n"
    "  --xoff                hold the line in XOFF: the program's writes stall\n"
    "  --backwards-after S   the weight falls from S seconds after the tare\n"
    "  --time-scale F        time passes F times faster (default VORSANT_TEST_TIME_SCALE or 1)\n"
    "  --seed N              noise seed\n"
    "  --profile NAME        speak default, standard, two-letter or continuous (default)\n"
    "  --unit U              weigh in g, kg, mg or any other unit (g; not for default)\n"
    "  --unstable S          readings are unstable S seconds after each tare (0)\n"
    "  --moving              readings are unstable from the first tare on, as a\n"
    "                        balance under flowing filtrate never settles\n"
    "  --overload-above G    report an overload above G grams net\n"
    "  --verbose             log every command on standard error\n";

double NumberArg(std::string_view option, const char* text) {
  const std::optional<double> value = vorsant::ParseDecimal(text == nullptr ? "" : text);
  if (!value) {
    std::cerr << "vorsant-balance-sim: " << option << " needs a number\n";
    std::exit(2);
  }
  return *value;
}

}  // namespace

int main(int argc, char** argv) {
  FiltrationCurve curve;
  BalanceFaults faults;
  double startGrams = 152.37;
  std::string link;
  bool verbose = false;
  bool xoff = false;
  vorsant::sim::Speech speech;
  gTimeScale = vorsant::TestTimeScale();

  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    auto number = [&] {
      ++i;
      return NumberArg(a, next);
    };
    if (a == "--link" && next != nullptr) {
      link = argv[++i];
    } else if (a == "--pressure") {
      curve.PressurePsi = number();
    } else if (a == "--diameter") {
      curve.FilterDiameterMm = number();
    } else if (a == "--resistance") {
      curve.InitialResistance = number();
    } else if (a == "--fouling") {
      curve.Fouling = number();
    } else if (a == "--density") {
      curve.Density = number();
    } else if (a == "--start-grams") {
      startGrams = number();
    } else if (a == "--noise") {
      faults.NoiseGrams = number();
    } else if (a == "--silent") {
      faults.SilentAfter = 0;
    } else if (a == "--silent-after") {
      faults.SilentAfter = static_cast<int>(number());
    } else if (a == "--silent-from") {
      faults.SilentFrom = number();
    } else if (a == "--garbage") {
      faults.GarbageAfter = 0;
    } else if (a == "--garbage-after") {
      faults.GarbageAfter = static_cast<int>(number());
    } else if (a == "--xoff") {
      xoff = true;
    } else if (a == "--backwards-after") {
      faults.BackwardsAfter = number();
    } else if (a == "--time-scale") {
      gTimeScale = number();
    } else if (a == "--seed") {
      faults.Seed = static_cast<std::uint32_t>(number());
    } else if (a == "--profile" && next != nullptr) {
      const std::optional<vorsant::sim::Dialect> dialect = vorsant::sim::DialectNamed(argv[++i]);
      if (!dialect) {
        std::cerr << "vorsant-balance-sim: no profile named " << argv[i] << "\n";
        return 2;
      }
      speech.Commands = *dialect;
    } else if (a == "--unit" && next != nullptr) {
      speech.Unit = argv[++i];
    } else if (a == "--moving") {
      faults.MovingWhileFlowing = true;
    } else if (a == "--unstable") {
      faults.UnstableSeconds = number();
    } else if (a == "--overload-above") {
      faults.OverloadAbove = number();
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << "vorsant-balance-sim: unknown option " << a << "\n" << kUsage;
      return 2;
    }
  }
  if (curve.InitialResistance <= 0 || curve.Viscosity <= 0 || gTimeScale <= 0) {
    std::cerr << "vorsant-balance-sim: resistance and time scale must be above 0\n";
    return 2;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  try {
    vorsant::SteadyRunClock clock(gTimeScale);
    gClock = &clock;
    vorsant::sim::PseudoTerminal pty;
    if (!link.empty()) pty.CreateLink(link);
    if (xoff) pty.HoldInXoff();
    vorsant::sim::SimulatedBalance balance(curve, faults, startGrams, speech);
    std::cout << pty.SlavePath() << std::endl;
    vorsant::sim::ServeBalance(pty, balance, gStop, Now, verbose ? Log : nullptr);
  } catch (const std::exception& e) {
    std::cerr << "vorsant-balance-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
