#pragma once
// A laboratory balance that answers the program's two commands: ESC T CR
// zeroes it, ESC P CR asks for one reply line: the sign, the weight in
// grams right-aligned in 9 characters with two decimals, " g", CR, LF.
// Its weight is a filtration curve that starts at the tare (the wine is
// poured once the balance is zeroed), plus the filter's own weight, with
// optional faults for testing the program's exits.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tools/balance_sim/filtration_curve.h"

namespace vorsant::sim {

struct BalanceFaults {
  double NoiseGrams = 0;                 // uniform noise of +- this much on every reading
  std::optional<int> SilentAfter;        // answer only this many weight requests
  std::optional<int> GarbageAfter;       // then answer with a line that is no number
  std::optional<double> BackwardsAfter;  // seconds after the tare from which the weight falls
  std::uint32_t Seed = 1;
};

// The bytes of a well-formed reply for `grams`.
std::string FormatReply(double grams);

class SimulatedBalance {
 public:
  SimulatedBalance(FiltrationCurve curve, BalanceFaults faults, double startGrams = 152.37);

  // Takes bytes from the line at time `now` (seconds, any origin) and
  // returns the replies to send, in order.
  std::vector<std::string> Feed(std::string_view bytes, double now);

  int Tares() const { return tares_; }
  int Requests() const { return requests_; }
  // The gross weight on the pan at `now`, before the tare is subtracted.
  double GrossGrams(double now) const;

 private:
  std::optional<std::string> Command(char command, double now);

  FiltrationCurve curve_;
  BalanceFaults faults_;
  double startGrams_;
  std::optional<double> filtrationStart_;
  double tareGrams_ = 0;
  std::string pending_;
  int tares_ = 0;
  int requests_ = 0;
  std::mt19937 random_;
};

}  // namespace vorsant::sim
