#include "scale/density_check.h"

#include "trial/number_text.h"

namespace vorsant {

std::optional<std::string> RangeCheck(std::string_view densityText) {
  const std::optional<double> value = ParseDecimal(densityText);
  if (!value || *value < kMinDensity || *value > kMaxDensity) return std::nullopt;
  constexpr std::size_t kStrLength = 6;
  constexpr int kDecimal = 4;
  std::string text = Fixed(*value, static_cast<int>(kStrLength), kDecimal);
  if (text.size() > kStrLength) text.resize(kStrLength);
  if (!text.empty() && text.back() == '.') {
    text.pop_back();
    text.insert(0, 1, ' ');
  }
  return text;
}

}  // namespace vorsant
