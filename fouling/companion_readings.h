#pragma once
// Every reading of a collection, kept beside the trial (NAME.readings.csv),
// as the fouling models read it: the record keeps at most 36 points, the
// balance many times as many, and the fits are surer with all of them. The
// file is used only when it belongs to the trial: its readings must pass
// through the record's stored points.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fouling/fouling_models.h"
#include "fouling/trial_readings.h"

namespace vorsant {

// A companion file as read: its name (as the verdict gives it) and its
// readings in the file's order, volume in ml against seconds from the start.
struct CompanionLog {
  std::string file;
  std::vector<Reading> readings;
  int unreadableLines = 0;  // lines that are not three numbers (one cut by a crash)
  std::string error;        // the file is there but cannot be read: why ("it cannot be read")
};

// Reads the file at `path`; nullopt when there is none.
std::optional<CompanionLog> LoadCompanionLog(const std::filesystem::path& path);

// Readings of a log within this much of a stored point's time, s, and this
// much of its volume (ml, and a share of the volume), agree with it: the
// record keeps whole seconds (half a second either way, and the reading
// itself takes a moment) and volumes to a tenth of a ml.
inline constexpr double kAgreeSeconds = 1.0;
inline constexpr double kAgreeMl = 0.15;
inline constexpr double kAgreeShare = 0.01;

// The log's readings the fits may use: in the file's order, each one above
// the last kept volume and not before its time (a reading that is not is
// counted in `notRising`). `disagreement` is empty when the log passes
// through every kept reading of the record; otherwise it says, as the
// verdict writes it, which reading it misses.
struct CompanionMatch {
  std::vector<Reading> kept;
  std::size_t notRising = 0;
  std::string disagreement;
};
CompanionMatch MatchCompanion(const TrialReadings& trial, const std::vector<Reading>& log);

// "m:ss" of a time in seconds, as the record writes a reading's time.
std::string MinutesSecondsText(double seconds);

}  // namespace vorsant
