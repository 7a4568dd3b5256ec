#include "present/verdict_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fouling/companion_readings.h"
#include "present/model_columns.h"
#include "present/text_width.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr double kRangeShown = 0.10;  // a range inside +-10 % says nothing new

std::string Lower(std::string_view text) {
  std::string s(text);
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string s;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) s += i + 1 == items.size() ? " and " : ", ";
    s += items[i];
  }
  return s;
}

std::string VolumeSentenceText(const Verdict& v, const Presentation& p) {
  if (v.volumeIncalculable) return "an incalculably high volume";
  return "about " + VolumeText(*v.volumeM3, p, true);
}

// In the unit of the volume the sentence gives first.
std::string RangeText(const Verdict& v, const Presentation& p) {
  std::vector<std::string> laws;
  for (FoulingLaw law : v.plausible) laws.push_back(Lower(LawName(law)));
  const VolumeUnit unit = VolumeUnitFor(p.units, *v.volumeM3);
  const std::string high = v.rangeHighM3 ? VolumeFigure(*v.rangeHighM3, unit, p.numbers) : "no limit";
  std::string s = "between " + VolumeFigure(*v.rangeLowM3, unit, p.numbers) + " and " + high + " " +
                  std::string(VolumeWords(unit)) + " by " +
                  (laws.size() == 1 ? "the spread of " + laws[0]
                                    : "the laws that fit about as well (" + Joined(laws) + ")") +
                  (v.flips.empty() ? ""
                   : v.source.used ? " and the laws that single stretches of readings lead to"
                                   : " and the laws that single readings lead to");
  if (v.refitsLeftOut > 0)
    s += ", leaving out " + std::to_string(v.refitsLeftOut) +
         (v.refitsLeftOut == 1 ? " refit that could not be fitted" : " refits that could not be fitted");
  return s + ", so that is how sure this trial lets us be";
}

