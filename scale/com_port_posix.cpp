// TComPort on a POSIX terminal device (a serial adapter or a pseudo-terminal).
// The device is opened non-blocking and every wait is a poll, so the Windows
// meaning of the time limits can be kept: all zero waits for every byte.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <utility>

#include "scale/com_port.h"
#include "scale/com_port_device.h"

namespace vorsant {

namespace {

using Clock = std::chrono::steady_clock;

// Longest wait at closing for written bytes to leave (a device held back by
// flow control must not hang the program).
constexpr std::chrono::milliseconds kDrainLimit{2000};

[[noreturn]] void RaiseSystemError(int code) {
  errno = 0;
  throw EComError(std::strerror(code), code);
}

struct BaudEntry {
  std::uint32_t bits;
  speed_t speed;
};

constexpr std::array<BaudEntry, 19> kBauds = {{{0, B0},
                                               {50, B50},
                                               {75, B75},
                                               {110, B110},
                                               {134, B134},
                                               {150, B150},
                                               {200, B200},
                                               {300, B300},
                                               {600, B600},
                                               {1200, B1200},
                                               {1800, B1800},
                                               {2400, B2400},
                                               {4800, B4800},
                                               {9600, B9600},
                                               {19200, B19200},
                                               {38400, B38400},
                                               {57600, B57600},
                                               {115200, B115200},
                                               {230400, B230400}}};

std::uint32_t BitsOf(speed_t speed) {
  for (const BaudEntry& e : kBauds) {
    if (e.speed == speed) return e.bits;
  }
  return 0;
}

DeviceLineState FromTermios(const termios& t) {
  DeviceLineState s;
  s.BaudRate = BitsOf(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5:
      s.ByteSize = 5;
      break;
    case CS6:
      s.ByteSize = 6;
      break;
    case CS7:
      s.ByteSize = 7;
      break;
    default:
      s.ByteSize = 8;
      break;
  }
  if ((t.c_cflag & PARENB) == 0) {
    s.Parity = 0;
  } else if ((t.c_cflag & CMSPAR) != 0) {
    s.Parity = (t.c_cflag & PARODD) != 0 ? 3 : 4;
  } else {
    s.Parity = (t.c_cflag & PARODD) != 0 ? 1 : 2;
  }
  s.StopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 0;
  s.Binary = (t.c_lflag & ICANON) == 0;
  s.CheckParity = (t.c_iflag & INPCK) != 0;
  s.OutxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
  s.OutX = (t.c_iflag & IXON) != 0;
  s.InX = (t.c_iflag & IXOFF) != 0;
  s.XonChar = t.c_cc[VSTART];
  s.XoffChar = t.c_cc[VSTOP];
  return s;
}

// Terminal devices have no equivalent for DSR flow, continue-on-XOFF,
// error-character replacement, null stripping, abort-on-error, the XON/XOFF
// limits and the error, end-of-file and event characters; those stay unset.
void ToTermios(const DeviceLineState& s, termios& t) {
  bool known = false;
  for (const BaudEntry& e : kBauds) {
    if (e.bits == s.BaudRate) {
      cfsetispeed(&t, e.speed);
      cfsetospeed(&t, e.speed);
      known = true;
    }
  }
  if (!known) RaiseSystemError(EINVAL);

  tcflag_t size = CS8;
  switch (s.ByteSize) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      RaiseSystemError(EINVAL);
  }
  if (s.StopBits == 1 || s.Parity > 4) RaiseSystemError(EINVAL);

