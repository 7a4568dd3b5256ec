#include "fouling/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kOverVolume = 999999999999;  // where the report stops counting gallons
constexpr double kRangeShown = 0.10;          // a range inside +-10 % says nothing new
constexpr double kReportDiffers = 0.10;

const ModelFit& Model(const FoulingReport& report, FoulingLaw law) {
  return report.models[static_cast<std::size_t>(law)];
}

std::string Decimals(double x, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
  return buffer;
}

std::string Shortest(double x) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", x);
  return buffer;
}

std::string Lower(std::string_view text) {
  std::string s(text);
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

std::string Hours(double hours) {
  return (hours < 100 ? Decimals(hours, 1) : Grouped(hours, ",")) + (hours == 1 ? " hour" : " hours");
}

std::string VolumeText(const Verdict& v) {
  if (v.volumeIncalculable) return "an incalculably high volume";
  return GallonsText(*v.volumeGal) + " gallons";
}

std::string RangeText(const Verdict& v) {
  std::string laws;
  for (std::size_t i = 0; i < v.plausible.size(); ++i) {
    if (i > 0) laws += i + 1 == v.plausible.size() ? " and " : ", ";
    laws += Lower(LawName(v.plausible[i]));
  }
  const std::string high = v.rangeHighGal ? GallonsText(*v.rangeHighGal) : "no limit";
  return "between " + GallonsText(*v.rangeLowGal) + " and " + high +
         " gallons by the laws that fit about as well (" + laws +
         "), so that is how sure this trial lets us be";
}

bool RangeWorthShowing(const Verdict& v) {
  if (!v.hasRange || !v.volumeGal || v.volumeIncalculable) return false;
  const double best = *v.volumeGal;
  return *v.rangeLowGal < (1 - kRangeShown) * best || !v.rangeHighGal ||
         *v.rangeHighGal > (1 + kRangeShown) * best;
}

std::string SizingText(const Verdict& v, const SizingRequest& request) {
  if (!request.targetGal) return "";
  std::string s = "; for " + GallonsText(*request.targetGal) + " gallons with a safety factor of " +
                  Shortest(request.safety) + " it needs ";
  if (!v.areaM2) return s + "more than 10,000,000 m\u00b2 of filter";
  s += Fixed(*v.areaM2, 0, 2) + " m\u00b2";
  if (v.elements) s += " (" + std::to_string(*v.elements) + (*v.elements == 1 ? " element)" : " elements)");
  if (v.elementsUncountable) s += " (too many elements to count: the element area is too small)";
  return s;
}

std::string MechanismSentence(Mechanism m) {
  switch (m) {
    case Mechanism::kPoreBlocking:
      return "Mechanism: pore blocking. Particles are plugging the membrane itself; prefiltration or better "
             "clarification before this filter would help.";
    case Mechanism::kIntermediate:
      return "Mechanism: intermediate blocking. Particles plug pores and settle on those already plugged; "
             "prefiltration or better clarification would help.";
    case Mechanism::kCake:
      return "Mechanism: cake filtration. A layer of particles builds up on the surface; more filter area or "
             "a filter aid would help.";
    case Mechanism::kEmpirical:
      break;
  }
  return "Mechanism: not identified. Only the empirical power model follows this trial, which names no "
         "mechanism; a longer trial would show which law it follows.";
}

std::string FilterabilitySentences(const Filterability& f, std::string_view bestName) {
  std::string s;
  if (f.standardS) {
    s = "Filterability index at 2 bar through a 25 mm disc: FI " + Decimals(*f.standardS, 1) + " s (" +
        std::string(*f.band) + "), predicted from " + Lower(bestName) + ".";
  } else if (f.blocksBeforeStandard) {
    s = "Filterability index at 2 bar through a 25 mm disc: the disc would block before 400 ml (" +
        std::string(*f.band) + "), by " + Lower(bestName) + ".";
  }
  if (f.trialS) {
    if (!s.empty()) s += " ";
    s += "The trial's own readings give FI " + Decimals(*f.trialS, 1) + " s, ";
    s += f.trialStandard ? std::string(
                               "comparable with published figures (the trial ran at 2 bar through a "
                               "25 mm disc).")
                         : "not comparable with published figures: the trial ran at " +
                               Decimals(f.trialPressurePsi, 1) + " psi through a " +
                               Decimals(f.trialDiameterMm, 1) + " mm disc, not at 2 bar through 25 mm.";
  }
  if (f.vmaxLm2) {
    if (!s.empty()) s += " ";
    s += "Vmax (standard blocking): " + Grouped(*f.vmaxLm2, ",") + " L/m\u00b2.";
  }
  return s;
}

}  // namespace

