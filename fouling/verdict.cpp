#include "fouling/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trial/cp1252.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kOverVolume = 999999999999;  // where the report stops counting gallons
constexpr double kOverIndex = 1000;           // s: past it an index says only "very poor"
constexpr double kRangeShown = 0.10;          // a range inside +-10 % says nothing new
constexpr double kReportDiffers = 0.10;
constexpr double kPressureFar = 2;  // production at more than twice, or under half, the trial's pressure

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

// The locale's separator is a byte of the system's code page; sentences are UTF-8.
std::string Utf8Separator(const std::string& bytes) {
  return Windows1252ToUtf8(bytes);
}

std::string Hours(double hours, std::string_view thousands) {
  return (hours < 100 ? Decimals(hours, 1) : SignificantText(hours, thousands)) + (hours == 1 ? " hour" : " hours");
}

std::string Joined(const std::vector<std::string>& items) {
  std::string s;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) s += i + 1 == items.size() ? " and " : ", ";
    s += items[i];
  }
  return s;
}

std::string VolumeText(const Verdict& v) {
  if (v.volumeIncalculable) return "an incalculably high volume";
  return "about " + GallonsText(*v.volumeGal, v.thousands) + " US gallons";
}

std::string RangeText(const Verdict& v) {
  std::vector<std::string> laws;
  for (FoulingLaw law : v.plausible) laws.push_back(Lower(LawName(law)));
  const std::string high = v.rangeHighGal ? GallonsText(*v.rangeHighGal, v.thousands) : "no limit";
  std::string s = "between " + GallonsText(*v.rangeLowGal, v.thousands) + " and " + high + " gallons by " +
                  (laws.size() == 1 ? "the spread of " + laws[0]
                                    : "the laws that fit about as well (" + Joined(laws) + ")");
  if (v.refitsLeftOut > 0)
    s += ", leaving out " + std::to_string(v.refitsLeftOut) +
         (v.refitsLeftOut == 1 ? " refit that could not be fitted" : " refits that could not be fitted");
  return s + ", so that is how sure this trial lets us be";
}

std::string SizingText(const Verdict& v, const SizingRequest& request) {
  if (!request.targetGal) return "";
  std::string s = "; for " + GallonsText(*request.targetGal, v.thousands) +
                  " gallons with a safety factor of " + Shortest(request.safety) + " it needs ";
  if (!v.areaM2) return s + "more than " + Grouped(1e7, v.thousands) + " m\u00b2 of filter";
  s += Fixed(*v.areaM2, 0, 2) + " m\u00b2";
  if (v.elements) s += " (" + std::to_string(*v.elements) + (*v.elements == 1 ? " element)" : " elements)");
  if (v.elementsUncountable) s += " (too many elements to count: the element area is too small)";
  return s;
}

Mechanism MechanismOf(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return Mechanism::kPoreBlocking;
    case FoulingLaw::kStandard:
      return Mechanism::kPoreConstriction;
    case FoulingLaw::kIntermediate:
      return Mechanism::kIntermediate;
    case FoulingLaw::kCake:
      return Mechanism::kCake;
    case FoulingLaw::kPower:
      break;
  }
  return Mechanism::kEmpirical;
}

// What the mechanism is in a wine, and what helps against it.
std::string Advice(Mechanism m) {
  switch (m) {
    case Mechanism::kPoreBlocking:
    case Mechanism::kIntermediate:
      return "particles (yeast, bacteria, tartrate crystals, fining lees) are plugging the membrane's pores; "
             "settling, centrifugation, a prefilter or better clarification upstream would help";
    case Mechanism::kPoreConstriction:
      return "colloids (polysaccharides, Botrytis glucans, proteins) are narrowing the pores from within; a "
             "finer or coarser screen does not stop them, but enzymes (pectinase, or a \u03b2-glucanase where "
             "Botrytis is suspected), fining, protein or cold stabilisation, or an adsorptive depth prefilter "
             "would help";
    case Mechanism::kCake:
      return "a layer of particles builds up on the surface; on a membrane that means clarification upstream "
             "is not good enough, on sheets or earth more filter area or a filter aid would help";
    default:
      break;
  }
  return "";
}

