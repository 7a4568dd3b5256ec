#pragma once
// Keys typed at the terminal while a command runs, read without waiting and
// without echo, so a running collection can watch for its stop key.

#include <memory>
#include <optional>

namespace vorsant::cli {

class TerminalKeys {
 public:
  // When standard input is a terminal it stops echoing and line buffering
  // until this object is destroyed.
  TerminalKeys();
  ~TerminalKeys();
  TerminalKeys(const TerminalKeys&) = delete;
  TerminalKeys& operator=(const TerminalKeys&) = delete;

  // A key typed since the last call, if any; never waits.
  std::optional<char> Poll();

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

// Whether standard output is a terminal (a countdown that rewrites its line
// only makes sense there).
bool StdoutIsTerminal();

}  // namespace vorsant::cli