std::string_view FitQualityKey(FitQuality fit) {
  switch (fit) {
    case FitQuality::kGood:
      return "good";
    case FitQuality::kFair:
      return "fair";
    case FitQuality::kPoor:
      break;
  }
  return "poor";
}

std::string_view MechanismKey(Mechanism mechanism) {
  switch (mechanism) {
    case Mechanism::kPoreBlocking:
      return "pore_blocking";
    case Mechanism::kIntermediate:
      return "intermediate";
    case Mechanism::kCake:
      return "cake";
    case Mechanism::kEmpirical:
      break;
  }
  return "empirical";
}

std::string_view MechanismName(Mechanism mechanism) {
  switch (mechanism) {
    case Mechanism::kPoreBlocking:
      return "Pore blocking";
    case Mechanism::kIntermediate:
      return "Intermediate blocking";
    case Mechanism::kCake:
      return "Cake filtration";
    case Mechanism::kEmpirical:
      break;
  }
  return "Empirical";
}

std::string GallonsText(double gallons) {
  if (gallons >= kOverVolume) return "over 1,000,000,000,000";
  if (gallons < 10) return Fixed(gallons, 0, gallons < 1 ? 3 : 1);
  return Grouped(gallons, ",");
}

Verdict MakeVerdict(const TWineRec& rec, const FoulingReport& report) {
  Verdict v;
  v.noFouling = report.noFouling;
  v.r2Adjusted = report.highestR2Adjusted;
  v.filterability = AssessFilterability(rec, report);
  const ModelFit& power = Model(report, FoulingLaw::kPower);
  if (power.volumeGal) v.reportVolumeGal = power.volumeGal;
  if (v.r2Adjusted) {
    v.fit = *v.r2Adjusted >= kGoodFit   ? FitQuality::kGood
            : *v.r2Adjusted >= kFairFit ? FitQuality::kFair
                                        : FitQuality::kPoor;
  }
  if (!report.best) return v;

  const ModelFit& best = Model(report, *report.best);
  v.best = best.law;
  v.volumeGal = best.volumeGal;
  v.volumeIncalculable = best.incalculable;
  v.hours = best.hours;
  v.areaM2 = best.areaM2;
  v.elements = best.elements;
  v.elementsUncountable = best.elementsUncountable;
  switch (best.law) {
    case FoulingLaw::kComplete:
    case FoulingLaw::kStandard:
      v.mechanism = Mechanism::kPoreBlocking;
      break;
    case FoulingLaw::kIntermediate:
      v.mechanism = Mechanism::kIntermediate;
      break;
    case FoulingLaw::kCake:
      v.mechanism = Mechanism::kCake;
      break;
    case FoulingLaw::kPower:
      v.mechanism = Mechanism::kEmpirical;
      break;
  }

  bool open = false;
  for (const ModelFit& fit : report.models) {
    if (!fit.fitted || !fit.r2Adjusted || *fit.r2Adjusted < *best.r2Adjusted - kPlausibleMargin) continue;
    v.plausible.push_back(fit.law);
    if (!fit.volumeGal || fit.incalculable) {
      open = true;
      continue;
    }
    // Each model with the spread of its own extrapolation.
    const double lo = fit.volumeLowGal.value_or(*fit.volumeGal);
    v.rangeLowGal = std::min(v.rangeLowGal.value_or(lo), lo);
    if (!fit.volumeHighGal && fit.volumeLowGal) open = true;
    const double hi = fit.volumeHighGal.value_or(*fit.volumeGal);
    v.rangeHighGal = std::max(v.rangeHighGal.value_or(hi), hi);
  }
  v.hasRange = v.rangeLowGal.has_value();
  if (open) v.rangeHighGal.reset();

  const double lastW = report.points.w.empty() ? 0 : report.points.w.back();
  if (best.wStar && lastW > 0) v.throughputRatio = *best.wStar / lastW;
  return v;
}

