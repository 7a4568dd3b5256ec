// models FILE.vrs [--volume GAL] [--safety S] [--element-area M2] [--json]:
// the blocking laws and the power model fitted to the trial's points, with
// the production volume and hours of each and, for a target volume, the
// filter area and elements it needs. The trial is analysed afresh on a copy;
// the file is not changed.

#include <functional>
#include <limits>
#include <optional>

#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/trial_io.h"
#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "trial/number_text.h"

namespace vorsant::cli {

namespace {

using Check = std::function<std::optional<std::string>(double)>;

std::optional<double> CheckedOption(const Options& options, std::string_view name, const Check& check) {
  const std::optional<std::string> text = options.Value(name);
  if (!text) return std::nullopt;
  const std::optional<double> value = ParseDecimal(*text);
  if (!value) throw UsageError(std::string(name) + " takes a number, not " + *text);
  if (const auto problem = check(*value)) throw UsageError(std::string(name) + ": " + *problem);
  return value;
}

void Figure(JsonWriter& json, std::string_view key, const std::optional<double>& value) {
  json.Key(key);
  if (value) {
    json.Number(*value);
  } else {
    json.Number(std::numeric_limits<double>::quiet_NaN());  // written as null
  }
}

void Null(JsonWriter& json) {
  json.Number(std::numeric_limits<double>::quiet_NaN());  // written as null
}

void WriteVerdict(JsonWriter& json, const Verdict& v, const SizingRequest& request) {
  json.Key("verdict");
  json.BeginObject();
  json.Key("fit");
  v.fit ? json.String(FitQualityKey(*v.fit)) : Null(json);
  json.Key("no_fouling");
  json.Boolean(v.noFouling);
  json.Key("best");
  v.best ? json.String(LawKey(*v.best)) : Null(json);
  json.Key("plausible");
  json.BeginArray();
  for (FoulingLaw law : v.plausible) json.String(LawKey(law));
  json.EndArray();
  Figure(json, "volume_gal", v.volumeGal);
  Figure(json, "hours", v.hours);
  json.Key("volume_law");
  v.volumeLaw ? json.String(LawKey(*v.volumeLaw)) : Null(json);
  json.Key("volume_range_gal");
  if (v.hasRange) {
    json.BeginArray();
    json.Number(*v.rangeLowGal);
    v.rangeHighGal ? json.Number(*v.rangeHighGal) : Null(json);
    json.EndArray();
  } else {
    Null(json);
  }
  Figure(json, "throughput_ratio", v.throughputRatio);
  json.Key("volume_range_refits_left_out");
  json.Integer(v.refitsLeftOut);
  json.Key("mechanism");
  v.mechanism ? json.String(MechanismKey(*v.mechanism)) : Null(json);
  json.Key("mechanisms");
  json.BeginArray();
  for (Mechanism m : v.mechanisms) json.String(MechanismKey(m));
  json.EndArray();
  Figure(json, "area_m2", v.areaM2);
  json.Key("elements");
  v.elements ? json.Integer(*v.elements) : Null(json);
  const Filterability& f = v.filterability;
  Figure(json, "fi_trial_s", f.trialS);
  json.Key("fi_trial_note");
  f.trialNote ? json.String(*f.trialNote) : Null(json);
  json.Key("fi_trial_standard_conditions");
  json.Boolean(f.trialStandard);
  Figure(json, "fi_standard_s", f.standardS);
  json.Key("fi_blocks_before_400ml");
  json.Boolean(f.blocksBeforeStandard);
  json.Key("fi_band");
  f.band ? json.String(*f.band) : Null(json);
  Figure(json, "vmax_l_m2", f.vmaxLm2);
  json.Key("text");
  json.BeginArray();
  for (const std::string& sentence : VerdictSentences(v, request)) json.String(sentence);
  json.EndArray();
  json.EndObject();
}

void WriteJson(std::ostream& out, const FoulingReport& report, const Verdict& verdict,
               const SizingRequest& request) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("points");
  json.Integer(static_cast<long long>(report.points.w.size()));
  json.Key("rmax");
  json.Number(report.points.rMax);
  json.Key("best");
  if (report.best) {
    json.String(LawKey(*report.best));
  } else {
    json.Number(std::numeric_limits<double>::quiet_NaN());
  }
  WriteVerdict(json, verdict, request);
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
    Figure(json, "capacity_l_m2", fit.capacityLm2);
    Figure(json, "volume_gal", fit.volumeGal);
    Figure(json, "hours", fit.hours);
    Figure(json, "area_m2", fit.areaM2);
    json.Key("elements");
    if (fit.elements) {
      json.Integer(*fit.elements);
    } else {
      json.Number(std::numeric_limits<double>::quiet_NaN());
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  out << "\n";
}

}  // namespace

int RunModels(CommandArgs args, CommandIo& io) {
  const Options options(args, {"--volume", "--safety", "--element-area"}, {"--json"});
  options.ExpectPositional(1,
                           "one trial file: models FILE.vrs [--volume GAL] [--safety S] [--element-area M2]");
  SizingRequest request;
  request.targetGal = CheckedOption(options, "--volume", CheckTargetVolume);
  request.safety = CheckedOption(options, "--safety", CheckSafetyFactor).value_or(kDefaultSafetyFactor);
  request.elementArea = CheckedOption(options, "--element-area", CheckElementArea);

  const TWineRec rec = ReadTrial(options.Positional()[0]);
  const FoulingOutcome outcome = AnalyseFouling(rec, request);
  if (!outcome.report) throw CommandError(outcome.failure);
  const Verdict verdict = MakeVerdict(rec, *outcome.report);
  if (options.Flag("--json")) {
    WriteJson(io.out, *outcome.report, verdict, request);
  } else {
    for (const std::string& line : ModelsTextLines(*outcome.report, verdict, request)) io.out << line << "\n";
  }
  return 0;
}

}  // namespace vorsant::cli
