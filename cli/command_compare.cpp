// compare A.vrs B.vrs [...] [--volume GAL] [--safety S] [-o OUT.svg] [--json]:
// the trials side by side by their best fouling models, as a table or JSON,
// and optionally the overlay graph. A trial that cannot be read or analysed
// is named on stderr with its message and listed without figures; the others
// are still compared and the exit status is then 1. When no file can be
// read, no graph is written.

#include <exception>
#include <limits>
#include <vector>

#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/trial_io.h"
#include "fouling/trial_comparison.h"
#include "graphs/compare_graph.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"
#include "trial/number_text.h"

namespace vorsant::cli {

namespace {

constexpr std::string_view kUsage =
    "compare A.vrs B.vrs [...] [--volume GAL] [--safety S] [-o OUT.svg] [--json]";

// A number option checked by the models' own rule; misuse names the option.
std::optional<double> SizingOption(const Options& options, std::string_view name,
                                   std::optional<std::string> (*check)(double)) {
  const auto text = options.Value(name);
  if (!text) return std::nullopt;
  const auto value = ParseDecimal(*text);
  if (!value) throw UsageError(std::string(name) + " must be a number, not " + *text);
  if (const auto problem = check(*value)) throw UsageError(std::string(name) + ": " + *problem);
  return value;
}

// The writer prints a value that is not a number as null.
void Null(JsonWriter& json) {
  json.Number(std::numeric_limits<double>::quiet_NaN());
}

void Figure(JsonWriter& json, const std::optional<double>& value) {
  json.Number(value.value_or(std::numeric_limits<double>::quiet_NaN()));
}

void Figure(JsonWriter& json, std::string_view key, const std::optional<double>& value) {
  json.Key(key);
  Figure(json, value);
}

void WriteJson(std::ostream& out, const std::vector<ComparedTrial>& trials) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("trials");
  json.BeginArray();
  for (const ComparedTrial& t : trials) {
    const ModelFit* best = BestModel(t);
    const ModelFit none;
    const ModelFit& fit = best ? *best : none;
    json.BeginObject();
    json.Key("file");
    json.String(t.file);
    json.Key("wine");
    t.readable ? json.String(t.wine) : Null(json);
    json.Key("filter");
    t.readable ? json.String(t.filter) : Null(json);
    json.Key("best");
    if (best) {
      json.String(LawKey(best->law));
    } else {
      Null(json);
    }
    Figure(json, "volume_gal", fit.volumeGal);
    json.Key("volume_range_gal");
    if (best && t.verdict->hasRange) {
      json.BeginArray();
      json.Number(*t.verdict->rangeLowGal);
      Figure(json, t.verdict->rangeHighGal);
      json.EndArray();
    } else {
      Null(json);
    }
    Figure(json, "hours", fit.hours);
    Figure(json, "capacity_l_m2", fit.capacityLm2);
    json.Key("fi_standard_s");
    Figure(json, best ? t.verdict->filterability.standardS : std::nullopt);
    json.Key("fi_trial_s");
    Figure(json, t.verdict ? t.verdict->filterability.trialS : std::nullopt);
    Figure(json, "area_m2", fit.areaM2);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

int RunCompare(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--volume", "--safety", "-o"}, {"--json"});
  const std::vector<std::string>& files = options.Positional();
  if (files.empty()) throw UsageError("no trial file given: " + std::string(kUsage));
  if (files.size() > kMaxComparedTrials) {
    throw UsageError("at most " + std::to_string(kMaxComparedTrials) + " trials can be compared, not " +
                     std::to_string(files.size()));
  }
  SizingRequest request;
  request.targetGal = SizingOption(options, "--volume", CheckTargetVolume);
  if (const auto safety = SizingOption(options, "--safety", CheckSafetyFactor)) request.safety = *safety;

  // In the order given, unreadable files too.
  bool failed = false;
  bool anyRead = false;
  std::vector<ComparedTrial> compared;
  for (const std::string& file : files) {
    std::optional<TrialToCompare> trial;
    try {
      trial = TrialToCompare{file, ReadTrial(file)};
    } catch (const CommandError& e) {
      io.err << file << ": " << e.what() << "\n";
      compared.push_back(UnreadableTrial(file, e.what()));
      failed = true;
      continue;
    } catch (const std::exception&) {
      // Where file names are UTF-16, bytes that are not UTF-8 name no file.
      constexpr std::string_view kNoName = "The file name is not valid text.";
      io.err << file << ": " << kNoName << "\n";
      compared.push_back(UnreadableTrial(file, std::string(kNoName)));
      failed = true;
      continue;
    }
    anyRead = true;
    compared.push_back(std::move(CompareTrials(std::span(&*trial, 1), request).front()));
    if (!compared.back().report) {
      io.err << file << ": " << compared.back().failure << "\n";
      failed = true;
    }
  }

  if (options.Flag("--json")) {
    WriteJson(io.out, compared);
  } else {
    for (const std::string& line : ComparisonTableLines(compared, request.targetGal.has_value())) {
      io.out << line << "\n";
    }
  }
  if (const auto out = options.Value("-o"); out && anyRead) {
    SvgCanvas canvas(kScaleGraphWidth, kScaleGraphHeight);
    DrawCompareGraph(canvas, compared);
    SaveOutputFile(*out, canvas.Document());
  }
  return failed ? kExitFailure : 0;
}

}  // namespace vorsant::cli
