#pragma once
// The balance's wire format. Commands (bytes as sent):
//   tare            27 'T' 13   (ESC T CR), no reply
//   weight request  27 'P' 13   (ESC P CR), one reply line ended by CR
// Reply line, 1-based positions:
//   1      sign: '-' for a negative weight, any other byte means positive
//   2..10  the weight in grams as decimal text, right-aligned in 9 bytes
//   11..   unit, status and the CR: ignored

#include <array>
#include <string>
#include <string_view>

namespace vorsant {

inline constexpr std::array<char, 3> kTareCommand = {27, 'T', 13};
inline constexpr std::array<char, 3> kWeightRequest = {27, 'P', 13};
inline constexpr char kReplyEnd = 13;

struct TWeightReading {
  std::string WeightStr;  // positions 2..10 of the reply
  double WeightVal = 0;   // signed weight, g; meaningless when Error
  bool Error = false;     // positions 2..10 are not a number
};

// Reads a reply as received (the CR included, or cut short).
TWeightReading ParseWeightReply(std::string_view reply);

}  // namespace vorsant
