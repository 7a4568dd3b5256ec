#pragma once
// The figures models and compare write into their JSON: a number or null,
// converted from the models' SI, and a volume with its twin in litres.

#include <optional>
#include <string_view>

#include "cli/json_writer.h"
#include "fouling/verdict.h"

namespace vorsant::cli {

// `key` with the value, or null without one.
void Figure(JsonWriter& json, std::string_view key, const std::optional<double>& value);
std::optional<double> Converted(const std::optional<double>& value, double (*convert)(double));
double Hours(double seconds);

// STEM_gal in US gallons and STEM_l in litres, of a volume in m3.
void Volume(JsonWriter& json, std::string_view stem, const std::optional<double>& m3);

// volume_range_gal and volume_range_l: [low, high] (high null when open),
// or null where `verdict` has no range or there is no verdict.
void VolumeRanges(JsonWriter& json, const Verdict* verdict);

// left_out: the readings the models left out, each {row, why}; an empty
// list without a verdict.
void LeftOut(JsonWriter& json, const Verdict* verdict);

// readings: what the models were fitted on, {source ("trial" or
// "readings_file"), file (the companion file's name or null), count,
// not_rising, unreadable_lines, file_not_used (why, or null)}; null without
// a verdict.
void ReadingsFitted(JsonWriter& json, const Verdict* verdict);

}  // namespace vorsant::cli
