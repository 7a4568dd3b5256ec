#include "scale/balance.h"

#include <optional>
#include <string>

namespace vorsant {

namespace {

void SendCommand(SerialPort& port, const std::array<char, 3>& command) {
  for (char c : command) port.WriteAnsiChar(c);
}

}  // namespace

void SendTare(SerialPort& port) {
  port.SetActive(true);
  PortCloser closer(port);
  SendCommand(port, kTareCommand);
}

TWeightReading GetWeight(SerialPort& port, std::chrono::milliseconds replyWait) {
  using SteadyClock = std::chrono::steady_clock;
  std::string reply;
  bool complete = false;
  {
    port.SetActive(true);
    PortCloser closer(port);
    SendCommand(port, kWeightRequest);
    const SteadyClock::time_point deadline = SteadyClock::now() + replyWait;
    while (reply.size() < kMaxReplyLength) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
      if (left.count() <= 0) break;
      const std::optional<char> c = port.ReadAnsiCharWithin(left);
      if (!c) break;
      reply.push_back(*c);
      if (*c == kReplyEnd) {
        complete = true;
        break;
      }
    }
  }
  TWeightReading reading = ParseWeightReply(reply);
  if (!complete) reading.Error = true;
  return reading;
}

}  // namespace vorsant
