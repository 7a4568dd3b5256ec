#include "trial/data_input.h"

#include "trial/canonical_number.h"
#include "trial/number_text.h"

namespace vorsant {

namespace {

bool IsBlanks(const std::string& text, std::size_t minCount, std::size_t maxCount) {
  return text.size() >= minCount && text.size() <= maxCount &&
         text.find_first_not_of(' ') == std::string::npos;
}

// Reads and bounds-checks a box; nullopt (with Error set) when it fails.
std::optional<double> CheckedValue(const std::string& text, bool& Error, double lower, double upper) {
  const std::optional<double> value = ParseDecimal(text);
  if (!value || *value < lower || *value > upper) {
    Error = true;
    return std::nullopt;
  }
  return value;
}

}  // namespace

namespace data_input {

void Format(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper) {
  Error = false;
  if (IsBlanks(text, 1, 6)) text.clear();
  if (text.empty()) return;
  if (const auto value = CheckedValue(text, Error, lower, upper))
    text = CanonicalNumber(*value, Decimal, StrLength);
}

void FormatSec(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper) {
  Error = false;
  if (IsBlanks(text, 1, 2)) text.clear();
  if (text.empty()) return;
  if (const auto value = CheckedValue(text, Error, lower, upper)) {
    text = Fixed(*value, StrLength, Decimal);
    if (text.size() == 2 && text[0] == ' ') text[0] = '0';
  }
}

}  // namespace data_input

std::optional<DataFailure> DataRangeCheck(DataInput& input) {
  bool error = false;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    data_input::Format(input.V[i], error, 1, 6, 0.1, 100000);
    if (error)
      return DataFailure{DataColumn::Volume, static_cast<int>(i + 1), std::string(kDataEntryErrorMessage)};
  }
  for (std::size_t i = 0; i < kPointCount; ++i) {
    data_input::Format(input.Min[i], error, 0, 3, 0, 999);
    if (error)
      return DataFailure{DataColumn::Minutes, static_cast<int>(i + 1), std::string(kDataEntryErrorMessage)};
  }
  for (std::size_t i = 0; i < kPointCount; ++i) {
    data_input::FormatSec(input.Sec[i], error, 0, 2, 0, 59);
    if (error)
      return DataFailure{DataColumn::Seconds, static_cast<int>(i + 1), std::string(kDataEntryErrorMessage)};
  }
  return std::nullopt;
}

DataInput LoadData(const TData& data) {
  DataInput input;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    input.V[i] = data.V[i].Str();
    input.Min[i] = data.M[i].Str();
    input.Sec[i] = data.Sc[i].Str();
  }
  if (data.MinSkip <= kMaxSkipChoice) input.Skip = data.MinSkip;
  return input;
}

void ApplyData(const DataInput& input, TWineClass& wine) {
  TData& data = wine.WineRec.Data;
  if (input.Skip && *input.Skip >= 0 && *input.Skip <= kMaxSkipChoice)
    data.MinSkip = static_cast<std::uint16_t>(*input.Skip);
  for (std::size_t i = 0; i < kPointCount; ++i) {
    data.V[i].Set(input.V[i]);
    data.M[i].Set(input.Min[i]);
    data.Sc[i].Set(input.Sec[i]);
  }
  wine.Modified = true;
}

}  // namespace vorsant
