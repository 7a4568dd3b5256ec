#include "app/verdict_status.h"

#include <cmath>

#include "trial/number_text.h"

namespace vorsant {
namespace {

// Beyond this share (10 %) of the best law's volume the report's headline is
// said to differ, as the verdict itself says it.
constexpr double kHeadlineDiffers = 0.10;
constexpr double kNarrowRange = 0.01;

}  // namespace

std::string VerdictStatusLine(const Verdict& v) {
  if (v.noFouling) return "No fouling observed: this trial predicts no volume.";
  if (!v.fit) return "No fouling model fits this trial.";
  if (!v.best) return "No fouling law describes this trial well: its volumes are not reliable.";
  // Short enough for the status bar of the frame at its first size.
  std::string line = std::string(LawName(v.volumeLaw.value_or(*v.best))) + ": ";
  if (v.volumeIncalculable)
    line += "incalculably high";
  else if (!v.volumeGal)
    line += "no limit to the volume";
  else
    line += GallonsText(*v.volumeGal, v.thousands) + " gal";
  // A range within 1 % of the volume says nothing the volume does not.
  const bool narrow = v.volumeGal && v.rangeLowGal && v.rangeHighGal &&
                      *v.rangeLowGal >= (1 - kNarrowRange) * *v.volumeGal &&
                      *v.rangeHighGal <= (1 + kNarrowRange) * *v.volumeGal;
  if (v.hasRange && v.rangeLowGal && !narrow) {
    line += " (" + GallonsText(*v.rangeLowGal, v.thousands) + "\u2013" +
            (v.rangeHighGal ? GallonsText(*v.rangeHighGal, v.thousands) : std::string("no limit")) + ")";
  }
  if (v.reportVolumeGal && v.volumeGal && *v.best != FoulingLaw::kPower &&
      std::abs(*v.reportVolumeGal - *v.volumeGal) > kHeadlineDiffers * *v.volumeGal) {
    // The report's figure as the report prints it, whole gallons.
    line += "; report " + Grouped(*v.reportVolumeGal, v.thousands) + " differs: the report's figure is the power model's";
  }
  return line + ".";
}

}  // namespace vorsant
