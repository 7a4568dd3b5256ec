#include "cli/sizing_options.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "trial/number_text.h"

namespace vorsant::cli {
namespace {

template <typename Check>
std::optional<double> CheckedNumber(const Options& options, std::string_view name, Check check) {
  const std::optional<std::string> text = options.Value(name);
  if (!text) return std::nullopt;
  const std::optional<double> value = ParseDecimal(*text);
  if (!value) throw UsageError(std::string(name) + " takes a number, not " + *text);
  if (const auto problem = check(*value)) throw UsageError(std::string(name) + ": " + *problem);
  return value;
}

}  // namespace

Presentation PresentationOption(const Options& options) {
  Presentation p;
  if (const auto units = options.Value("--units")) {
    const auto named = UnitSystemNamed(*units);
    if (!named) throw UsageError("--units takes us or metric, not " + *units);
    p.units = *named;
  } else if (const char* env = std::getenv(std::string(kUnitsVariable).c_str()); env && *env) {
    const auto named = UnitSystemNamed(env);
    if (!named) throw UsageError(std::string(kUnitsVariable) + " must be us or metric, not " + env);
    p.units = *named;
  }
  return p;
}

SizingRequest SizingOptions(const Options& options, const Presentation& p) {
  SizingRequest request;
  if (const auto text = options.Value("--volume")) {
    const auto volume = ParseVolume(*text, p);
    if (!volume) throw UsageError("--volume takes a number, not " + *text);
    if (const auto problem = CheckTargetVolume(*volume)) throw UsageError("--volume: " + *problem);
    request.targetM3 = volume->M3();
  }
  request.safety = CheckedNumber(options, "--safety", CheckSafetyFactor).value_or(kDefaultSafetyFactor);
  request.elementArea = CheckedNumber(options, "--element-area", CheckElementArea);
  return request;
}

}  // namespace vorsant::cli