std::string SizingText(const Verdict& v, const SizingRequest& request, const Presentation& p) {
  if (!request.targetM3) return "";
  std::string s = "; for " + VolumeText(*request.targetM3, p) + " with a safety factor of " +
                  ShortestText(request.safety, p.numbers) + " it needs ";
  if (!v.areaM2) return s + "more than " + Grouped(1e7, p.numbers.thousands) + " m\u00b2 of filter";
  s += DecimalText(*v.areaM2, 2, p.numbers) + " m\u00b2";
  if (v.elements) s += " (" + std::to_string(*v.elements) + (*v.elements == 1 ? " element)" : " elements)");
  if (v.elementsUncountable) s += " (too many elements to count: the element area is too small)";
  return s;
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

std::vector<std::string> FilterabilitySentences(const Verdict& v, std::optional<std::string_view> bestName,
                                                const Presentation& p) {
  const Filterability& f = v.filterability;
  std::vector<std::string> s;
  const std::string disc = "at 2 bar through a 25 mm disc";
  if (f.trialS && f.trialStandard) {
    s.push_back("Filterability index measured " + disc + ": FI " + IndexText(*f.trialS, p.numbers) + " s (" +
                BandText(*f.band) + ").");
  } else if (f.trialS) {
    s.push_back("The trial's own readings give FI " + IndexText(*f.trialS, p.numbers) +
                " s, not comparable with published figures: the trial ran at " +
                PressureText(f.trialPressurePa, p) + " through a " + DecimalText(f.trialDiameterMm, 1, p.numbers) +
                " mm disc, not at 2 bar through 25 mm.");
  } else if (f.trialGap) {
    s.push_back("The readings give no filterability index: " + std::string(IndexGapText(*f.trialGap)) + ".");
  }
  if (bestName && (f.standardS || f.blocksBeforeStandard)) {
    const std::string band = f.bandMeasured ? "" : " (" + BandText(*f.band) + ")";
    if (f.standardS) {
      s.push_back("Predicted by " + Lower(*bestName) + " for a 25 mm membrane disc at 2 bar: FI " +
                  IndexText(*f.standardS, p.numbers) + " s" + band + ".");
    } else {
      s.push_back("By " + Lower(*bestName) + ", a 25 mm membrane disc at 2 bar would block before 400 ml" +
                  band + ".");
    }
  }
  if (f.band)
    s.push_back("The bands hold for a 0.65 \u00b5m membrane disc of 25 mm at 2 bar; a sheet, earth or another "
                "grade filters differently.");
  if (f.vmax) {
    s.push_back("Vmax (standard blocking): " + CapacityText(*f.vmax, p.numbers) + " L/m\u00b2.");
  } else if (f.vmaxWithheld) {
    s.push_back("No Vmax: it assumes standard blocking, which does not fit this trial as well as the best law.");
  }
  return s;
}

// "Reading 7 has no time and was left out." for every row left out.
std::string LeftOutSentence(const Verdict& v) {
  std::vector<std::string> parts;
  for (const LeftOutReading& r : v.leftOut) parts.push_back("reading " + std::to_string(r.row) + " " + r.why);
  std::string s = Joined(parts);
  if (!s.empty()) s[0] = 'R';
  return s + (parts.size() == 1 ? " and was left out." : "; these readings were left out.");
}

std::string ReadingName(const LawFlip& f) {
  if (f.fromSeconds && f.toSeconds) {
    const std::string from = MinutesSecondsText(*f.fromSeconds), to = MinutesSecondsText(*f.toSeconds);
    return from == to ? "the reading at " + from : "the readings from " + from + " to " + to;
  }
  return f.row == 0 ? "the start" : "reading " + std::to_string(f.row);
}

// Which readings the models were fitted on, when the trial has a
// collection's every reading beside it: "Fitted on 2,412 readings the
// balance gave during the collection (merlot.readings.csv)." Nothing
// without one.
std::string SourceSentence(const Verdict& v, const Presentation& p) {
  const ReadingsSource& src = v.source;
  const auto count = [&](std::size_t n, std::string_view what) {
    return Grouped(static_cast<double>(n), p.numbers.thousands) + " " + std::string(what) + (n == 1 ? "" : "s");
  };
  if (!src.used)
    return src.file + " was not used: " + src.whyNot + "; the models are fitted on the trial's own " +
           count(src.fitted, "reading") + ".";
  std::string s = "Fitted on " + count(src.fitted, "reading") + " the balance gave during the collection (" +
                  src.file + ")";
  if (src.notRising > 0)
    s += "; " + count(src.notRising, "reading") + " not above the one before " +
         (src.notRising == 1 ? "was" : "were") + " left out";
  if (src.unreadableLines > 0)
    s += "; " + count(static_cast<std::size_t>(src.unreadableLines), "line") + " could not be read";
  return s + ".";
}

// "without reading 9 the trial reads as cake filtration: 852 gallons".
std::string FlipsText(const Verdict& v, const Presentation& p) {
  constexpr std::size_t kNamed = 3;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < v.flips.size() && i < kNamed; ++i) {
    const LawFlip& f = v.flips[i];
    std::string part = "without " + ReadingName(f) + " the trial reads as " + Lower(LawName(f.law)) + ": ";
    if (f.incalculable) {
      part += "an incalculably high volume";
    } else if (!f.volumeM3) {
      part += "no limit to the volume";
    } else {
      part += VolumeText(*f.volumeM3, p);
    }
    parts.push_back(part);
  }
  std::string s = Joined(parts);
  const bool stretches = v.source.used;
  if (v.flips.size() > kNamed)
    s += ", and " + std::to_string(v.flips.size() - kNamed) + (stretches ? " more stretches like it" : " more readings like it");
  const char* lead = stretches ? (v.flips.size() == 1 ? "One stretch of readings decides the law: "
                                                      : "Single stretches of readings decide the law: ")
                               : (v.flips.size() == 1 ? "One reading decides the law: "
                                                      : "Single readings decide the law: ");
  return std::string(lead) + s + "; the range includes " +
         (v.flips.size() == 1 ? "that answer." : "those answers.");
}

std::string ElementsText(long long n) {
  return std::to_string(n) + (n == 1 ? " element" : " elements");
}

// Each candidate's volume and, with a target, its sizing; then the spread.
std::string CandidatesSentence(const Verdict& v, const SizingRequest& request, const Presentation& p) {
  std::vector<std::string> parts;
  std::optional<long long> fewest, most;
  for (const CandidateLaw& c : v.candidates) {
    std::string part = Lower(LawName(c.law)) + " ";
    if (c.incalculable) {
      part += "an incalculably high volume";
    } else if (!c.volumeM3) {
      part += "no limit";
    } else {
      part += VolumeText(*c.volumeM3, p);
    }
    if (request.targetM3 && c.areaM2) {
      part += " (" + DecimalText(*c.areaM2, 2, p.numbers) + " m\u00b2";
      if (c.elements) {
        part += ", " + ElementsText(*c.elements);
        fewest = std::min(fewest.value_or(*c.elements), *c.elements);
        most = std::max(most.value_or(*c.elements), *c.elements);
      }
      part += ")";
    }
    parts.push_back(part);
  }
  std::string s = "The candidates give: " + Joined(parts);
  if (fewest && most && *fewest != *most)
    s += "; for " + VolumeText(*request.targetM3, p) + " the filter needs between " + std::to_string(*fewest) +
         " and " + ElementsText(*most);
  s += ". The volume above is planned on the law that fouls first, so that a filter sized on it is not "
       "undersized whichever law the wine follows.";
  return s;
}

