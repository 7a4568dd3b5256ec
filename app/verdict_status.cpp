#include "app/verdict_status.h"

#include <algorithm>
#include <cmath>

#include "fouling/fouling_models.h"
#include "present/verdict_text.h"
#include "trial/number_text.h"

namespace vorsant {

std::string VerdictStatusLine(const Verdict& v, const Presentation& p) {
  if (v.noFouling) {
    if (!v.provenM3) return "No fouling observed: this trial predicts no volume.";
    const VolumeUnit unit = VolumeUnitFor(p.units, *v.provenM3);
    return "No fouling observed: at least " + VolumeFigure(*v.provenM3, unit, p.numbers) + " " +
           std::string(VolumeSymbol(unit)) + ", what the trial proves.";
  }
  if (!v.fit) return "No fouling model fits this trial.";
  if (!v.best) return "No fouling law describes this trial well: its volumes are not reliable.";
  // Short enough for the status bar of the frame at its first size.
  std::string line = std::string(LawName(v.volumeLaw.value_or(*v.best))) + ": ";
  const VolumeUnit unit = VolumeUnitFor(p.units, v.volumeM3.value_or(0));
  if (v.volumeIncalculable)
    line += "incalculably high";
  else if (!v.volumeM3)
    line += "no limit to the volume";
  else
    line += VolumeFigure(*v.volumeM3, unit, p.numbers) + " " + std::string(VolumeSymbol(unit));
  if (RangeWorthShowing(v)) {
    line += " (" + VolumeFigure(*v.rangeLowM3, unit, p.numbers) + "\u2013" +
            (v.rangeHighM3 ? VolumeFigure(*v.rangeHighM3, unit, p.numbers) : std::string("no limit")) + ")";
  }
  if (v.reportVolumeM3 && v.volumeM3 && *v.best != FoulingLaw::kPower &&
      std::abs(*v.reportVolumeM3 - *v.volumeM3) > kReportDiffers * *v.volumeM3) {
    // In the line's own unit system: in US units the report's own whole
    // gallons, as the report prints them; in metric, converted like the rest.
    const std::string report = p.units == UnitSystem::kUs
                                   ? Grouped(UsGallons(*v.reportVolumeM3), p.numbers.thousands)
                                   : VolumeFigure(*v.reportVolumeM3, unit, p.numbers);
    line += "; report " + report + " " + std::string(VolumeSymbol(unit)) +
            " differs: the report's figure is the power model's";
  }
  return line + ".";
}

std::optional<Verdict> VerdictCache::For(const TWineRec& rec, const CompanionLog* readings) {
  const auto record = EncodeWineRec(rec);
  std::optional<ReadingsKey> key;
  if (readings) {
    key = ReadingsKey{readings->file, readings->readings.size()};
    if (!readings->readings.empty()) {
      key->lastMl = readings->readings.back().ml;
      key->lastSeconds = readings->readings.back().seconds;
    }
  }
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->record != record || it->readings != key) continue;
    std::rotate(it, it + 1, entries_.end());  // the latest last
    return entries_.back().verdict;
  }
  const FoulingOutcome outcome = AnalyseFouling(rec, SizingRequest{}, readings);
  std::optional<Verdict> verdict;
  if (outcome.report) verdict = MakeVerdict(rec, *outcome.report);
  if (entries_.size() == kKept) entries_.erase(entries_.begin());
  entries_.push_back({record, key, verdict});
  return verdict;
}

}  // namespace vorsant
