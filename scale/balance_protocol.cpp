#include "scale/balance_protocol.h"

#include <optional>

#include "trial/number_text.h"

namespace vorsant {

TWeightReading ParseWeightReply(std::string_view reply) {
  TWeightReading reading;
  const bool negative = !reply.empty() && reply.front() == '-';
  if (reply.size() > 1) reading.WeightStr = std::string(reply.substr(1, 9));
  // A trailing blank, a unit letter or the CR inside 2..10 make it no number.
  const std::optional<double> value = ParseDecimal(reading.WeightStr);
  reading.Error = !value.has_value();
  if (value) reading.WeightVal = negative ? -*value : *value;
  return reading;
}

}  // namespace vorsant