std::string MechanismSentence(const Verdict& v) {
  const Mechanism m = *v.mechanism;
  if (m == Mechanism::kEmpirical)
    return "Mechanism: not identified. Only the empirical power model follows this trial, which names no "
           "mechanism; a longer trial would show which law it follows.";
  if (m != Mechanism::kUndetermined)
    return "Mechanism: " + Lower(MechanismName(m)) + ". In this wine, " + Advice(m) + ".";
  // Candidates with the same remedy are named together.
  std::vector<std::pair<std::vector<std::string>, std::string>> groups;
  for (Mechanism c : v.mechanisms) {
    const std::string advice = Advice(c);
    auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.second == advice; });
    if (group == groups.end()) group = groups.insert(groups.end(), {{}, advice});
    group->first.push_back(Lower(MechanismName(c)));
  }
  std::string s = "Mechanism: undetermined. This trial cannot tell apart ";
  for (std::size_t i = 0; i < groups.size(); ++i)
    s += (i == 0 ? "" : "; or ") + Joined(groups[i].first) + " (" + groups[i].second + ")";
  return s + ". More readings, or a longer trial that fouls the disc further, would decide between them.";
}

// What a band means for bottling through a membrane.
std::string_view BandMeaning(std::string_view band) {
  if (band == "very good") return "a membrane should filter it without clogging";
  if (band == "good") return "a membrane filters it, but may clog if undersized";
  if (band == "poor") return "a membrane clogs quite fast, and may let microorganisms through";
  return "prefilter it or treat the wine before membrane filtration";
}

std::string BandText(std::string_view band) {
  return std::string(band) + ": " + std::string(BandMeaning(band));
}

std::vector<std::string> FilterabilitySentences(const Verdict& v, std::optional<std::string_view> bestName) {
  const Filterability& f = v.filterability;
  std::vector<std::string> s;
  const std::string disc = "at 2 bar through a 25 mm disc";
  if (f.trialS && f.trialStandard) {
    s.push_back("Filterability index measured " + disc + ": FI " + IndexText(*f.trialS, v.thousands) + " s (" +
                BandText(*f.band) + ").");
  } else if (f.trialS) {
    s.push_back("The trial's own readings give FI " + IndexText(*f.trialS, v.thousands) +
                " s, not comparable with published figures: the trial ran at " +
                Decimals(f.trialPressurePsi, 1) + " psi through a " + Decimals(f.trialDiameterMm, 1) +
                " mm disc, not at 2 bar through 25 mm.");
  } else if (f.trialNote) {
    s.push_back("The readings give no filterability index: " + *f.trialNote + ".");
  }
  if (bestName && (f.standardS || f.blocksBeforeStandard)) {
    const std::string band = f.bandMeasured ? "" : " (" + BandText(*f.band) + ")";
    if (f.standardS) {
      s.push_back("Predicted by " + Lower(*bestName) + " for a 25 mm membrane disc at 2 bar: FI " +
                  IndexText(*f.standardS, v.thousands) + " s" + band + ".");
    } else {
      s.push_back("By " + Lower(*bestName) + ", a 25 mm membrane disc at 2 bar would block before 400 ml" +
                  band + ".");
    }
  }
  if (f.band)
    s.push_back("The bands hold for a 0.65 \u00b5m membrane disc of 25 mm at 2 bar; a sheet, earth or another "
                "grade filters differently.");
  if (f.vmaxLm2) {
    s.push_back("Vmax (standard blocking): " + SignificantText(*f.vmaxLm2, v.thousands) + " L/m\u00b2.");
  } else if (f.vmaxWithheld) {
    s.push_back("No Vmax: it assumes standard blocking, which does not fit this trial as well as the best law.");
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
    case FitQuality::kInsufficient:
      return "insufficient";
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
    case Mechanism::kPoreConstriction:
      return "pore_constriction";
    case Mechanism::kUndetermined:
      return "undetermined";
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
    case Mechanism::kPoreConstriction:
      return "Pore constriction";
    case Mechanism::kUndetermined:
      return "Undetermined";
    case Mechanism::kEmpirical:
      break;
  }
  return "Empirical";
}