std::vector<std::string> VerdictSentences(const Verdict& v, const SizingRequest& request) {
  std::vector<std::string> s;
  if (v.noFouling) {
    s.push_back(
        "No fouling was observed: the resistance stayed the same at every point, so this trial "
        "cannot predict when the production filter fouls. Run it longer, or with more wine.");
    return s;
  }
  if (!v.fit) {
    s.push_back("No fouling model could be fitted to this trial, so it gives no volume.");
    return s;
  }
  const std::string r2 = " (adjusted R\u00b2 " + Decimals(*v.r2Adjusted, 4) + ")";
  if (!v.best) {
    s.push_back("No fouling law describes this trial well" + r2 +
                ", so the volumes below are not reliable and no model is marked as the best.");
    return s;
  }
  const std::string name(LawName(*v.best));
  s.push_back("Verdict: " + Lower(name) + " describes this trial " +
              (*v.fit == FitQuality::kGood ? "well" : "fairly well") + r2 + ".");

  if (!v.volumeGal && !v.volumeIncalculable) {
    s.push_back("By " + Lower(name) +
                " the production filter never reaches its maximum allowable "
                "resistance, so the trial sets no limit to the volume.");
  } else if (v.volumeGal && *v.volumeGal == 0) {
    s.push_back(
        "The production filter starts at or above its maximum allowable resistance: it would foul "
        "at once.");
  } else {
    std::string volume = "The production filter should pass " + VolumeText(v);
    if (v.hours && !v.volumeIncalculable) volume += " in " + Hours(*v.hours);
    volume += " before it fouls";
    if (RangeWorthShowing(v)) volume += ", " + RangeText(v);
    s.push_back(volume + SizingText(v, request) + ".");
  }
  if (v.throughputRatio && *v.throughputRatio > kFarThroughputRatio) {
    s.push_back("The prediction reaches " + Decimals(*v.throughputRatio, *v.throughputRatio < 10 ? 1 : 0) +
                " times beyond the throughput the trial measured; a longer trial would firm it up.");
  }
  if (v.mechanism) s.push_back(MechanismSentence(*v.mechanism));
  if (v.reportVolumeGal && v.volumeGal && *v.best != FoulingLaw::kPower &&
      std::abs(*v.reportVolumeGal - *v.volumeGal) > kReportDiffers * *v.volumeGal) {
    s.push_back("The trial report's estimate, " + GallonsText(*v.reportVolumeGal) +
                " gallons, comes from the power model; " + Lower(name) +
                " fits this trial better and gives " + GallonsText(*v.volumeGal) + " gallons.");
  }
  if (const std::string fi = FilterabilitySentences(v.filterability, name); !fi.empty()) s.push_back(fi);
  return s;
}

std::vector<std::string> VerdictLines(const Verdict& verdict, const SizingRequest& request,
                                      std::size_t width) {
  std::vector<std::string> lines;
  for (const std::string& sentence : VerdictSentences(verdict, request)) {
    std::string line;
    std::size_t cells = 0;
    std::size_t at = 0;
    while (at < sentence.size()) {
      const std::size_t end = std::min(sentence.find(' ', at), sentence.size());
      const std::string word = sentence.substr(at, end - at);
      std::size_t wordCells = 0;
      for (unsigned char c : word) wordCells += (c & 0xC0) != 0x80 ? 1 : 0;
      if (cells > 0 && cells + 1 + wordCells > width) {
        lines.push_back(line);
        line.clear();
        cells = 0;
      }
      if (cells > 0) {
        line += ' ';
        ++cells;
      }
      line += word;
      cells += wordCells;
      at = end + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ModelsTextLines(const FoulingReport& report, const Verdict& verdict,
                                         const SizingRequest& request) {
  std::vector<std::string> lines = VerdictLines(verdict, request);
  lines.emplace_back();
  for (std::string& line : FoulingTableLines(report)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace vorsant
