#pragma once
// The verdict in one line for the frame's status bar: the best law's volume
// and the range of the laws that fit about as well, and, when the trial
// report's headline is far from it, why the two differ.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fouling/companion_readings.h"
#include "fouling/verdict.h"
#include "present/quantities.h"
#include "trial/wine_rec.h"

namespace vorsant {

std::string VerdictStatusLine(const Verdict& verdict, const Presentation& p);

// The verdicts of the trials last shown, each kept until its record or its
// readings change: activating a trial window again costs no refit.
class VerdictCache {
 public:
  // The trial's verdict, from the readings beside it when there are any, as
  // the models window gives it; none when the trial gives no models.
  std::optional<Verdict> For(const TWineRec& rec, const CompanionLog* readings = nullptr);

 private:
  static constexpr std::size_t kKept = 8;  // trials; the oldest goes first
  // Which readings a verdict came from: a log only grows, so its file, its
  // length and its last reading tell one from another.
  struct ReadingsKey {
    std::string file;
    std::size_t count = 0;
    double lastMl = 0, lastSeconds = 0;
    bool operator==(const ReadingsKey&) const = default;
  };
  struct Entry {
    std::array<std::uint8_t, kWineRecSize> record;
    std::optional<ReadingsKey> readings;
    std::optional<Verdict> verdict;
  };
  std::vector<Entry> entries_;
};

}  // namespace vorsant
