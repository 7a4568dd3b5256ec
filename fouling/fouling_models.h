#pragma once
// The classical blocking laws of constant-pressure filtration and the
// record's power model, fitted to the analysis' working points: which
// fouling mechanism the trial shows, how much wine and how many hours the
// production filter gives before it fouls, and how much filter area a target
// volume needs. Computed on demand; nothing here is stored in the record.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "trial/analysis_points.h"
#include "trial/wine_rec.h"

namespace vorsant {
struct CumulativeReadings;
struct CompanionLog;
}
#include "trial/wine_rec.h"

namespace vorsant {

enum class FoulingLaw { kComplete, kStandard, kIntermediate, kCake, kPower };

// In the order every table and list shows them.
inline constexpr std::array<FoulingLaw, 5> kFoulingLaws = {FoulingLaw::kComplete, FoulingLaw::kStandard,
                                                           FoulingLaw::kIntermediate, FoulingLaw::kCake,
                                                           FoulingLaw::kPower};

// "complete", "standard", "intermediate", "cake", "power".
std::string_view LawKey(FoulingLaw law);

inline constexpr double kDefaultSafetyFactor = 1.5;

// Every quantity here is in SI units (m3, m2, Pa, s); the words and the
// units a person reads are the presentation's (present/).

// What the filter must pass; the sizing figures are computed only with a
// target volume.
struct SizingRequest {
  std::optional<double> targetM3;        // > 0
  double safety = kDefaultSafetyFactor;  // >= 1
  std::optional<double> elementArea;     // m2 of one filter element, > 0
};

// One model's figures; every optional is empty where the figure does not
// apply or the model could not be fitted.
struct ModelFit {
  FoulingLaw law = FoulingLaw::kComplete;
  bool fitted = false;
  std::optional<double> rm, k;     // the four laws: 1/m and m/m3 per m2 (1/m of throughput)
  std::optional<double> offset;    // tau0 of the fit on cumulative times
  std::optional<double> r0, a, n;  // the power model: R0 + a w^n
  // R2 is the share of the fouling the model explains: 1 - SSE / SSE of a
  // constant resistance, both on the cumulative times; adjusted for the
  // parameters each has (tau0 and R, against tau0 and the model's own).
  std::optional<double> r2, r2Adjusted;
  std::optional<double> aicc;  // Akaike's criterion, small-sample corrected
  double sse = 0;              // of the cumulative times, in tau
  std::optional<double> capacity;  // pore-blocking laws with k > 0, m3/m2
  std::optional<double> wStar;     // throughput (m3/m2) where R reaches Rmax
  std::optional<double> volumeM3;  // production volume
  // The volume divided and multiplied by e to two jackknife standard errors
  // of its logarithm (refits without each reading in turn), for the
  // plausible models of a report with a best; the high end is none when
  // such a refit never reaches Rmax. A refit that cannot be fitted at all is
  // left out and counted.
  std::optional<double> volumeLowM3, volumeHighM3;
  int refitsLeftOut = 0;
  bool incalculable = false;          // w* beyond e^46 m (or past a double), as the report's power volume
  std::optional<double> seconds;      // to pass the volume at the production rate
  std::optional<double> areaM2;       // area needed for the request
  std::optional<long long> elements;  // ceil(area / element area)
  bool elementsUncountable = false;   // an element so small that they cannot be counted
};

// The model's resistance at throughput w (m3/m2), 1/m; nullopt when the
// model is not fitted or R(w) is not finite and positive.
std::optional<double> ModelResistance(const ModelFit& fit, double w);

// Adjusted R2 from which a fit counts as good, and as fair; below fair the
// best fit is no answer.
inline constexpr double kGoodFit = 0.99;
inline constexpr double kFairFit = 0.95;
// Within this much AICc of the best, a model is as plausible.
inline constexpr double kPlausibleAicc = 2;
// Fitted intervals a fouling law needs; fewer make a report that is
// insufficient for a prediction.
inline constexpr std::size_t kLeastFittedPoints = 4;

// A row of the trial the models left out, and why ("has no time").
struct LeftOutReading {
  std::size_t row;  // 1 to 36
  std::string why;
};

// A reading without which the trial would read as another law.
// On a collection's every reading, a stretch of readings is left out at a
// time, named by its first and last reading's seconds.
struct LawFlip {
  std::size_t row = 0;  // the reading left out, 1 to 36; 0 for the start
  FoulingLaw law = FoulingLaw::kComplete;
  std::optional<double> volumeM3;  // none when that law never reaches Rmax
  bool incalculable = false;
  std::optional<double> fromSeconds, toSeconds;  // the stretch left out, instead of `row`
};

// Which readings the models were fitted on, for the verdict to say.
struct ReadingsSource {
  std::string file;           // the companion file; empty when there was none
  bool used = false;          // the fits ran on its readings
  std::size_t fitted = 0;     // readings the fits ran on, whichever the source
  std::size_t notRising = 0;  // the file's readings left out for not rising
  int unreadableLines = 0;    // the file's lines that are not three numbers
  std::string whyNot;         // a file that was there but not used: why
};

struct FoulingReport {
  AnalysisPoints points;
  std::vector<double> readingW, readingTau;  // the cumulative readings fitted
  std::vector<std::size_t> readingRows;      // each one's row, 0 for the start
  std::vector<LeftOutReading> leftOut;       // rows the models did not use, and why
  double tauPerSecond = 0;                   // dP / mu; 0 for readings made up from points
  double labAreaM2 = 0;                      // the trial's disc; 0 when not known
  std::array<ModelFit, 5> models;            // in kFoulingLaws order
  // Lowest AICc when its adjusted R2 is at least kFairFit; none when no
  // model has one (none fits, or the resistance is the same at every point
  // and there is nothing to explain) or when even the best fits poorly.
  std::optional<FoulingLaw> best;
  std::vector<FoulingLaw> plausible;        // within kPlausibleAicc of the best, in table order
  std::optional<double> highestR2Adjusted;  // the lowest AICc's, whether or not it made a best
  bool noFouling = false;                   // the same resistance at every point
  // Too few fitted intervals for any law: nothing is fitted, and this many
  // more readings would give a prediction.
  bool insufficient = false;
  std::size_t readingsNeeded = 0;
  std::optional<double> reportVolumeM3;  // the analysis' own power model's, which the trial report shows
  // The law whose volume the verdict plans on: the best, or, when the
  // plausible laws name different mechanisms, the one of them that fouls
  // first. Its refits without each reading choose by the same rule; those
  // that choose another law are listed.
  std::optional<FoulingLaw> plannedLaw;
  std::vector<LawFlip> flips;
  // No fouling: the volume the trial itself proves on the production filter
  // (its last throughput times the production area), and whether the
  // filter's constant resistance is already above Rmax.
  std::optional<double> provenM3;
  bool startsAboveRmax = false;
  ReadingsSource source;
};

// Fits every model to `points` (which must hold at least four points) and
// sizes for `request`, on cumulative readings made up from the points.
FoulingReport FitFoulingModels(const AnalysisPoints& points, const SizingRequest& request);
// The same on the trial's own cumulative readings.
FoulingReport FitFoulingReadings(const AnalysisPoints& points, const CumulativeReadings& readings,
                                 const SizingRequest& request);
// The report sized again for another request; the fits stay as they are.
FoulingReport SizeFoulingReport(const FoulingReport& report, const SizingRequest& request);

// The integral of the model's R(w) dw from 0 to W; nullopt when the
// resistance becomes infinite on the way (a blocking law whose capacity is
// reached) or the figure is not finite.
std::optional<double> ModelIntegral(const ModelFit& fit, double W);

// The fit to readings read straight from the trial (ReadTrialReadings):
// leading intervals whose resistance still falls are skipped as the
// analysis skips them (at least MinSkip), then FitFoulingReadings. The trial is not changed. A trial with too few points
// for a law that is a filterability test (two or more readings through a
// 25 mm disc at 2 bar) gives a report marked insufficient. On any other
// trial that cannot give points, `failure` holds the message to show ("Data
// is insufficient to calculate fouling constants." or the analysis'
// non-positive interval message) and nothing else is filled.
struct FoulingOutcome {
  std::optional<FoulingReport> report;
  std::string failure;
  std::size_t readingsFitted = 0;  // with the insufficient-data failure
  std::vector<LeftOutReading> leftOut;
};
FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request);
// The same on the collection's every reading (`log`, the companion file
// beside the trial) when they agree with the record's stored points and add
// to them, over the stretch the record's fitted readings span; otherwise on
// the record's readings, the report's `source` saying why. The range then
// comes from refits without each of kJackknifeBlocks stretches of readings.
FoulingOutcome AnalyseFouling(const TWineRec& rec, const SizingRequest& request, const CompanionLog* log);

// Contiguous stretches a collection's every reading is cut into for the
// volume's range: the delete-a-block jackknife.
inline constexpr std::size_t kJackknifeBlocks = 40;


}  // namespace vorsant
