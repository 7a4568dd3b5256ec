#pragma once
// The platform layer under TComPort: one open device with at most one write
// and one read in flight. com_port_win.cpp and com_port_posix.cpp each
// implement it; TComPort keeps the rules that are the same everywhere.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "scale/com_settings.h"

namespace vorsant {

// Writes are always bounded, so a line held in XOFF or by stalled hardware
// flow control cannot keep the program waiting inside a write. When the
// settings give no write limit, the port's own applies: enough for a byte
// of the longest frame (12 bits) at the slowest speed, 50 baud.
inline constexpr std::uint32_t kOwnWriteMultiplierMs = 250;
inline constexpr std::uint32_t kOwnWriteConstantMs = 1000;

// The time limits the device works with: `configured`, with the port's own
// write limit when it sets none.
TComTimeouts DeviceTimeouts(const TComTimeouts& configured);
// Multiplier x count + Constant of the write limit in `timeouts`.
std::chrono::milliseconds WriteLimit(const TComTimeouts& timeouts, std::size_t count);

// Why a device refused the line set-up.
enum class LineSetupRefusal {
  InvalidSetting,  // a value the device cannot take
  NotSupported,    // a control the device does not have (modem-control lines)
  Other
};
enum class RefusalAction {
  Raise,              // the port's error, with the system's text
  KeepDeviceFraming,  // set everything again but with the device's own framing
  Accept              // the line is set; only the modem-control step failed
};
// A real port's refusal is always raised: running on at a framing the
// balance does not speak would only fail later with a misleading reading
// error. A pseudo-terminal standing in for a COM port has no wire to frame
// and no modem-control lines: there a refused framing at a speed it took is
// set again without the framing, and a missing control is accepted.
// `speedTaken` is false for a refusal of that second attempt.
RefusalAction OnRefusedLineSetup(LineSetupRefusal why, bool pseudoTerminal, bool speedTaken);

// Whether a Unix device path names a pseudo-terminal.
bool IsPseudoTerminalPath(std::string_view path);

class ComDevice {
 public:
  // Completes a started write (the bytes are handed to the driver) and
  // abandons a started read before the device is released.
  virtual ~ComDevice() = default;

  virtual void ApplyLineSettings(const ComLineSettings& settings) = 0;
  virtual void ApplyTimeouts(const TComTimeouts& timeouts) = 0;

  // `data` must stay valid until FinishWrite returns.
  virtual void StartWrite(const std::uint8_t* data, std::size_t count) = 0;
  // Waits for the started write; the number of bytes written.
  virtual std::size_t FinishWrite() = 0;

  // `data` must stay valid until FinishRead returns.
  virtual void StartRead(std::uint8_t* data, std::size_t count) = 0;
  // Waits for the started read as the time limits allow, or at most `limit`
  // when one is given; nullopt when the limit passed first, and the read is
  // then abandoned (nothing is written into `data` afterwards).
  virtual std::optional<std::size_t> FinishRead(std::optional<std::chrono::milliseconds> limit) = 0;

  virtual void ClearLineErrors() = 0;
};

// The open steps: open the named device for exclusive reading and writing,
// discard what waits to be read, size the driver buffers, apply the line
// settings and the time limits, clear the event mask. Throws EComError with
// the system's error number; nothing stays acquired after a failure.
std::unique_ptr<ComDevice> OpenComDevice(const std::string& name, const ComLineSettings& settings,
                                         const TComBufferSizes& buffers, const TComTimeouts& timeouts);

}  // namespace vorsant