  // Binary: no line editing, echo, signals or character translation.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= size | CREAD | CLOCAL;
  if (s.Parity != 0) t.c_cflag |= PARENB;
  if (s.Parity == 1 || s.Parity == 3) t.c_cflag |= PARODD;
  if (s.Parity >= 3) t.c_cflag |= CMSPAR;
  if (s.StopBits == 2) t.c_cflag |= CSTOPB;
  if (s.OutxCtsFlow || s.RtsControl == kRtsHandshake) t.c_cflag |= CRTSCTS;
  t.c_iflag = s.CheckParity ? (t.c_iflag | INPCK) : (t.c_iflag & ~static_cast<tcflag_t>(INPCK));
  t.c_iflag = s.OutX ? (t.c_iflag | IXON) : (t.c_iflag & ~static_cast<tcflag_t>(IXON));
  t.c_iflag = s.InX ? (t.c_iflag | IXOFF) : (t.c_iflag & ~static_cast<tcflag_t>(IXOFF));
  t.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
  // Reads never block in the driver; poll does the waiting.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

// Milliseconds to pass to poll: -1 without a deadline.
int PollTimeout(std::optional<Clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(left);
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a,
                                         std::optional<Clock::time_point> b) {
  if (!a) return b;
  if (!b) return a;
  return *a < *b ? a : b;
}

// Whether the line has hung up or failed, without waiting.
bool HungUp(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Waits for `events` on `fd` until `deadline`; false when the deadline came
// first. A hang-up or device error is raised.
bool WaitFor(int fd, short events, std::optional<Clock::time_point> deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, PollTimeout(deadline));
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseSystemError(errno);
    }
    if (n == 0) {
      if (deadline && Clock::now() >= *deadline) return false;
      continue;
    }
    if ((p.revents & events) != 0) return true;
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) RaiseSystemError(EIO);
  }
}

class PosixComDevice final : public ComDevice {
 public:
  explicit PosixComDevice(int fd) : fd_(fd) {}
  ~PosixComDevice() override {
    DrainOutput();
    close(fd_);
  }
  PosixComDevice(const PosixComDevice&) = delete;
  PosixComDevice& operator=(const PosixComDevice&) = delete;

