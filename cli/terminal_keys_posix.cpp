#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "cli/terminal_keys.h"

namespace vorsant::cli {

struct TerminalKeys::Saved {
  termios settings{};
};

TerminalKeys::TerminalKeys() {
  if (!isatty(STDIN_FILENO)) return;
  auto saved = std::make_unique<Saved>();
  if (tcgetattr(STDIN_FILENO, &saved->settings) != 0) return;
  termios keys = saved->settings;
  keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keys.c_cc[VMIN] = 0;
  keys.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0) saved_ = std::move(saved);
}

TerminalKeys::~TerminalKeys() {
  if (saved_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_->settings);
}

std::optional<char> TerminalKeys::Poll() {
  if (!saved_) return std::nullopt;
  pollfd p{STDIN_FILENO, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return std::nullopt;
  char c = 0;
  if (read(STDIN_FILENO, &c, 1) != 1) return std::nullopt;
  return c;
}

bool StdoutIsTerminal() {
  return isatty(STDOUT_FILENO) != 0;
}

}  // namespace vorsant::cli
