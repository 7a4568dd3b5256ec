#include "fouling/trial_comparison.h"

#include <utility>

#include "trial/cp1252.h"

namespace vorsant {

std::vector<ComparedTrial> CompareTrials(std::span<const TrialToCompare> trials, const SizingRequest& request,
                                         const AnsiDecoder& decode) {
  std::vector<ComparedTrial> compared;
  compared.reserve(trials.size());
  for (const TrialToCompare& t : trials) {
    ComparedTrial c;
    c.file = t.file;
    c.wine = decode(t.rec.Conditions.WineName.Str());
    c.filter = decode(t.rec.Conditions.FilterName.Str());
    c.legend =
        std::string(t.rec.Conditions.WineName.Str()) + " - " + std::string(t.rec.Conditions.FilterName.Str());
    FoulingOutcome outcome = AnalyseFouling(t.rec, request, t.readings ? &*t.readings : nullptr);
    c.report = std::move(outcome.report);
    if (c.report) c.verdict = MakeVerdict(t.rec, *c.report);
    c.failure = std::move(outcome.failure);
    compared.push_back(std::move(c));
  }
  return compared;
}

ComparedTrial UnreadableTrial(std::string file, std::string message) {
  ComparedTrial c;
  c.file = std::move(file);
  c.failure = std::move(message);
  c.readable = false;
  return c;
}

const ModelFit* BestModel(const ComparedTrial& trial) {
  if (!trial.report || !trial.report->best) return nullptr;
  for (const ModelFit& fit : trial.report->models) {
    if (fit.law == *trial.report->best && fit.fitted) return &fit;
  }
  return nullptr;
}

const ModelFit* PlannedModel(const ComparedTrial& trial) {
  const ModelFit* best = BestModel(trial);
  if (!best || !trial.report->plannedLaw) return best;
  const ModelFit& planned = trial.report->models[static_cast<std::size_t>(*trial.report->plannedLaw)];
  return planned.fitted ? &planned : best;
}

}  // namespace vorsant
