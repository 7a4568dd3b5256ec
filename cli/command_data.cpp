// data FILE.vrs --csv POINTS.csv [--skip K] [-o OUT.vrs]: replaces a trial's
// points as Edit Data does, with the data dialog's checks and its message,
// then recalculates with the warnings the program would show. The trial is
// saved back to FILE unless -o names another file; nothing is written when a
// check fails.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/points_check.h"
#include "cli/points_csv.h"
#include "cli/trial_io.h"
#include "trial/analysis.h"
#include "trial/data_input.h"
#include "trial/number_text.h"

namespace vorsant::cli {

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(PathArg(path), std::ios::binary);
  std::ostringstream content;
  if (in) content << in.rdbuf();
  if (!in || in.bad()) throw CommandError("vorsant-cli: cannot read " + path);
  return content.str();
}

std::optional<int> SkipChoice(const Options& options) {
  const auto text = options.Value("--skip");
  if (!text) return std::nullopt;
  const auto k = ParseDecimal(*text);
  if (!k || *k != static_cast<int>(*k) || *k < 0 || *k > kMaxSkipChoice) {
    throw UsageError("--skip takes a whole number from 0 to " + std::to_string(kMaxSkipChoice));
  }
  return static_cast<int>(*k);
}

// The record keeps whole seconds: seconds with decimals are rounded here,
// a full minute carried into the minutes, and the rows rounded flagged so
// the user is told. Texts that are no plain numbers are left for the
// checks to refuse.
std::vector<bool> RoundSeconds(std::vector<PointTexts>& rows) {
  std::vector<bool> rounded(rows.size(), false);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    PointTexts& row = rows[i];
    if (row[2].find('.') == std::string::npos) continue;
    const auto seconds = ParseDecimal(row[2]);
    const auto minutes = row[1].empty() ? std::optional<double>(0) : ParseDecimal(row[1]);
    if (!seconds || !minutes || *seconds < 0 || *seconds >= 60 || *minutes < 0 || *minutes != std::floor(*minutes)) continue;
    const double whole = std::round(*seconds);
    if (whole == *seconds) continue;
    const long long total = static_cast<long long>(*minutes) * 60 + static_cast<long long>(whole);
    if (!row[1].empty() || total >= 60) row[1] = std::to_string(total / 60);
    row[2] = std::to_string(total % 60);
    rounded[i] = true;
  }
  return rounded;
}

}  // namespace

int RunData(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--csv", "--skip", "-o"});
  options.ExpectPositional(1, "one trial file: data FILE.vrs --csv POINTS.csv [--skip K] [-o OUT.vrs]");
  const std::string file = options.Positional()[0];
  const std::string csv = options.Required("--csv");
  const std::optional<int> skip = SkipChoice(options);
  const std::string out = options.Value("-o").value_or(file);

  TWineClass wine;
  wine.WineRec = ReadTrial(file);
  std::vector<PointTexts> rows = ParsePointsCsv(ReadText(csv), csv);
  const std::vector<bool> roundedRows = RoundSeconds(rows);
  CheckPoints(rows, csv);
  if (const auto rounded = std::count(roundedRows.begin(), roundedRows.end(), true); rounded > 0) {
    io.err << "vorsant-cli: the record keeps whole seconds; " << rounded
           << (rounded == 1 ? " reading was" : " readings were") << " rounded to the nearest second\n";
  }
  for (const std::string& same : SameSecondReadings(rows, roundedRows)) {
    io.err << "vorsant-cli: " << same
           << " once rounded; the fouling models keep them all, the trial report's analysis ends its list there\n";
  }

  // The dialog as it opens on this trial, then the boxes as typed.
  DataInput input = LoadData(wine.WineRec.Data);
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const bool given = i < rows.size();
    input.V[i] = given ? rows[i][0] : "";
    input.Min[i] = given ? rows[i][1] : "";
    input.Sec[i] = given ? rows[i][2] : "";
  }
  if (skip) input.Skip = skip;

  if (const auto failure = DataRangeCheck(input)) throw CommandError(failure->Message);
  ApplyData(input, wine);
  PrintWarnings(Calculate(wine.WineRec, true), io);
  SaveTrial(out, wine.WineRec);
  return 0;
}

}  // namespace vorsant::cli
