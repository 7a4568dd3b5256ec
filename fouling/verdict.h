#pragma once
// What the models add up to, said before the table that backs it: how well
// the trial is described, which laws fit about as well as the best and how
// far apart their volumes lie, how far the prediction reaches beyond what
// was measured, the fouling mechanism and what helps against it, the
// filterability index, and the sizing.

#include <optional>
#include <string>
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

struct Verdict {
  std::optional<FitQuality> fit;  // none when no model could be judged
  bool noFouling = false;         // the resistance never rose
  std::size_t readingsNeeded = 0;  // with kInsufficient: more readings a law needs
  std::optional<FoulingLaw> best;
  std::vector<FoulingLaw> plausible;       // in table order, the best among them
  // The best model's; when the plausible laws name different mechanisms,
  // the most cautious one's (the smallest volume), named in `volumeLaw`.
  std::optional<double> volumeGal, hours;
  std::optional<FoulingLaw> volumeLaw;
  bool volumeIncalculable = false;
  // Lowest and highest volume of the plausible models; the highest is none
  // when one of them never reaches Rmax (or reaches it incalculably late).
  std::optional<double> rangeLowGal, rangeHighGal;
  bool hasRange = false;
  int refitsLeftOut = 0;  // refits that could not be fitted, left out of the range
  std::optional<double> throughputRatio;
  std::optional<Mechanism> mechanism;
  std::vector<Mechanism> mechanisms;  // each candidate; one when the mechanism is clear
  std::optional<double> reportVolumeGal;  // the power model's, which the trial report shows
  std::optional<double> r2Adjusted;       // the highest, best or not
  // The sizing of the law that gives the volume, for the report's request.
  std::optional<double> areaM2;
  std::optional<long long> elements;
  bool elementsUncountable = false;
  Filterability filterability;
  // The production filter's maximum pressure over the trial's.
  std::optional<double> pressureRatio;
  // Grouping in sentences, UTF-8: the locale's separator, as the report's.
  std::string thousands = ",";
};

// "good", "fair", "poor", "insufficient"; "pore_blocking", "intermediate",
// "cake", "empirical", "pore_constriction", "undetermined".
std::string_view FitQualityKey(FitQuality fit);
std::string_view MechanismKey(Mechanism mechanism);
// "Pore blocking", "Intermediate blocking", "Cake filtration", "Empirical",
// "Pore constriction", "Undetermined".
std::string_view MechanismName(Mechanism mechanism);

// `rec` is the trial the report was made from (for the filterability index
// of its readings).
Verdict MakeVerdict(const TWineRec& rec, const FoulingReport& report);

// Whether the range says more than the volume: it reaches beyond 10 % of it
// on either side, or is open above.
bool RangeWorthShowing(const Verdict& verdict);

// The verdict as sentences in the order to read them; `request` is the one
// the report was sized for.
std::vector<std::string> VerdictSentences(const Verdict& verdict, const SizingRequest& request);

// The sentences wrapped to `width` characters, for the fixed-pitch outputs
// above the models table.
std::vector<std::string> VerdictLines(const Verdict& verdict, const SizingRequest& request,
                                      std::size_t width = 100);

// What vorsant-cli models and the Fouling Models window show: the verdict's
// lines, an empty line, the models table.
std::vector<std::string> ModelsTextLines(const FoulingReport& report, const Verdict& verdict,
                                         const SizingRequest& request);

// A figure to three significant figures, grouped with `thousands` from
// 1,000 on ("2,090", "16.1", "0.500").
std::string SignificantText(double x, std::string_view thousands = ",");

// A volume as a sentence gives it: three significant figures, "over
// 1,000,000,000,000" from there on.
std::string GallonsText(double gallons, std::string_view thousands = ",");

// An index in seconds: three significant figures, "over 1,000" above that.
std::string IndexText(double seconds, std::string_view thousands = ",");

}  // namespace vorsant
