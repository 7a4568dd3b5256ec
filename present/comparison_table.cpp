#include "present/comparison_table.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "present/model_columns.h"
#include "present/text_width.h"
#include "present/verdict_text.h"
#include "trial/analysis.h"

namespace vorsant {
namespace {

// What a figure that does not apply shows, as in the models table.
constexpr std::string_view kNotApplicable = "-";
constexpr std::string_view kRuleChar = "\u2014";
constexpr std::string_view kGap = "  ";

std::string Rule(std::size_t width) {
  std::string rule;
  for (std::size_t i = 0; i < width; ++i) rule += kRuleChar;
  return rule;
}

std::string Padded(std::string_view text, std::size_t width, bool right) {
  return right ? PadLeft(text, width) : PadRight(text, width);
}

struct Column {
  Column(std::string t, bool r = false) : title(std::move(t)), right(r) {}
  std::string title;
  bool right;  // figures line up on the right
  std::vector<std::string> cells;
  std::size_t Width() const {
    std::size_t w = TextWidth(title);
    for (const std::string& c : cells) w = std::max(w, TextWidth(c));
    return w;
  }
};

// "No fouling was observed." and what the trial proves.
std::string NoFoulingMessage(const Verdict& v, VolumeUnit unit, const Presentation& p) {
  std::string s = "No fouling was observed.";
  if (v.trialMinutes) {
    const long long minutes = std::max(1LL, std::llround(*v.trialMinutes));
    s += " The wine did not foul in the trial's " + std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
  }
  if (v.provenM3)
    s += std::string(v.trialMinutes ? "; " : " ") + "the production filter passes at least " +
         VolumeCell(*v.provenM3, unit, p.numbers) + " " + std::string(VolumeSymbol(unit));
  return s + (v.trialMinutes || v.provenM3 ? "." : "");
}

}  // namespace

VolumeUnit ComparisonVolumeUnit(std::span<const ComparedTrial> trials, UnitSystem units) {
  std::vector<double> volumes;
  for (const ComparedTrial& t : trials) {
    const ModelFit* best = PlannedModel(t);
    if (best && best->volumeM3 && !best->incalculable) volumes.push_back(*best->volumeM3);
    if (best && t.verdict->rangeHighM3) volumes.push_back(*t.verdict->rangeHighM3);
  }
  return TableVolumeUnit(units, volumes);
}

std::vector<std::string> ComparisonTableLines(std::span<const ComparedTrial> trials, bool withArea,
                                              const Presentation& p) {
  const VolumeUnit unit = ComparisonVolumeUnit(trials, p.units);
  const std::vector<ModelColumn> models = ModelColumns(unit);
  const auto heading = [&](ModelColumnId id) { return ColumnOf(models, id).heading; };
  const auto cell = [&](const ModelFit& fit, ModelColumnId id) { return ModelCell(fit, id, unit, p.numbers); };
  const auto seconds = [&](const std::optional<double>& s) {
    return s ? DecimalText(*s, 1, p.numbers) : std::string(kNotApplicable);
  };
  std::vector<Column> columns = {{"File"},
                                 {"Wine"},
                                 {"Filter"},
                                 {"Best model"},
                                 {heading(ModelColumnId::kVolume), true},
                                 {"Range (" + std::string(VolumeSymbol(unit)) + ")", true},
                                 {heading(ModelColumnId::kTime), true},
                                 {heading(ModelColumnId::kCapacity), true},
                                 {"FI 2 bar (s)", true},
                                 {"FI measured (s)", true}};
  if (withArea) columns.push_back({heading(ModelColumnId::kArea), true});
  constexpr std::size_t kFirstFigure = 3;

  // A trial without figures carries its message from the model column on.
  std::vector<std::string> messages(trials.size());
  for (std::size_t i = 0; i < trials.size(); ++i) {
    const ComparedTrial& t = trials[i];
    columns[0].cells.push_back(t.file);
    columns[1].cells.push_back(t.wine);
    columns[2].cells.push_back(t.filter);
    // The verdict's figures: the law it plans on.
    const ModelFit* best = PlannedModel(t);
    // A filterability test has its measured index and nothing to predict.
    if (!best && t.verdict && t.verdict->fit == FitQuality::kInsufficient) {
      for (std::size_t c = kFirstFigure; c < columns.size(); ++c) columns[c].cells.emplace_back(kNotApplicable);
      columns[3].cells.back() = "too few readings";
      columns[9].cells.back() = seconds(t.verdict->filterability.trialS);
      continue;
    }
    if (!best) {
      messages[i] = !t.report             ? t.failure
                    : t.report->noFouling ? NoFoulingMessage(*t.verdict, unit, p)
                                          : "No fouling model fits this trial.";
      for (std::size_t c = kFirstFigure; c < columns.size(); ++c) columns[c].cells.emplace_back();
      continue;
    }
    const Verdict& v = *t.verdict;
    columns[3].cells.push_back(std::string(LawName(best->law)) + (t.report->best == best->law ? "" : " (fouls first)"));
    columns[4].cells.push_back(cell(*best, ModelColumnId::kVolume));
    columns[5].cells.push_back(!RangeWorthShowing(v) ? std::string(kNotApplicable)
                                                     : VolumeCell(*v.rangeLowM3, unit, p.numbers) + "-" +
                                                           (v.rangeHighM3 ? VolumeCell(*v.rangeHighM3, unit, p.numbers)
                                                                          : "no limit"));
    columns[6].cells.push_back(cell(*best, ModelColumnId::kTime));
    columns[7].cells.push_back(cell(*best, ModelColumnId::kCapacity));
    columns[8].cells.push_back(v.filterability.blocksBeforeStandard ? "blocks" : seconds(v.filterability.standardS));
    columns[9].cells.push_back(seconds(v.filterability.trialS));
    if (withArea) columns[10].cells.push_back(cell(*best, ModelColumnId::kArea));
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
  // The readings each trial's models left out, named under the table.
  for (const ComparedTrial& t : trials) {
    if (!t.verdict) continue;
    for (const LeftOutReading& r : t.verdict->leftOut)
      lines.push_back(std::string(kGap) + t.file + ": reading " + std::to_string(r.row) + " " + r.why +
                      " and was left out.");
  }
  return lines;
}

}  // namespace vorsant
