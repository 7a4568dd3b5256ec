#pragma once
// What the models add up to, said before the table that backs it: how well
// the trial is described, which laws fit about as well as the best and how
// far apart their volumes lie, how far the prediction reaches beyond what
// was measured, the fouling mechanism and what helps against it, the
// filterability index, and the sizing.

#include <optional>
#include <string_view>
#include <vector>

#include "fouling/filterability.h"
#include "fouling/fouling_models.h"
#include "trial/wine_rec.h"

namespace vorsant {

enum class FitQuality { kGood, kFair, kPoor, kInsufficient };
// Complete blocking is pore blocking; standard blocking, colloids
// constricting the pores; undetermined when the plausible laws disagree.
enum class Mechanism { kPoreBlocking, kIntermediate, kCake, kEmpirical, kPoreConstriction, kUndetermined };

// Beyond this many times the trial's last throughput, a prediction is a
// long extrapolation.
inline constexpr double kFarThroughputRatio = 3;

// One law of an undetermined verdict, with what it means for the filter.
struct CandidateLaw {
  FoulingLaw law = FoulingLaw::kComplete;
  std::optional<double> volumeM3, seconds, areaM2;
  bool incalculable = false;
  std::optional<long long> elements;
};

struct Verdict {
  std::optional<FitQuality> fit;  // none when no model could be judged
  bool noFouling = false;         // the resistance stayed flat within what whole seconds resolve
  // With no fouling: the volume the trial proves on the production filter
  // (none when the filter starts above its maximum resistance), and the
  // trial's length.
  std::optional<double> provenM3, trialMinutes;
  bool startsAboveRmax = false;
  std::vector<LeftOutReading> leftOut;  // rows the models did not use
  ReadingsSource source;                // which readings were fitted
  std::size_t readingsNeeded = 0;  // with kInsufficient: more readings a law needs
  std::optional<FoulingLaw> best;
  std::vector<FoulingLaw> plausible;       // in table order, the best among them
  // The best model's (m3, s); when the plausible laws name different
  // mechanisms, the most cautious one's (the smallest volume), named in
  // `volumeLaw`.
  std::optional<double> volumeM3, seconds;
  std::optional<FoulingLaw> volumeLaw;
  bool volumeIncalculable = false;
  // Lowest and highest volume of the plausible models; the highest is none
  // when one of them never reaches Rmax (or reaches it incalculably late).
  // The range includes the volume of every reading's refit that chose
  // another law (`flips`).
  std::optional<double> rangeLowM3, rangeHighM3;
  bool hasRange = false;
  std::vector<LawFlip> flips;
  // When undetermined: each candidate law, in table order, and what would
  // tell them apart: the laboratory volume (ml) at which their predicted
  // times part by more than twice the readings' scatter, and the minutes
  // from the start at the trial's last flow to get there; none when no
  // volume within ten times the trial's would decide.
  std::vector<CandidateLaw> candidates;
  std::optional<double> decisiveMl, decisiveMinutes;
  int refitsLeftOut = 0;  // refits that could not be fitted, left out of the range
  std::optional<double> throughputRatio;
  std::optional<Mechanism> mechanism;
  std::vector<Mechanism> mechanisms;  // each candidate; one when the mechanism is clear
  std::optional<double> reportVolumeM3;  // the power model's, which the trial report shows
  // The same power model fitted to the readings themselves (the models
  // table's row), when it gives a volume.
  std::optional<double> readingsPowerM3;
  std::optional<double> r2Adjusted;       // the highest, best or not
  // The sizing of the law that gives the volume, for the report's request.
  std::optional<double> areaM2;
  std::optional<long long> elements;
  bool elementsUncountable = false;
  Filterability filterability;
  // The production filter's maximum pressure over the trial's.
  std::optional<double> pressureRatio;
};

// "good", "fair", "poor", "insufficient"; "pore_blocking", "intermediate",
// "cake", "empirical", "pore_constriction", "undetermined".
std::string_view FitQualityKey(FitQuality fit);
std::string_view MechanismKey(Mechanism mechanism);

// `rec` is the trial the report was made from (for the filterability index
// of its readings).
Verdict MakeVerdict(const TWineRec& rec, const FoulingReport& report);

// Which law says the same about the trial as which mechanism: the power
// model names none (kEmpirical).
Mechanism MechanismOf(FoulingLaw law);

// The verdict says when the report's own estimate differs from its volume by
// more than this share, and when the production filter's maximum pressure
// is more than this many times the trial's (or less than its inverse).
inline constexpr double kReportDiffers = 0.10;
inline constexpr double kPressureFar = 2;

}  // namespace vorsant
