#pragma once
// Several trials side by side: each one's best fouling model with its
// production volume, hours, capacity and, for a target volume, the area
// needed. The command line, the comparison window and its graph share it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fouling/companion_readings.h"
#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "trial/cp1252.h"
#include "trial/report.h"
#include "trial/wine_rec.h"

namespace vorsant {

// As many as the comparison graph has colours for.
inline constexpr std::size_t kMaxComparedTrials = 8;

struct TrialToCompare {
  std::string file;  // the name shown (UTF-8)
  TWineRec rec;
  std::optional<CompanionLog> readings;  // the collection's every reading, when kept beside the trial
};

struct ComparedTrial {
  std::string file, wine, filter;       // UTF-8 (record texts decoded as the report does)
  std::string legend;                   // "WINE - FILTER" in the record's own bytes, for a canvas
  std::optional<FoulingReport> report;  // empty when the trial cannot be read or analysed
  std::optional<Verdict> verdict;       // with the report
  std::string failure;                  // without it, the message (the usual one)
  bool readable = true;                 // false: the file could not be read at all
};

// A file that could not be read, listed with its message and no figures.
ComparedTrial UnreadableTrial(std::string file, std::string message);

// Each trial's models, in the order given; the trials are not changed. The
// names are decoded with `decode`, as the report's are (the program passes
// the system's code page).
std::vector<ComparedTrial> CompareTrials(std::span<const TrialToCompare> trials, const SizingRequest& request,
                                         const AnsiDecoder& decode = AnsiDecoder(Windows1252ToUtf8));

// The best model's figures, or nullptr when the trial has no fitted model.
const ModelFit* BestModel(const ComparedTrial& trial);
// The figures of the law the verdict plans on (the best, or the one that
// fouls first when the laws that fit disagree); nullptr as BestModel.
const ModelFit* PlannedModel(const ComparedTrial& trial);

}  // namespace vorsant
