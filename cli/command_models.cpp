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

void WriteJson(std::ostream& out, const FoulingReport& report) {
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
  if (options.Flag("--json")) {
    WriteJson(io.out, *outcome.report);
  } else {
    for (const std::string& line : FoulingTableLines(*outcome.report)) io.out << line << "\n";
  }
  return 0;
}

}  // namespace vorsant::cli
