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

SimulatedBalance::SimulatedBalance(FiltrationCurve curve, BalanceFaults faults, double startGrams)
    : curve_(curve), faults_(faults), startGrams_(startGrams), random_(faults.Seed) {}

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

std::optional<std::string> SimulatedBalance::Command(char command, double now) {
  if (command == 'T') {
    ++tares_;
    if (!filtrationStart_) filtrationStart_ = now;
    tareGrams_ = GrossGrams(now);
    return std::nullopt;
  }
  if (command != 'P') return std::nullopt;
  ++requests_;
  if (faults_.SilentAfter && requests_ > *faults_.SilentAfter) return std::nullopt;
  if (faults_.GarbageAfter && requests_ > *faults_.GarbageAfter) return std::string("+12.5 g  ERR\r\n");
  double grams = GrossGrams(now) - tareGrams_;
  if (faults_.NoiseGrams > 0) {
    std::uniform_real_distribution<double> noise(-faults_.NoiseGrams, faults_.NoiseGrams);
    grams += noise(random_);
  }
  return FormatReply(std::round(grams * 100.0) / 100.0);
}

}  // namespace vorsant::sim