std::string DecisiveSentence(const Verdict& v, const Presentation& p) {
  std::vector<std::string> laws;
  for (const CandidateLaw& c : v.candidates) laws.push_back(Lower(LawName(c.law)));
  const std::string told = laws.size() == 2 ? laws[0] + " from " + laws[1] : "apart " + Joined(laws);
  if (!v.decisiveMl)
    return "No trial up to ten times this one's volume would set " + Joined(laws) +
           " apart beyond the readings' scatter; a trial through a smaller disc may.";
  const double minutes = *v.decisiveMinutes;
  const std::string time = minutes < 90 ? std::to_string(std::max(1LL, std::llround(minutes))) + " minutes"
                                        : HoursText(minutes * 60, p.numbers);
  return "Running the trial to about " + SignificantText(*v.decisiveMl, p.numbers) + " ml, some " + time +
         " at its last flow, would tell " + told + ".";
}

std::string NoFoulingSentence(const Verdict& v, const Presentation& p) {
  std::string s = "No fouling was observed: the wine did not foul ";
  if (v.trialMinutes) {
    const long long minutes = std::max(1LL, std::llround(*v.trialMinutes));
    s += "in the trial's " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
  } else {
    s += "in this trial";
  }
  s += ": the resistance stayed flat within what whole seconds resolve. ";
  if (v.startsAboveRmax)
    return s + "Even so, the production filter cannot pass the wanted rate at its maximum pressure from the start: "
               "it needs more area, a lower rate or a higher pressure.";
  if (v.provenM3)
    return s + "The production filter will pass at least " + VolumeText(*v.provenM3, p) +
           ", the volume the trial proves; how much more only a longer trial can tell.";
  return s + "A longer trial would tell how far the production filter goes.";
}


}  // namespace

