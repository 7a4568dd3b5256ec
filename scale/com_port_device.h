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

#include "scale/com_settings.h"

namespace vorsant {

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
