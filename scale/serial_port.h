#pragma once
// The serial line as the balance exchange sees it: opened for one exchange,
// a few single-byte writes and reads, closed again. TComPort implements it
// on the real device; tests put a scripted balance behind it.

#include <chrono>
#include <optional>

namespace vorsant {

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual bool Active() const = 0;
  // Opens or closes when the value differs from the current state.
  virtual void SetActive(bool value) = 0;

  // Writes one byte without waiting for it to leave; the next write waits.
  virtual void WriteAnsiChar(char c) = 0;
  // Reads exactly one byte, waiting as the port's time limits allow.
  virtual char ReadAnsiChar() = 0;
  // Reads one byte, waiting at most `limit`; nullopt when none came in time.
  virtual std::optional<char> ReadAnsiCharWithin(std::chrono::milliseconds limit) = 0;
};

// Closes the port when it goes out of scope, whatever ended the exchange.
class PortCloser {
 public:
  explicit PortCloser(SerialPort& port) : port_(port) {}
  ~PortCloser() {
    try {
      port_.SetActive(false);
    } catch (...) {
      // Closing releases handles only; a failure here must not replace the
      // error that is already on its way out.
    }
  }
  PortCloser(const PortCloser&) = delete;
  PortCloser& operator=(const PortCloser&) = delete;

 private:
  SerialPort& port_;
};

}  // namespace vorsant
