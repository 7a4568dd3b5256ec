#pragma once
// Exchanges with a balance of any profile: set its line, tare it, weigh
// (waiting a bounded time for a stable weight), and find which profile a
// port's balance speaks. The original balance's exchanges are balance.h's,
// unchanged; the others open the port for one exchange the same way, so a
// late reply is never taken for a new one.

#include <chrono>
#include <optional>
#include <string>

#include "scale/balance_profile.h"
#include "scale/com_port.h"
#include "scale/serial_port.h"

namespace vorsant {

// How long a weighing waits for the balance to settle before it says so.
inline constexpr std::chrono::milliseconds kStableWait{5000};
// How long detection gives each profile to answer.
inline constexpr std::chrono::milliseconds kDetectWait{1500};

// A weighing's outcome: a stable weight (Problem empty), or what the user
// is told instead.
struct BalanceAnswer {
  BalanceReading Reading;
  std::string Problem;
};

void ApplyBalanceLine(TCustomComPort& port, const BalanceProfile& profile);

// Sends the profile's tare command; a reply, where the command set gives
// one, is left unread.
void TareWithProfile(SerialPort& port, const BalanceProfile& profile);

BalanceAnswer WeighWithProfile(SerialPort& port, const BalanceProfile& profile,
                               std::chrono::milliseconds stableWait = kStableWait);
// The weight at once, moving or not (the profile's immediate command): a
// collection weighs filtrate as it flows, which no balance calls stable,
// and each reading's time is its point's. A busy balance is asked again
// for at most a reply's wait.
BalanceAnswer WeighAsItIs(SerialPort& port, const BalanceProfile& profile);

struct FoundBalance {
  const BalanceProfile* Profile = nullptr;
  BalanceReading Reading;
};

// Tries each profile on `port` (its device name already set), each within
// `perProfile`, and stops at the first whose balance answers. Port errors
// (no such device) pass through as EComError.
std::optional<FoundBalance> FindBalance(TCustomComPort& port,
                                        std::chrono::milliseconds perProfile = kDetectWait);

// "a balance on COM12 at 9600 baud, standard interface commands, 0.000 g, stable"
std::string FoundBalanceText(const std::string& portName, const FoundBalance& found);

}  // namespace vorsant
