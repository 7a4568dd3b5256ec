#pragma once
// Every reading of a collection, kept beside the trial as NAME.readings.csv:
// the record keeps at most 36 points, the balance answers many times a
// second, and the fouling fits are surer with every reading. One line a
// reading, written and flushed as it comes, so a crash or a stopped run
// loses at most the line being written:
//
//   seconds,grams,ml
//   0.0,0.000,0.000
//   15.1,12.345,12.235
//
// seconds since the starting weight, to a tenth; grams gained since it;
// ml, the grams divided by the run's density.

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorsant {

inline constexpr char kReadingLogHeader[] = "seconds,grams,ml";

// Where the readings of the trial at `trialPath` are kept: "merlot.vrs"
// gives "merlot.readings.csv" in the same folder.
std::filesystem::path ReadingLogPath(const std::filesystem::path& trialPath);

// Receives the readings of a collection as they are taken.
class ReadingSink {
 public:
  virtual ~ReadingSink() = default;
  virtual void Add(double seconds, double grams, double ml) = 0;
};

// Writes the readings to a file, replacing what it held, from the first
// reading on: a run that reads nothing leaves no file.
class ReadingLog final : public ReadingSink {
 public:
  explicit ReadingLog(std::filesystem::path path) : path_(std::move(path)) {}
  // Throws std::runtime_error when the file cannot be written.
  void Add(double seconds, double grams, double ml) override;
  // Closes the file for good (so that it can be moved); a later Add throws.
  void Close();

 private:
  std::filesystem::path path_;
  std::ofstream out_;
  bool closed_ = false;
};

struct LoggedReading {
  double Seconds = 0;
  double Ml = 0;
};

// The readings of a log, in its order. A line that is not three numbers is
// skipped (a line cut by a crash among them); `skipped` counts them.
std::vector<LoggedReading> ParseReadingLog(std::string_view text, int* skipped = nullptr);

}  // namespace vorsant
