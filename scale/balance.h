#pragma once
// One exchange with the balance: open the port, send, (read), close. The
// port is never held open between exchanges, and opening discards anything
// left in the driver's buffers, so a late reply is never taken for a new one.

#include <chrono>

#include "scale/balance_protocol.h"
#include "scale/serial_port.h"

namespace vorsant {

// How long a weight request waits for its whole reply line. A balance that
// is switched off, unplugged or silent must not hang the program; an
// expired wait is an unreadable reading.
inline constexpr std::chrono::milliseconds kReplyWait{3000};
// A reply longer than this is not a balance's line; it counts as unreadable.
inline constexpr std::size_t kMaxReplyLength = 256;

// Zeroes the balance: ESC T CR, no reply read.
void SendTare(SerialPort& port);

// Takes one reading. Errors of the port itself (it cannot be opened) pass
// through as EComError; a reply that is no number, missing or too slow
// gives Error true.
TWeightReading GetWeight(SerialPort& port, std::chrono::milliseconds replyWait = kReplyWait);

}  // namespace vorsant
