// models FILE.vrs [--readings FILE] [--volume V] [--safety S] [--element-area M2] [--units us|metric]
// [--json]: the blocking laws and the power model fitted to the trial's
// points (or to the collection's every reading: NAME.readings.csv beside the
// trial, or the --readings file, when they match the trial), with
// the production volume and hours of each and, for a target volume, the
// filter area and elements it needs. The trial is analysed afresh on a copy;
// the file is not changed. The text is in the chosen units; the JSON keeps
// its keys' units whatever they are, with litres beside every volume.

#include <optional>

#include "cli/command.h"
#include "cli/json_figures.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/sizing_options.h"
#include "cli/trial_io.h"
#include "fouling/companion_readings.h"
#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "present/verdict_text.h"
#include "scale/reading_log.h"
#include "trial/analysis.h"

namespace vorsant::cli {

namespace {

constexpr std::string_view kUsage =
    "models FILE.vrs [--readings FILE] [--volume V] [--safety S] [--element-area M2] [--units us|metric] "
    "[--json]";

void WriteVerdict(JsonWriter& json, const Verdict& v, const SizingRequest& request, const Presentation& p) {
  json.Key("verdict");
  json.BeginObject();
  json.Key("fit");
  v.fit ? json.String(FitQualityKey(*v.fit)) : json.Null();
  json.Key("no_fouling");
  json.Boolean(v.noFouling);
  json.Key("best");
  v.best ? json.String(LawKey(*v.best)) : json.Null();
  json.Key("plausible");
  json.BeginArray();
  for (FoulingLaw law : v.plausible) json.String(LawKey(law));
  json.EndArray();
  Volume(json, "volume", v.volumeM3);
  Figure(json, "hours", Converted(v.seconds, Hours));
  json.Key("volume_law");
  v.volumeLaw ? json.String(LawKey(*v.volumeLaw)) : json.Null();
  VolumeRanges(json, &v);
  Figure(json, "throughput_ratio", v.throughputRatio);
  json.Key("volume_range_refits_left_out");
  json.Integer(v.refitsLeftOut);
  json.Key("mechanism");
  v.mechanism ? json.String(MechanismKey(*v.mechanism)) : json.Null();
  json.Key("mechanisms");
  json.BeginArray();
  for (Mechanism m : v.mechanisms) json.String(MechanismKey(m));
  json.EndArray();
  Figure(json, "area_m2", v.areaM2);
  json.Key("elements");
  v.elements ? json.Integer(*v.elements) : json.Null();
  const Filterability& f = v.filterability;
  Figure(json, "fi_trial_s", f.trialS);
  json.Key("fi_trial_note");
  f.trialGap ? json.String(IndexGapText(*f.trialGap)) : json.Null();
  json.Key("fi_trial_standard_conditions");
  json.Boolean(f.trialStandard);
  Figure(json, "fi_standard_s", f.standardS);
  json.Key("fi_blocks_before_400ml");
  json.Boolean(f.blocksBeforeStandard);
  json.Key("fi_band");
  f.band ? json.String(*f.band) : json.Null();
  Figure(json, "vmax_l_m2", Converted(f.vmax, LitresPerM2));
  LeftOut(json, &v);
  ReadingsFitted(json, &v);
  Volume(json, "proven_volume", v.provenM3);
  json.Key("law_flips");
  json.BeginArray();
  for (const LawFlip& f : v.flips) {
    json.BeginObject();
    json.Key("without_row");
    json.Integer(static_cast<long long>(f.row));
    json.Key("without_seconds");
    if (f.fromSeconds && f.toSeconds) {
      json.BeginArray();
      json.Number(*f.fromSeconds);
      json.Number(*f.toSeconds);
      json.EndArray();
    } else {
      json.Null();
    }
    json.Key("law");
    json.String(LawKey(f.law));
    Volume(json, "volume", f.incalculable ? std::nullopt : f.volumeM3);
    json.EndObject();
  }
  json.EndArray();
  json.Key("candidates");
  json.BeginArray();
  for (const CandidateLaw& c : v.candidates) {
    json.BeginObject();
    json.Key("law");
    json.String(LawKey(c.law));
    Volume(json, "volume", c.incalculable ? std::nullopt : c.volumeM3);
    Figure(json, "area_m2", c.areaM2);
    json.Key("elements");
    c.elements ? json.Integer(*c.elements) : json.Null();
    json.EndObject();
  }
  json.EndArray();
  Figure(json, "decisive_volume_ml", v.decisiveMl);
  Figure(json, "decisive_minutes", v.decisiveMinutes);
  json.Key("text");
  json.BeginArray();
  for (const std::string& sentence : VerdictSentences(v, request, p)) json.String(sentence);
  json.EndArray();
  json.EndObject();
}

void WriteJson(std::ostream& out, const FoulingReport& report, const Verdict& verdict,
               const SizingRequest& request, const Presentation& p) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("points");
  json.Integer(static_cast<long long>(report.points.w.size()));
  json.Key("rmax");
  json.Number(report.points.rMax);
  json.Key("best");
  report.best ? json.String(LawKey(*report.best)) : json.Null();
  WriteVerdict(json, verdict, request, p);
  json.Key("models");
  json.BeginArray();
  for (const ModelFit& fit : report.models) {
    json.BeginObject();
    json.Key("model");
    json.String(LawKey(fit.law));
    Figure(json, "rm", fit.rm);
    Figure(json, "k", fit.k);
    Figure(json, "r0", fit.r0);
    Figure(json, "a", fit.a);
    Figure(json, "n", fit.n);
    Figure(json, "r2", fit.r2);
    Figure(json, "r2_adjusted", fit.r2Adjusted);
    Figure(json, "capacity_l_m2", Converted(fit.capacity, LitresPerM2));
    Volume(json, "volume", fit.volumeM3);
    Figure(json, "hours", Converted(fit.seconds, Hours));
    Figure(json, "area_m2", fit.areaM2);
    json.Key("elements");
    fit.elements ? json.Integer(*fit.elements) : json.Null();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  out << "\n";
}

}  // namespace

int RunModels(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--readings", "--volume", "--safety", "--element-area", "--units"}, {"--json"});
  options.ExpectPositional(1, "one trial file: " + std::string(kUsage));
  const Presentation p = PresentationOption(options);
  const SizingRequest request = SizingOptions(options, p);

  const std::string& file = options.Positional()[0];
  const TWineRec rec = ReadTrial(file);
  // The file asked for must be there and readable; the one beside the
  // trial is used when it is there.
  std::optional<CompanionLog> log;
  if (const auto given = options.Value("--readings")) {
    log = LoadCompanionLog(PathArg(*given));
    if (!log) throw CommandError("vorsant-cli: the readings file " + *given + " does not exist");
    if (!log->error.empty()) throw CommandError("vorsant-cli: the readings file " + *given + " cannot be read");
  } else {
    log = LoadCompanionLog(ReadingLogPath(PathArg(file)));
  }
  const FoulingOutcome outcome = AnalyseFouling(rec, request, log ? &*log : nullptr);
  if (!outcome.report) {
    // The program's message, then in this command's words what is missing.
    std::string message = outcome.failure;
    if (outcome.failure == kInsufficientDataWarning) {
      const std::size_t missing = kLeastFittedPoints - std::min(outcome.readingsFitted, kLeastFittedPoints);
      message += " " + std::to_string(outcome.readingsFitted) + " fitted " +
                 (outcome.readingsFitted == 1 ? "interval" : "intervals") + "; a fouling law needs " +
                 std::to_string(kLeastFittedPoints) + ", so " + std::to_string(missing) + " more " +
                 (missing == 1 ? "reading is" : "readings are") + " needed";
      for (const LeftOutReading& r : outcome.leftOut)
        message += "; reading " + std::to_string(r.row) + " " + r.why + " and was left out";
      message += ".";
    }
    throw CommandError(message);
  }
  const Verdict verdict = MakeVerdict(rec, *outcome.report);
  if (options.Flag("--json")) {
    WriteJson(io.out, *outcome.report, verdict, request, p);
  } else {
    for (const std::string& line : ModelsTextLines(*outcome.report, verdict, request, p)) io.out << line << "\n";
  }
  return 0;
}

}  // namespace vorsant::cli
