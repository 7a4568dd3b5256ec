#pragma once
// TComPort: the serial-port object through which the program talks to the
// balance. Settings may change at any time (line settings reach an open
// device at once), the device name only while closed. Transfers run on the
// caller's thread; the object starts no thread of its own.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "scale/com_settings.h"
#include "scale/serial_port.h"

namespace vorsant {

// Raised by the port: `ErrorCode` is the operating system's error number,
// or 0 for the object's own errors (closed or open port, short transfer).
class EComError : public std::runtime_error {
 public:
  EComError(const std::string& message, int errorCode) : std::runtime_error(message), code_(errorCode) {}
  int ErrorCode() const { return code_; }

 private:
  int code_;
};

inline constexpr char kClosedPortMessage[] = "Can't perform this operation on a closed port";
inline constexpr char kOpenPortMessage[] = "Can't perform this operation on an open port";
inline constexpr char kTimeoutMessage[] = "Timeout";

class ComDevice;

class TCustomComPort : public SerialPort {
 public:
  TCustomComPort();
  ~TCustomComPort() override;
  TCustomComPort(const TCustomComPort&) = delete;
  TCustomComPort& operator=(const TCustomComPort&) = delete;

  const std::string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::string& name);

  TBaudRate BaudRate() const { return line_.BaudRate; }
  void SetBaudRate(TBaudRate value);
  std::uint32_t CustomBaudRate() const { return line_.CustomBaudRate; }
  void SetCustomBaudRate(std::uint32_t value);
  TDataBits DataBits() const { return line_.DataBits; }
  void SetDataBits(TDataBits value);
  TParity Parity() const { return line_.Parity; }
  void SetParity(TParity value);
  TStopBits StopBits() const { return line_.StopBits; }
  void SetStopBits(TStopBits value);
  const TOptions& Options() const { return line_.Options; }
  void SetOptions(const TOptions& value);
  const TComFlowControl& FlowControl() const { return line_.FlowControl; }
  void SetFlowControl(const TComFlowControl& value);
  const TComCharacters& Characters() const { return line_.Characters; }
  void SetCharacters(const TComCharacters& value);
  // Buffer sizes reach the driver at the next open.
  const TComBufferSizes& BufferSizes() const { return bufferSizes_; }
  void SetBufferSizes(const TComBufferSizes& value) { bufferSizes_ = value; }
  const TComTimeouts& Timeouts() const { return timeouts_; }
  void SetTimeouts(const TComTimeouts& value);

  bool Active() const override { return device_ != nullptr; }
  void SetActive(bool value) override;
  void Open();
  // Completes a pending write (so the last bytes reach the driver), abandons
  // a pending read, and releases the device.
  void Close();

  // With `wait` the call returns once the bytes are written and gives their
  // number. Without it the bytes are copied first, so `buffer` may be reused
  // at once, and completion is checked at the next write.
  std::size_t Write(const void* buffer, std::size_t count, bool wait);
  // With `wait` the call returns the bytes read ("Timeout" when fewer than
  // `count` arrived within the time limits). Without it the read goes on in
  // the background into `buffer`, which must then stay valid until the next
  // Read or Close.
  std::size_t Read(void* buffer, std::size_t count, bool wait);

  void WriteAnsiChar(char c) override;
  char ReadAnsiChar() override;
  std::optional<char> ReadAnsiCharWithin(std::chrono::milliseconds limit) override;
  // Reads up to and including `terminator`, however long that takes.
  std::string ReadAnsiUntil(char terminator);
  std::string ReadAnsiLine() { return ReadAnsiUntil('\r'); }

 private:
  void RequireOpen() const;
  void CompletePendingWrite();
  void CompletePendingRead();
  void LineSettingsChanged();

  std::string deviceName_ = "COM1";
  ComLineSettings line_;
  TComBufferSizes bufferSizes_;
  TComTimeouts timeouts_;

  std::unique_ptr<ComDevice> device_;
  std::vector<std::uint8_t> writeBuffer_;  // holds the bytes of a write that was not waited for
  std::optional<std::size_t> pendingWrite_;
  std::optional<std::size_t> pendingRead_;
};

class TComPort : public TCustomComPort {};

}  // namespace vorsant
