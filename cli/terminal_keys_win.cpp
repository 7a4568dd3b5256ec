#include <conio.h>
#include <io.h>

#include <cstdio>

#include "cli/terminal_keys.h"

namespace vorsant::cli {

// The console reads keys without echo through conio; nothing to change.
struct TerminalKeys::Saved {};

TerminalKeys::TerminalKeys() {
  if (_isatty(_fileno(stdin))) saved_ = std::make_unique<Saved>();
}

TerminalKeys::~TerminalKeys() = default;

std::optional<char> TerminalKeys::Poll() {
  if (!saved_ || !_kbhit()) return std::nullopt;
  return static_cast<char>(_getch());
}

bool StdoutIsTerminal() {
  return _isatty(_fileno(stdout)) != 0;
}

}  // namespace vorsant::cli