std::string SignificantText(double x, std::string_view thousands) {
  if (x == 0) return "0";
  const double magnitude = std::floor(std::log10(std::abs(x)));
  if (magnitude >= 3) {
    const double unit = std::pow(10.0, magnitude - 2);
    return Grouped(std::round(x / unit) * unit, thousands);
  }
  const int decimals = static_cast<int>(std::max(0.0, 2 - magnitude));
  std::string text = Decimals(x, decimals);
  // 999.6 rounds up a digit: say 1,000.
  if (std::abs(std::stod(text)) >= 1000) return Grouped(std::stod(text), thousands);
  return text;
}

std::string GallonsText(double gallons, std::string_view thousands) {
  if (gallons >= kOverVolume)
    return "over 1" + std::string(thousands) + "000" + std::string(thousands) + "000" + std::string(thousands) +
           "000" + std::string(thousands) + "000";
  return SignificantText(gallons, thousands);
}

std::string IndexText(double seconds, std::string_view thousands) {
  if (seconds > kOverIndex) return "over 1" + std::string(thousands) + "000";
  return SignificantText(seconds, thousands);
}

Verdict MakeVerdict(const TWineRec& rec, const FoulingReport& report) {
  Verdict v;
  v.thousands = Utf8Separator(LocaleThousandsSeparator());
  v.noFouling = report.noFouling;
  v.r2Adjusted = report.highestR2Adjusted;
  v.filterability = AssessFilterability(rec, report);
  v.reportVolumeGal = report.reportVolumeGal;
  const double labPsi = StoredNumberOr0(rec.Conditions.LabP.Str());
  const double prodPsi = StoredNumberOr0(rec.Conditions.ProdP.Str());
  if (labPsi > 0 && prodPsi > 0) v.pressureRatio = prodPsi / labPsi;
  if (report.insufficient) {
    v.fit = FitQuality::kInsufficient;
    v.readingsNeeded = report.readingsNeeded;
    return v;
  }
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

  bool open = false;
  for (FoulingLaw law : report.plausible) {
    const ModelFit& fit = Model(report, law);
    v.plausible.push_back(law);
    if (law != FoulingLaw::kPower) {
      const Mechanism m = MechanismOf(law);
      if (std::find(v.mechanisms.begin(), v.mechanisms.end(), m) == v.mechanisms.end()) v.mechanisms.push_back(m);
    }
    v.refitsLeftOut += fit.refitsLeftOut;
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
  if (v.mechanisms.empty()) v.mechanisms.push_back(Mechanism::kEmpirical);
  v.mechanism = v.mechanisms.size() == 1 ? v.mechanisms[0] : Mechanism::kUndetermined;
  v.volumeLaw = best.law;
  // Laws that fit alike but foul differently: plan on the one that fouls
  // first, never on the closest fit's possibly far larger figure.
  if (v.mechanism == Mechanism::kUndetermined) {
    for (FoulingLaw law : report.plausible) {
      const ModelFit& fit = Model(report, law);
      if (law == FoulingLaw::kPower || !fit.volumeGal || fit.incalculable || *fit.volumeGal <= 0) continue;
      if (v.volumeGal && !v.volumeIncalculable && *fit.volumeGal >= *v.volumeGal) continue;
      v.volumeLaw = law;
      v.volumeGal = fit.volumeGal;
      v.volumeIncalculable = false;
      v.hours = fit.hours;
      v.areaM2 = fit.areaM2;
      v.elements = fit.elements;
      v.elementsUncountable = fit.elementsUncountable;
    }
  }
  v.hasRange = v.rangeLowGal.has_value();
  if (open) v.rangeHighGal.reset();

  const double lastW = report.points.w.empty() ? 0 : report.points.w.back();
  const ModelFit& volumeFit = Model(report, *v.volumeLaw);
  if (volumeFit.wStar && lastW > 0) v.throughputRatio = *volumeFit.wStar / lastW;
  return v;
}

std::vector<std::string> VerdictSentences(const Verdict& v, const SizingRequest& request) {
  std::vector<std::string> s;
  const auto withIndex = [&](std::optional<std::string_view> bestName) {
    for (std::string& sentence : FilterabilitySentences(v, bestName)) s.push_back(std::move(sentence));
    return s;
  };
  if (v.noFouling) {
    s.push_back(
        "No fouling was observed: the resistance stayed the same at every point, so this trial "
        "cannot predict when the production filter fouls. Run it longer, or with more wine.");
    return s;
  }
  if (v.fit == FitQuality::kInsufficient) {
    s.push_back("This is a filterability test: its readings give the index, but a fouling prediction needs " +
                std::to_string(v.readingsNeeded) + (v.readingsNeeded == 1 ? " more reading." : " more readings."));
    return withIndex(std::nullopt);
  }
  if (!v.fit) {
    s.push_back("No fouling model could be fitted to this trial, so it gives no volume.");
    return withIndex(std::nullopt);
  }
  const std::string r2 = " (adjusted R\u00b2 " + Decimals(*v.r2Adjusted, 4) + ")";
  if (!v.best) {
    s.push_back("No fouling law describes this trial well" + r2 +
                ", so the volumes below are not reliable and no model is marked as the best.");
    return withIndex(std::nullopt);
  }
  const std::string name(LawName(*v.best));
  const std::string how = *v.fit == FitQuality::kGood ? "well" : "fairly well";
  if (v.mechanism == Mechanism::kUndetermined) {
    s.push_back("Verdict: " + std::to_string(v.plausible.size()) + " laws describe this trial about equally " +
                how + "; " + Lower(name) + " fits it closest" + r2 + ".");
  } else {
    s.push_back("Verdict: " + Lower(name) + " describes this trial " + how + r2 + ".");
  }

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
    if (v.hours && !v.volumeIncalculable) volume += " in " + Hours(*v.hours, v.thousands);
    volume += " before it fouls";
    if (v.volumeLaw && v.volumeLaw != v.best) volume += " by the law that fouls first, " + Lower(LawName(*v.volumeLaw));
    if (RangeWorthShowing(v)) volume += ", " + RangeText(v);
    s.push_back(volume + SizingText(v, request) + ".");
  }
  if (v.throughputRatio && *v.throughputRatio > kFarThroughputRatio) {
    s.push_back("The prediction reaches " + SignificantText(*v.throughputRatio, v.thousands) +
                " times beyond the throughput the trial measured; a longer trial would firm it up.");
  }
  if (v.pressureRatio && (*v.pressureRatio > kPressureFar || *v.pressureRatio < 1 / kPressureFar)) {
    s.push_back("The production filter's maximum pressure is " + SignificantText(*v.pressureRatio, v.thousands) +
                " times the trial's; deposits of wine colloids are compressible, so the prediction may not hold "
                "that far from the trial's pressure.");
  }
  if (v.mechanism) s.push_back(MechanismSentence(v));
  if (v.reportVolumeGal && v.volumeGal && *v.best != FoulingLaw::kPower &&
      std::abs(*v.reportVolumeGal - *v.volumeGal) > kReportDiffers * *v.volumeGal) {
    const std::string law(LawName(v.volumeLaw.value_or(*v.best)));
    s.push_back("The trial report's estimate, " + GallonsText(*v.reportVolumeGal, v.thousands) +
                " gallons, comes from the power model; " + Lower(law) +
                (v.volumeLaw == v.best ? " fits this trial better and gives " : " fouls first and gives ") +
                GallonsText(*v.volumeGal, v.thousands) + " gallons.");
  }
  return withIndex(name);
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

bool RangeWorthShowing(const Verdict& v) {
  if (!v.hasRange || !v.volumeGal || v.volumeIncalculable) return false;
  const double best = *v.volumeGal;
  return *v.rangeLowGal < (1 - kRangeShown) * best || !v.rangeHighGal ||
         *v.rangeHighGal > (1 + kRangeShown) * best;
}

}  // namespace vorsant
