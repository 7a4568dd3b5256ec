// compare A.vrs B.vrs [...] [--volume V] [--safety S] [--units us|metric] [-o OUT.svg] [--json]:
// the trials side by side by their best fouling models, as a table or JSON,
// and optionally the overlay graph. A trial that cannot be read or analysed
// is named on stderr with its message and listed without figures; the others
// are still compared and the exit status is then 1. When no file can be
// read, no graph is written. A trial with its collection's every reading
// beside it (NAME.readings.csv) is fitted on them, as models does.

#include <exception>
#include <vector>

#include "cli/command.h"
#include "cli/json_figures.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/sizing_options.h"
#include "cli/trial_io.h"
#include "fouling/trial_comparison.h"
#include "scale/reading_log.h"
#include "present/comparison_table.h"
#include "graphs/compare_graph.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"

namespace vorsant::cli {

namespace {

constexpr std::string_view kUsage =
    "compare A.vrs B.vrs [...] [--volume V] [--safety S] [--units us|metric] [-o OUT.svg] [--json]";

void WriteJson(std::ostream& out, const std::vector<ComparedTrial>& trials) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("trials");
  json.BeginArray();
  for (const ComparedTrial& t : trials) {
    // The figures are the verdict's: of the law it plans on.
    const ModelFit* best = BestModel(t);
    const ModelFit* planned = PlannedModel(t);
    const ModelFit none;
    const ModelFit& fit = planned ? *planned : none;
    json.BeginObject();
    json.Key("file");
    json.String(t.file);
    json.Key("wine");
    t.readable ? json.String(t.wine) : json.Null();
    json.Key("filter");
    t.readable ? json.String(t.filter) : json.Null();
    json.Key("best");
    best ? json.String(LawKey(best->law)) : json.Null();
    json.Key("volume_law");
    planned ? json.String(LawKey(planned->law)) : json.Null();
    Volume(json, "volume", fit.volumeM3);
    VolumeRanges(json, best ? &*t.verdict : nullptr);
    Figure(json, "hours", Converted(fit.seconds, Hours));
    Figure(json, "capacity_l_m2", Converted(fit.capacity, LitresPerM2));
    Figure(json, "fi_standard_s", best ? t.verdict->filterability.standardS : std::nullopt);
    Figure(json, "fi_trial_s", t.verdict ? t.verdict->filterability.trialS : std::nullopt);
    Figure(json, "area_m2", fit.areaM2);
    Volume(json, "proven_volume", t.verdict ? t.verdict->provenM3 : std::nullopt);
    LeftOut(json, t.verdict ? &*t.verdict : nullptr);
    ReadingsFitted(json, t.verdict ? &*t.verdict : nullptr);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

int RunCompare(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--volume", "--safety", "--units", "-o"}, {"--json"});
  const std::vector<std::string>& files = options.Positional();
  if (files.empty()) throw UsageError("no trial file given: " + std::string(kUsage));
  if (files.size() > kMaxComparedTrials) {
    throw UsageError("at most " + std::to_string(kMaxComparedTrials) + " trials can be compared, not " +
                     std::to_string(files.size()));
  }
  const Presentation p = PresentationOption(options);
  const SizingRequest request = SizingOptions(options, p);

  // In the order given, unreadable files too.
  bool failed = false;
  bool anyRead = false;
  std::vector<ComparedTrial> compared;
  for (const std::string& file : files) {
    std::optional<TrialToCompare> trial;
    try {
      trial = TrialToCompare{file, ReadTrial(file), LoadCompanionLog(ReadingLogPath(PathArg(file)))};
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
    for (const std::string& line : ComparisonTableLines(compared, request.targetM3.has_value(), p)) {
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
