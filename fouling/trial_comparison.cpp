#include "fouling/trial_comparison.h"

#include <algorithm>
#include <utility>

#include "trial/analysis.h"
#include "trial/cp1252.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

// What a figure that does not apply shows, as in the models table.
constexpr std::string_view kNotApplicable = "-";
constexpr std::string_view kRuleChar = "\u2014";
constexpr std::string_view kGap = "  ";

// Width in a fixed-pitch font: one cell per character, not per byte.
std::size_t Cells(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Padded(std::string_view text, std::size_t width, bool right) {
  const std::string pad(width > Cells(text) ? width - Cells(text) : 0, ' ');
  return right ? pad + std::string(text) : std::string(text) + pad;
}

std::string Rule(std::size_t width) {
  std::string rule;
  for (std::size_t i = 0; i < width; ++i) rule += kRuleChar;
  return rule;
}

template <typename T>
std::string Figure(const std::optional<T>& value, int decimals) {
  return value ? Fixed(static_cast<double>(*value), 0, decimals) : std::string(kNotApplicable);
}

struct Column {
  Column(std::string t, bool r = false) : title(std::move(t)), right(r) {}
  std::string title;
  bool right;  // figures line up on the right
  std::vector<std::string> cells;
  std::size_t Width() const {
    std::size_t w = Cells(title);
    for (const std::string& c : cells) w = std::max(w, Cells(c));
    return w;
  }
};

}  // namespace

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
    FoulingOutcome outcome = AnalyseFouling(t.rec, request);
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

std::vector<std::string> ComparisonTableLines(std::span<const ComparedTrial> trials, bool withArea) {
  std::vector<Column> columns = {{"File"},
                                 {"Wine"},
                                 {"Filter"},
                                 {"Best model"},
                                 {"Volume (gal)", true},
                                 {"Range (gal)", true},
                                 {"Hours", true},
                                 {"Capacity (L/m2)", true},
                                 {"FI 2 bar (s)", true},
                                 {"FI measured (s)", true}};
  if (withArea) columns.push_back({"Area (m2)", true});
  constexpr std::size_t kFirstFigure = 3;

  // A trial without figures carries its message from the model column on.
  std::vector<std::string> messages(trials.size());
  for (std::size_t i = 0; i < trials.size(); ++i) {
    const ComparedTrial& t = trials[i];
    columns[0].cells.push_back(t.file);
    columns[1].cells.push_back(t.wine);
    columns[2].cells.push_back(t.filter);
    const ModelFit* best = BestModel(t);
    // A filterability test has its measured index and nothing to predict.
    if (!best && t.verdict && t.verdict->fit == FitQuality::kInsufficient) {
      for (std::size_t c = kFirstFigure; c < columns.size(); ++c) columns[c].cells.emplace_back(kNotApplicable);
      columns[3].cells.back() = "too few readings";
      columns[9].cells.back() = Figure(t.verdict->filterability.trialS, 1);
      continue;
    }
    if (!best) {
      messages[i] = !t.report             ? t.failure
                    : t.report->noFouling ? std::string(kNoFoulingWarning)
                                          : "No fouling model fits this trial.";
      for (std::size_t c = kFirstFigure; c < columns.size(); ++c) columns[c].cells.emplace_back();
      continue;
    }
    const Verdict& v = *t.verdict;
    columns[3].cells.emplace_back(LawName(best->law));
    columns[4].cells.push_back(Figure(best->volumeGal, 0));
    // One plausible volume is no range.
    const bool single = v.hasRange && v.rangeHighGal == v.rangeLowGal;
    columns[5].cells.push_back(!v.hasRange || single
                                   ? std::string(kNotApplicable)
                                   : Figure(v.rangeLowGal, 0) + "-" +
                                         (v.rangeHighGal ? Figure(v.rangeHighGal, 0) : "no limit"));
    columns[6].cells.push_back(Figure(best->hours, 1));
    columns[7].cells.push_back(Figure(best->capacityLm2, 1));
    columns[8].cells.push_back(v.filterability.blocksBeforeStandard ? "blocks"
                                                                    : Figure(v.filterability.standardS, 1));
    columns[9].cells.push_back(Figure(v.filterability.trialS, 1));
    if (withArea) columns[10].cells.push_back(Figure(best->areaM2, 2));
  }

  std::vector<std::size_t> widths;
  for (const Column& c : columns) widths.push_back(c.Width());
  const auto line = [&](auto cellOf) {
    std::string text(kGap);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) text += kGap;
      text += cellOf(c);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  };

  std::vector<std::string> lines;
  lines.push_back(line([&](std::size_t c) { return Padded(columns[c].title, widths[c], columns[c].right); }));
  lines.push_back(line([&](std::size_t c) { return Rule(widths[c]); }));
  for (std::size_t i = 0; i < trials.size(); ++i) {
    if (messages[i].empty()) {
      lines.push_back(
          line([&](std::size_t c) { return Padded(columns[c].cells[i], widths[c], columns[c].right); }));
      continue;
    }
    std::string row(kGap);
    for (std::size_t c = 0; c < kFirstFigure; ++c)
      row += Padded(columns[c].cells[i], widths[c], false) + std::string(kGap);
    lines.push_back(row + messages[i]);
  }
  return lines;
}

}  // namespace vorsant