std::string_view LawName(FoulingLaw law) {
  switch (law) {
    case FoulingLaw::kComplete:
      return "Complete blocking";
    case FoulingLaw::kStandard:
      return "Standard blocking";
    case FoulingLaw::kIntermediate:
      return "Intermediate blocking (exponential)";
    case FoulingLaw::kCake:
      return "Cake filtration";
    case FoulingLaw::kPower:
      return "Power model";
  }
  return "";
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


namespace {
std::vector<std::string> Sentences(const Verdict& v, const SizingRequest& request, const Presentation& p);
}  // namespace

// The readings left out are named right after the first sentence, which
// says what the trial shows.
std::vector<std::string> VerdictSentences(const Verdict& v, const SizingRequest& request,
                                          const Presentation& p) {
  std::vector<std::string> s = Sentences(v, request, p);
  if (!v.leftOut.empty()) s.insert(s.begin() + (s.empty() ? 0 : 1), LeftOutSentence(v));
  if (!v.source.file.empty()) s.insert(s.begin() + (s.empty() ? 0 : 1), SourceSentence(v, p));
  return s;
}

namespace {
std::vector<std::string> Sentences(const Verdict& v, const SizingRequest& request, const Presentation& p) {
  std::vector<std::string> s;
  const auto withIndex = [&](std::optional<std::string_view> bestName) {
    for (std::string& sentence : FilterabilitySentences(v, bestName, p)) s.push_back(std::move(sentence));
    return s;
  };
  if (v.noFouling) {
    s.push_back(NoFoulingSentence(v, p));
    return withIndex(std::nullopt);
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
  const std::string r2 = " (adjusted R\u00b2 " + DecimalText(*v.r2Adjusted, 4, p.numbers) + ")";
  if (!v.best) {
    s.push_back("No fouling law describes this trial well" + r2 +
                ", so the volumes below are not reliable and no model is marked as the best.");
    return withIndex(std::nullopt);
  }
  const std::string name(LawName(*v.best));
  const std::string how = *v.fit == FitQuality::kGood ? "well" : "fairly well";
  if (v.mechanism == Mechanism::kUndetermined) {
    s.push_back("Verdict: " + std::to_string(v.plausible.size()) + " laws describe this trial " + how +
                " and about as well as each other; " + Lower(name) + " fits it closest" + r2 + ".");
  } else {
    s.push_back("Verdict: " + Lower(name) + " describes this trial " + how + r2 + ".");
  }

  if (!v.volumeM3 && !v.volumeIncalculable) {
    s.push_back("By " + Lower(name) +
                " the production filter never reaches its maximum allowable "
                "resistance, so the trial sets no limit to the volume.");
  } else if (v.volumeM3 && *v.volumeM3 == 0) {
    s.push_back(
        "The production filter starts at or above its maximum allowable resistance: it would foul "
        "at once.");
  } else {
    std::string volume = "The production filter should pass " + VolumeSentenceText(v, p);
    if (v.seconds && !v.volumeIncalculable) volume += " in " + HoursText(*v.seconds, p.numbers);
    volume += " before it fouls";
    if (v.volumeLaw && v.volumeLaw != v.best) volume += " by the law that fouls first, " + Lower(LawName(*v.volumeLaw));
    if (RangeWorthShowing(v)) volume += ", " + RangeText(v, p);
    s.push_back(volume + SizingText(v, request, p) + ".");
  }
  if (!v.flips.empty() && RangeWorthShowing(v)) s.push_back(FlipsText(v, p));
  if (v.throughputRatio && *v.throughputRatio > kFarThroughputRatio) {
    s.push_back("The prediction reaches " + SignificantText(*v.throughputRatio, p.numbers) +
                " times beyond the throughput the trial measured; a longer trial would firm it up.");
  }
  if (v.pressureRatio && (*v.pressureRatio > kPressureFar || *v.pressureRatio < 1 / kPressureFar)) {
    s.push_back("The production filter's maximum pressure is " + SignificantText(*v.pressureRatio, p.numbers) +
                " times the trial's; deposits of wine colloids are compressible, so the prediction may not hold "
                "that far from the trial's pressure.");
  }
  if (v.mechanism) s.push_back(MechanismSentence(v));
  if (!v.candidates.empty()) {
    s.push_back(CandidatesSentence(v, request, p));
    s.push_back(DecisiveSentence(v, p));
  }
  if (v.reportVolumeM3 && v.volumeM3 && *v.best != FoulingLaw::kPower &&
      std::abs(*v.reportVolumeM3 - *v.volumeM3) > kReportDiffers * *v.volumeM3) {
    // Three figures, each with the fit it comes from, in one unit system:
    // in US units the report's as the report prints it, whole gallons.
    const std::string law(LawName(v.volumeLaw.value_or(*v.best)));
    std::string report = "The trial report's " +
                         (p.units == UnitSystem::kUs
                              ? Grouped(UsGallons(*v.reportVolumeM3), p.numbers.thousands) + " gallons"
                              : VolumeText(*v.reportVolumeM3, p)) +
                         " is the power model fitted to the resistances, as the report has always done; ";
    if (v.readingsPowerM3)
      report += "fitted to the readings themselves it gives " + VolumeText(*v.readingsPowerM3, p) + "; ";
    s.push_back(report + Lower(law) + (v.volumeLaw == v.best ? " fits best and gives " : " fouls first and gives ") +
                VolumeText(*v.volumeM3, p) + ".");
  }
  return withIndex(name);
}
}  // namespace

std::vector<std::string> VerdictLines(const Verdict& verdict, const SizingRequest& request,
                                      const Presentation& p, std::size_t width) {
  std::vector<std::string> lines;
  for (const std::string& sentence : VerdictSentences(verdict, request, p)) {
    std::string line;
    std::size_t cells = 0;
    std::size_t at = 0;
    while (at < sentence.size()) {
      const std::size_t end = std::min(sentence.find(' ', at), sentence.size());
      const std::string word = sentence.substr(at, end - at);
      const std::size_t wordCells = TextWidth(word);
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
                                         const SizingRequest& request, const Presentation& p) {
  std::vector<std::string> lines = VerdictLines(verdict, request, p);
  lines.emplace_back();
  for (std::string& line : FoulingTableLines(report, p)) lines.push_back(std::move(line));
  return lines;
}

std::string_view IndexGapText(IndexGap gap) {
  switch (gap) {
    case IndexGap::kShortOf400:
      return "the readings do not reach 400 ml";
    case IndexGap::kNo200:
      return "no readings near 200 ml";
    case IndexGap::kNo400:
      break;
  }
  return "no readings near 400 ml";
}

bool RangeWorthShowing(const Verdict& v) {
  if (!v.hasRange || !v.volumeM3 || v.volumeIncalculable) return false;
  const double best = *v.volumeM3;
  return *v.rangeLowM3 < (1 - kRangeShown) * best || !v.rangeHighM3 ||
         *v.rangeHighM3 > (1 + kRangeShown) * best;
}

}  // namespace vorsant