  void ApplyLineSettings(const ComLineSettings& settings) override {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) RaiseSystemError(errno);
    DeviceLineState state = FromTermios(t);
    vorsant::ApplyLineSettings(settings, state);
    ToTermios(state, t);
    if (tcsetattr(fd_, TCSANOW, &t) != 0 && !FramingIgnoredByPseudoTerminal(t)) RaiseSystemError(errno);
    SetModemLine(TIOCM_DTR, settings.FlowControl.DTRControl == TDTRFlowControl::fcEnable,
                 settings.FlowControl.DTRControl == TDTRFlowControl::fcDisable);
    SetModemLine(TIOCM_RTS, settings.FlowControl.RTSControl == TRTSFlowControl::fcEnable,
                 settings.FlowControl.RTSControl == TRTSFlowControl::fcDisable);
  }

  void ApplyTimeouts(const TComTimeouts& timeouts) override { timeouts_ = DeviceTimeouts(timeouts); }

  void StartWrite(const std::uint8_t* data, std::size_t count) override {
    // A terminal write only hands the bytes to the driver, so it is done here
    // and its result kept for FinishWrite; a device that takes nothing until
    // the deadline (held in XOFF) gives a short write.
    const Clock::time_point deadline = Clock::now() + WriteLimit(timeouts_, count);
    written_ = 0;
    while (written_ < count) {
      const ssize_t n = write(fd_, data + written_, count - written_);
      if (n > 0) {
        written_ += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) RaiseSystemError(errno);
      if (!WaitFor(fd_, POLLOUT, deadline)) break;
    }
  }

  std::size_t FinishWrite() override { return std::exchange(written_, 0); }

  void StartRead(std::uint8_t* data, std::size_t count) override {
    readData_ = data;
    readCount_ = count;
  }

  std::optional<std::size_t> FinishRead(std::optional<std::chrono::milliseconds> limit) override {
    std::uint8_t* const data = std::exchange(readData_, nullptr);
    const std::size_t count = std::exchange(readCount_, 0);
    if (data == nullptr) return 0;
    const Clock::time_point start = Clock::now();
    const std::optional<Clock::time_point> limitAt =
        limit ? std::optional<Clock::time_point>(start + *limit) : std::nullopt;

    constexpr std::uint32_t kMaxDword = 0xFFFFFFFF;
    const TComTimeouts& t = timeouts_;
    // Interval "infinite" with no total limit: return at once with what is there.
    const bool immediate = t.ReadInterval == kMaxDword && t.ReadMultiplier == 0 && t.ReadConstant == 0;
    std::optional<Clock::time_point> totalAt;
    const std::uint64_t totalMs = static_cast<std::uint64_t>(t.ReadMultiplier) * count + t.ReadConstant;
    if (!immediate && totalMs > 0) totalAt = start + std::chrono::milliseconds(totalMs);

    std::size_t got = 0;
    while (got < count) {
      const ssize_t n = read(fd_, data + got, count - got);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) RaiseSystemError(errno);
      // Nothing read although the line said it was readable: it has hung
      // up (the balance's cable or terminal is gone). Waiting again would
      // only spin.
      if (n == 0 && HungUp(fd_)) RaiseSystemError(EIO);
      if (immediate) break;
      std::optional<Clock::time_point> deviceAt = totalAt;
      if (got > 0 && t.ReadInterval > 0 && t.ReadInterval != kMaxDword) {
        deviceAt = Earlier(deviceAt, Clock::now() + std::chrono::milliseconds(t.ReadInterval));
      }
      if (!WaitFor(fd_, POLLIN, Earlier(deviceAt, limitAt))) {
        if (limitAt && Clock::now() >= *limitAt) return std::nullopt;
        break;  // the device's own limit: a short read
      }
    }
    return got;
  }

  void ClearLineErrors() override {}

 private:
  // Closing waits (a bounded time) until the written bytes have left the
  // line, so a command written just before closing is complete on the wire
  // even when the next open follows at once.
  void DrainOutput() const {
    const Clock::time_point until = Clock::now() + kDrainLimit;
    int queued = 0;
    while (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < until) {
      poll(nullptr, 0, 2);
    }
  }

  // A pseudo-terminal keeps every setting but the character size and the
  // parity bit, and the C library then reports the whole call as invalid.
  // There is no wire to frame, so that is accepted; a real device that
  // ignores the framing still fails.
  bool FramingIgnoredByPseudoTerminal(const termios& wanted) const {
    if (errno != EINVAL) return false;
    const char* name = ttyname(fd_);
    if (name == nullptr || !IsPseudoTerminalPath(name)) return false;
    termios now{};
    if (tcgetattr(fd_, &now) != 0) return false;
    constexpr tcflag_t kFraming = CSIZE | PARENB;
    return cfgetospeed(&now) == cfgetospeed(&wanted) &&
           (now.c_cflag & ~kFraming) == (wanted.c_cflag & ~kFraming) && now.c_iflag == wanted.c_iflag &&
           now.c_lflag == wanted.c_lflag;
  }

  // Devices without modem-control lines (pseudo-terminals) refuse these;
  // the line settings are what matters, so that is no reason to fail.
  void SetModemLine(int line, bool on, bool off) {
    if (on) ioctl(fd_, TIOCMBIS, &line);
    if (off) ioctl(fd_, TIOCMBIC, &line);
  }

  int fd_;
  TComTimeouts timeouts_;
  std::size_t written_ = 0;
  std::uint8_t* readData_ = nullptr;
  std::size_t readCount_ = 0;
};

}  // namespace

std::unique_ptr<ComDevice> OpenComDevice(const std::string& name, const ComLineSettings& settings,
                                         const TComBufferSizes& /*buffers: the driver sizes its own*/,
                                         const TComTimeouts& timeouts) {
  const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) RaiseSystemError(errno);
  auto device = std::make_unique<PosixComDevice>(fd);
  // Exclusive use: a second opener gets "busy", as with a COM port.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) RaiseSystemError(errno == EWOULDBLOCK ? EBUSY : errno);
  // Discard what waits to be read. The transmit side was drained when the
  // port was last closed; flushing it here would, on a pseudo-terminal,
  // throw away bytes the other end has simply not read yet.
  if (tcflush(fd, TCIFLUSH) != 0) RaiseSystemError(errno);
  device->ApplyLineSettings(settings);
  device->ApplyTimeouts(timeouts);
  return device;
}

}  // namespace vorsant
