#include "scale/balance_exchange.h"

#include <cstdio>

#include "scale/balance.h"
#include "scale/balance_port.h"

namespace vorsant {

namespace {

using SteadyClock = std::chrono::steady_clock;

void Send(SerialPort& port, std::string_view bytes) {
  for (char c : bytes) port.WriteAnsiChar(c);
}

std::chrono::milliseconds Left(SteadyClock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
}

// One line up to the profile's end byte; nullopt when none came by the
// deadline or the line grew past any balance's.
std::optional<std::string> ReadLine(SerialPort& port, char end, SteadyClock::time_point deadline) {
  std::string line;
  while (line.size() < kMaxReplyLength) {
    const auto left = Left(deadline);
    if (left.count() <= 0) return std::nullopt;
    const std::optional<char> c = port.ReadAnsiCharWithin(left);
    if (!c) return std::nullopt;
    line.push_back(*c);
    if (*c == end) return line;
  }
  return std::nullopt;
}

BalanceAnswer Settled(BalanceReading reading) {
  BalanceAnswer answer{std::move(reading), {}};
  answer.Problem = ReadingProblem(answer.Reading);
  return answer;
}

BalanceAnswer WeighOriginal(SerialPort& port, std::chrono::milliseconds wait) {
  const TWeightReading reading = GetWeight(port, wait);
  BalanceReading r;
  if (reading.Error) {
    // Silence and a bare line end look alike here: both leave no weight text.
    r.Detail = reading.WeightStr;
    if (r.Detail.empty()) return BalanceAnswer{r, "the balance did not answer"};
  } else {
    r.State = ReadingState::Stable;
    r.Grams = reading.WeightVal;
    r.Unit = "g";
  }
  return Settled(r);
}

// Whether a weighing waits for the balance to settle.
enum class Settling { Wait, TakeMoving };

BalanceAnswer Weigh(SerialPort& port, const BalanceProfile& profile, std::chrono::milliseconds stableWait,
                    Settling settling) {
  if (profile.Line.Flow == Handshake::AsPort) return WeighOriginal(port, std::min(stableWait, kReplyWait));
  const std::string_view command =
      settling == Settling::TakeMoving ? profile.ImmediateCommand : profile.WeightCommand;
  const SteadyClock::time_point deadline = SteadyClock::now() + stableWait;
  port.SetActive(true);
  PortCloser closer(port);
  std::optional<BalanceReading> moving;
  bool answered = false;
  while (Left(deadline).count() > 0) {
    if (!command.empty()) Send(port, command);
    // A balance that asked to wait gets a new request; one that said
    // nothing within a reply's time is silent.
    const auto lineDeadline = std::min(deadline, SteadyClock::now() + kReplyWait);
    const std::optional<std::string> line = ReadLine(port, profile.ReplyEnd, lineDeadline);
    if (!line) break;
    answered = true;
    BalanceReading reading = profile.Parse(*line);
    if (reading.State == ReadingState::Unstable && settling == Settling::TakeMoving)
      return Settled(std::move(reading));
    if (reading.State == ReadingState::Unstable || reading.State == ReadingState::Busy) {
      moving = std::move(reading);
      continue;
    }
    // A continuous balance's first line may be the tail of one sent before
    // the port opened.
    if (profile.WeightCommand.empty() && reading.State == ReadingState::Unreadable) continue;
    return Settled(std::move(reading));
  }
  BalanceAnswer answer;
  if (moving) {
    answer.Reading = *moving;
    const long seconds = static_cast<long>((stableWait.count() + 999) / 1000);
    answer.Problem = "the balance gave no stable weight within " + std::to_string(seconds) + " s";
  } else {
    answer.Problem = answered ? "the balance's reply could not be read" : "the balance did not answer";
  }
  return answer;
}

}  // namespace

void ApplyBalanceLine(TCustomComPort& port, const BalanceProfile& profile) {
  if (profile.Line.Flow == Handshake::AsPort) {
    // Back to the port object's own flow control and options, which another
    // profile applied before may have changed.
    const ComLineSettings defaults;
    port.SetFlowControl(defaults.FlowControl);
    port.SetOptions(defaults.Options);
    SetBalanceLineSettings(port);
    return;
  }
  port.SetBaudRate(profile.Line.BaudRate);
  port.SetDataBits(profile.Line.DataBits);
  port.SetParity(profile.Line.Parity);
  port.SetStopBits(profile.Line.StopBits);
  TComFlowControl flow;
  flow.DTRControl = TDTRFlowControl::fcEnable;
  flow.RTSControl = profile.Line.Flow == Handshake::RtsCts ? TRTSFlowControl::fcHandshake : TRTSFlowControl::fcEnable;
  flow.XOnXOffControl = profile.Line.Flow == Handshake::XonXoff ? TXOnXOffControl::fcInOut : TXOnXOffControl::fcNone;
  port.SetFlowControl(flow);
  TOptions options = port.Options();
  if (profile.Line.Flow == Handshake::RtsCts) {
    options.insert(TOption::opOutputCTSFlow);
  } else {
    options.erase(TOption::opOutputCTSFlow);
  }
  port.SetOptions(options);
}

void TareWithProfile(SerialPort& port, const BalanceProfile& profile) {
  if (profile.Line.Flow == Handshake::AsPort) {
    SendTare(port);
    return;
  }
  port.SetActive(true);
  PortCloser closer(port);
  Send(port, profile.TareCommand);
}

BalanceAnswer WeighWithProfile(SerialPort& port, const BalanceProfile& profile, std::chrono::milliseconds stableWait) {
  return Weigh(port, profile, stableWait, Settling::Wait);
}

BalanceAnswer WeighAsItIs(SerialPort& port, const BalanceProfile& profile) {
  return Weigh(port, profile, kReplyWait, Settling::TakeMoving);
}

std::optional<FoundBalance> FindBalance(TCustomComPort& port, std::chrono::milliseconds perProfile) {
  for (const BalanceProfile& profile : BalanceProfiles()) {
    ApplyBalanceLine(port, profile);
    const BalanceAnswer answer = WeighWithProfile(port, profile, perProfile);
    // Anything the profile's parser reads as the balance's own answer counts,
    // an overload or an unstable weight too; silence and noise do not.
    if (answer.Reading.State != ReadingState::Unreadable) return FoundBalance{&profile, answer.Reading};
  }
  return std::nullopt;
}

std::string FoundBalanceText(const std::string& portName, const FoundBalance& found) {
  std::string text = "a balance on " + portName + " at " +
                     std::to_string(BaudRateValue(found.Profile->Line.BaudRate, 0)) + " baud, " +
                     std::string(found.Profile->Description);
  const BalanceReading& r = found.Reading;
  if (r.State == ReadingState::Stable || r.State == ReadingState::Unstable) {
    char grams[64];
    std::snprintf(grams, sizeof grams, "%.3f g", r.Grams);
    text += std::string(", ") + grams + (r.State == ReadingState::Stable ? ", stable" : ", not yet stable");
  } else {
    text += ", " + ReadingProblem(r);
  }
  return text;
}

}  // namespace vorsant
