#include "tools/balance_sim/simulated_balance.h"

#include <cmath>
#include <cstdio>

namespace vorsant::sim {

namespace {
constexpr char kEsc = 27;
constexpr char kCr = 13;
}  // namespace

std::string FormatReply(double grams) {
  char body[64];
  std::snprintf(body, sizeof body, "%9.2f", std::fabs(grams));
  // A value wider than nine characters is shown as the balance's overload.
  std::string number = std::string(body).size() > 9 ? std::string("       OL") : std::string(body);
  const bool negative = grams < 0 && number != "     0.00";
  return std::string(1, negative ? '-' : '+') + number + " g\r\n";
}

std::optional<Dialect> DialectNamed(std::string_view name) {
  if (name == "default") return Dialect::Original;
  if (name == "standard") return Dialect::Standard;
  if (name == "two-letter") return Dialect::TwoLetter;
  if (name == "continuous") return Dialect::Continuous;
  return std::nullopt;
}

SimulatedBalance::SimulatedBalance(FiltrationCurve curve, BalanceFaults faults, double startGrams, Speech speech)
    : curve_(curve), faults_(faults), startGrams_(startGrams), random_(faults.Seed), speech_(std::move(speech)) {}

double SimulatedBalance::GrossGrams(double now) const {
  if (!filtrationStart_) return startGrams_;
  const double t = now - *filtrationStart_;
  double filtrate = curve_.WeightGrams(t);
  if (faults_.BackwardsAfter && t > *faults_.BackwardsAfter) {
    const double peak = curve_.WeightGrams(*faults_.BackwardsAfter);
    filtrate = peak - (filtrate - peak);
  }
  return startGrams_ + filtrate;
}

std::vector<std::string> SimulatedBalance::Feed(std::string_view bytes, double now) {
  std::vector<std::string> replies;
  if (speech_.Commands != Dialect::Original) {
    if (!lineHeard_) return replies;
    // Text commands, one a line: CR LF or either alone ends it.
    for (char c : bytes) {
      if (c != '\r' && c != '\n') {
        if (pending_.size() < 64) pending_.push_back(c);
        continue;
      }
      if (!pending_.empty()) {
        if (std::optional<std::string> reply = LineCommand(pending_, now)) replies.push_back(*reply);
      }
      pending_.clear();
    }
    return replies;
  }
  for (char c : bytes) {
    // A command is ESC, a letter, CR. An ESC always starts a new command, so
    // a command cut short on the line cannot swallow the next one; anything
    // else outside a command is line noise.
    if (c == kEsc) pending_.clear();
    pending_.push_back(c);
    if (pending_.front() != kEsc) {
      pending_.clear();
      continue;
    }
    if (pending_.size() < 3) continue;
    if (pending_[2] == kCr) {
      if (std::optional<std::string> reply = Command(pending_[1], now)) replies.push_back(*reply);
    }
    pending_.clear();
  }
  return replies;
}

void SimulatedBalance::Tare(double now) {
  ++tares_;
  if (!filtrationStart_) filtrationStart_ = now;
  tareGrams_ = GrossGrams(now);
  lastTare_ = now;
}

double SimulatedBalance::NetGrams(double now) {
  double grams = GrossGrams(now) - tareGrams_;
  if (faults_.NoiseGrams > 0) {
    std::uniform_real_distribution<double> noise(-faults_.NoiseGrams, faults_.NoiseGrams);
    grams += noise(random_);
  }
  return grams;
}

bool SimulatedBalance::Stable(double now) const {
  if (faults_.MovingWhileFlowing && filtrationStart_) return false;
  return !lastTare_ || now - *lastTare_ >= faults_.UnstableSeconds;
}

std::optional<std::string> SimulatedBalance::Command(char command, double now) {
  if (command == 'T') {
    Tare(now);
    return std::nullopt;
  }
  if (command != 'P') return std::nullopt;
  ++requests_;
  if (faults_.SilentAfter && requests_ > *faults_.SilentAfter) return std::nullopt;
  if (faults_.SilentFrom && filtrationStart_ && now - *filtrationStart_ >= *faults_.SilentFrom) return std::nullopt;
  if (faults_.GarbageAfter && requests_ > *faults_.GarbageAfter) return std::string("+12.5 g  ERR\r\n");
  return FormatReply(std::round(NetGrams(now) * 100.0) / 100.0);
}

// One weight line in the balance's own command set: `command` is 'S' for a
// weight that must be stable, 'I' for one at once.
std::string SimulatedBalance::FormatLine(double grams, bool stable, char command) const {
  const bool over = faults_.OverloadAbove && grams > *faults_.OverloadAbove;
  const double perUnit = speech_.Unit == "kg" ? 1000.0 : speech_.Unit == "mg" ? 0.001 : 1.0;
  const int decimals = speech_.Unit == "kg" ? 5 : speech_.Unit == "mg" ? 0 : 3;
  char number[64];
  std::snprintf(number, sizeof number, "%.*f", decimals, grams / perUnit);
  if (speech_.Commands == Dialect::TwoLetter || (speech_.Commands == Dialect::Continuous && command == 'C')) {
    if (over) return "OL,+9999999E+19\r\n";
    char body[160];
    std::snprintf(body, sizeof body, "%s,%+09.*f %3s\r\n", stable ? "ST" : "US", decimals, grams / perUnit,
                  speech_.Unit.c_str());
    return body;
  }
  if (over) return "S +\r\n";
  if (!stable && command == 'S') return "S I\r\n";
  char body[160];
  std::snprintf(body, sizeof body, "S %c %10s %s\r\n", stable ? 'S' : 'D', number, speech_.Unit.c_str());
  return body;
}

std::optional<std::string> SimulatedBalance::LineCommand(std::string_view command, double now) {
  if (command == "T" || command == "Z") {
    Tare(now);
    if (speech_.Commands != Dialect::Standard) return std::nullopt;
    return command == "T" ? "T S      0.000 g\r\n" : "Z A\r\n";
  }
  const bool standard = speech_.Commands == Dialect::Standard;
  const bool weigh = standard ? (command == "S" || command == "SI") : (command == "Q" || command == "IP");
  if (!weigh || speech_.Commands == Dialect::Continuous) {
    return standard ? std::optional<std::string>("ES\r\n") : std::nullopt;
  }
  ++requests_;
  if (faults_.SilentAfter && requests_ > *faults_.SilentAfter) return std::nullopt;
  if (faults_.SilentFrom && filtrationStart_ && now - *filtrationStart_ >= *faults_.SilentFrom) return std::nullopt;
  if (faults_.GarbageAfter && requests_ > *faults_.GarbageAfter) return std::string("S S 12.5 ERR\r\n");
  return FormatLine(NetGrams(now), Stable(now), command == "S" ? 'S' : 'I');
}

std::string SimulatedBalance::ContinuousLine(double now) {
  ++requests_;
  return FormatLine(NetGrams(now), Stable(now), 'C');
}

}  // namespace vorsant::sim
