#pragma once
// A laboratory balance that answers the program's two commands: ESC T CR
// zeroes it, ESC P CR asks for one reply line: the sign, the weight in
// grams right-aligned in 9 characters with two decimals, " g", CR, LF.
// Asked to, it speaks one of today's command sets instead (see
// scale/balance_profile.h): the standard interface commands, the two-letter
// commands, or a continuous output of one line every tenth of a second.
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
  std::optional<double> SilentFrom;      // answer none from this many seconds after the tare
  std::optional<int> GarbageAfter;       // then answer with a line that is no number
  std::optional<double> BackwardsAfter;  // seconds after the tare from which the weight falls
  std::uint32_t Seed = 1;
  double UnstableSeconds = 0;            // readings are unstable this long after each tare
  bool MovingWhileFlowing = false;       // unstable from the first tare on, as filtrate keeps coming
  std::optional<double> OverloadAbove;   // net grams above which it reports an overload
};

enum class Dialect { Original, Standard, TwoLetter, Continuous };

// How the balance talks: which command set, and the unit it weighs in.
struct Speech {
  Dialect Commands = Dialect::Original;
  std::string Unit = "g";  // g, kg, or anything else to try the program's refusal
};

// nullopt for a name no dialect has; the names are the profiles' own.
std::optional<Dialect> DialectNamed(std::string_view name);

// The bytes of a well-formed reply for `grams`.
std::string FormatReply(double grams);

class SimulatedBalance {
 public:
  SimulatedBalance(FiltrationCurve curve, BalanceFaults faults, double startGrams = 152.37, Speech speech = {});

  // Takes bytes from the line at time `now` (seconds, any origin) and
  // returns the replies to send, in order.
  std::vector<std::string> Feed(std::string_view bytes, double now);

  int Tares() const { return tares_; }
  int Requests() const { return requests_; }
  // The gross weight on the pan at `now`, before the tare is subtracted.
  double GrossGrams(double now) const;

  const Speech& Speaks() const { return speech_; }
  // The line a continuous balance sends at `now`.
  std::string ContinuousLine(double now);

  // Today's balances hear only their own line settings: told what the
  // program's end is set to, a balance of another command set ignores what
  // comes in at another speed or with parity. The original balance hears all.
  void SetLineHeard(bool heard) { lineHeard_ = heard; }

 private:
  std::optional<std::string> Command(char command, double now);
  std::optional<std::string> LineCommand(std::string_view command, double now);
  void Tare(double now);
  // The net weight as the balance would show it, noise included.
  double NetGrams(double now);
  bool Stable(double now) const;
  std::string FormatLine(double grams, bool stable, char command) const;

  FiltrationCurve curve_;
  BalanceFaults faults_;
  double startGrams_;
  std::optional<double> filtrationStart_;
  double tareGrams_ = 0;
  std::string pending_;
  int tares_ = 0;
  int requests_ = 0;
  std::mt19937 random_;
  Speech speech_;
  bool lineHeard_ = true;
  std::optional<double> lastTare_;
};

}  // namespace vorsant::sim
