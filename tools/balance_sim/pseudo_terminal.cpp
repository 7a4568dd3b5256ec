#include "tools/balance_sim/pseudo_terminal.h"

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace vorsant::sim {

namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) Fail("tcgetattr");
  cfmakeraw(&t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) Fail("tcsetattr");
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
      return;  // the line is gone; the next request will tell
    }
  }
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    const int e = errno;
    close(master_);
    throw std::system_error(e, std::generic_category(), "unlockpt");
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    const int e = errno;
    close(master_);
    throw std::system_error(e, std::generic_category(), "ptsname");
  }
  slavePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    const int e = errno;
    close(master_);
    throw std::system_error(e, std::generic_category(), "open slave");
  }
  // No echo or line editing until the program sets its own line up.
  MakeRaw(slave_);
}

PseudoTerminal::~PseudoTerminal() {
  if (!link_.empty()) unlink(link_.c_str());
  close(slave_);
  close(master_);
}

void PseudoTerminal::CreateLink(const std::string& link) {
  unlink(link.c_str());
  if (symlink(slavePath_.c_str(), link.c_str()) != 0) Fail("symlink");
  link_ = link;
}

std::size_t PseudoTerminal::UnreadByProgram() const {
  int queued = 0;
  if (ioctl(slave_, FIONREAD, &queued) != 0) return 0;
  return static_cast<std::size_t>(queued);
}

PseudoTerminal::LineSettings PseudoTerminal::ReadLineSettings() const {
  termios t{};
  if (tcgetattr(slave_, &t) != 0) Fail("tcgetattr");
  LineSettings s;
  switch (cfgetospeed(&t)) {
    case B1200:
      s.Baud = 1200;
      break;
    case B2400:
      s.Baud = 2400;
      break;
    case B9600:
      s.Baud = 9600;
      break;
    case B19200:
      s.Baud = 19200;
      break;
    case B38400:
      s.Baud = 38400;
      break;
    default:
      s.Baud = 0;
      break;
  }
  s.ParityOdd = (t.c_cflag & PARODD) != 0;
  s.Raw = (t.c_lflag & (ICANON | ECHO)) == 0;
  return s;
}

void PseudoTerminal::HoldInXoff() {
  termios t{};
  if (tcgetattr(slave_, &t) != 0) Fail("tcgetattr");
  t.c_iflag |= IXON;
  if (tcsetattr(slave_, TCSANOW, &t) != 0) Fail("tcsetattr");
  WriteAll(master_, std::string(1, static_cast<char>(t.c_cc[VSTOP])));
  // The kernel takes the XOFF in on its own time; once it has, the program's
  // end no longer polls writable.
  for (int i = 0; i < 200; ++i) {
    pollfd p{slave_, POLLOUT, 0};
    if (poll(&p, 1, 0) == 0) return;
    usleep(5000);
  }
  throw std::runtime_error("the terminal did not stop on XOFF");
}

void ServeBalance(PseudoTerminal& pty, SimulatedBalance& balance, const std::atomic<bool>& stop,
                  double (*now)(), void (*log)(const std::string& line)) {
  char buffer[256];
  const bool today = balance.Speaks().Commands != Dialect::Original;
  const bool continuous = balance.Speaks().Commands == Dialect::Continuous;
  // A line every tenth of a second of the balance's own time, so that a
  // sped-up run hears it as often, as far as the loop's pace allows.
  double nextLine = now();
  // Today's balances are set to 9600 baud without parity; at other settings
  // they hear only noise.
  auto lineHeard = [&] {
    const PseudoTerminal::LineSettings line = pty.ReadLineSettings();
    return line.Baud == 9600 && !line.ParityOdd;
  };
  while (!stop.load()) {
    if (continuous && now() >= nextLine) {
      nextLine = now() + 0.1;
      // With nobody reading, a serial line loses what the balance sends; the
      // terminal would fill up and stall the simulator instead.
      if (lineHeard() && pty.UnreadByProgram() < 1024) WriteAll(pty.MasterFd(), balance.ContinuousLine(now()));
    }
    pollfd p{pty.MasterFd(), POLLIN, 0};
    const int ready = poll(&p, 1, continuous ? 5 : 50);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0 || (p.revents & POLLIN) == 0) continue;
    const ssize_t n = read(pty.MasterFd(), buffer, sizeof buffer);
    if (n <= 0) continue;
    if (today) balance.SetLineHeard(lineHeard());
    const int tares = balance.Tares();
    const int requests = balance.Requests();
    const std::vector<std::string> replies =
        balance.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), now());
    if (log != nullptr) {
      const PseudoTerminal::LineSettings line = pty.ReadLineSettings();
      const std::string settings = " (line " + std::to_string(line.Baud) + " baud" +
                                   (line.ParityOdd ? ", odd parity" : "") + (line.Raw ? ", raw" : "") + ")";
      if (balance.Tares() != tares) log("tare" + settings);
      if (balance.Requests() != requests) log("weight request" + settings);
    }
    for (const std::string& reply : replies) {
      WriteAll(pty.MasterFd(), reply);
      if (log != nullptr) log("reply " + reply.substr(0, reply.find('\r')));
    }
  }
}

}  // namespace vorsant::sim
