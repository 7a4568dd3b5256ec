#include "cli/json_figures.h"

#include <string>
#include <utility>

#include "present/quantities.h"

namespace vorsant::cli {

void Figure(JsonWriter& json, std::string_view key, const std::optional<double>& value) {
  json.Key(key);
  value ? json.Number(*value) : json.Null();
}

std::optional<double> Converted(const std::optional<double>& value, double (*convert)(double)) {
  return value ? std::optional<double>(convert(*value)) : std::nullopt;
}

double Hours(double seconds) {
  return seconds / 3600;
}

void Volume(JsonWriter& json, std::string_view stem, const std::optional<double>& m3) {
  Figure(json, std::string(stem) + "_gal", Converted(m3, UsGallons));
  Figure(json, std::string(stem) + "_l", Converted(m3, Litres));
}

void VolumeRanges(JsonWriter& json, const Verdict* verdict) {
  using Convert = double (*)(double);
  for (const auto& [key, convert] : {std::pair<std::string_view, Convert>{"volume_range_gal", UsGallons},
                                     std::pair<std::string_view, Convert>{"volume_range_l", Litres}}) {
    json.Key(key);
    if (!verdict || !verdict->hasRange) {
      json.Null();
      continue;
    }
    json.BeginArray();
    json.Number(convert(*verdict->rangeLowM3));
    verdict->rangeHighM3 ? json.Number(convert(*verdict->rangeHighM3)) : json.Null();
    json.EndArray();
  }
}

void LeftOut(JsonWriter& json, const Verdict* verdict) {
  json.Key("left_out");
  json.BeginArray();
  if (verdict != nullptr) {
    for (const LeftOutReading& r : verdict->leftOut) {
      json.BeginObject();
      json.Key("row");
      json.Integer(static_cast<long long>(r.row));
      json.Key("why");
      json.String(r.why);
      json.EndObject();
    }
  }
  json.EndArray();
}

void ReadingsFitted(JsonWriter& json, const Verdict* verdict) {
  json.Key("readings");
  if (verdict == nullptr) {
    json.Null();
    return;
  }
  const ReadingsSource& src = verdict->source;
  json.BeginObject();
  json.Key("source");
  json.String(src.used ? "readings_file" : "trial");
  json.Key("file");
  src.file.empty() ? json.Null() : json.String(src.file);
  json.Key("count");
  json.Integer(static_cast<long long>(src.fitted));
  json.Key("not_rising");
  json.Integer(static_cast<long long>(src.notRising));
  json.Key("unreadable_lines");
  json.Integer(src.unreadableLines);
  json.Key("file_not_used");
  src.whyNot.empty() ? json.Null() : json.String(src.whyNot);
  json.EndObject();
}

}  // namespace vorsant::cli
