#pragma once
// A pseudo-terminal pair standing in for the balance's serial cable: the
// simulator talks on the master side, the program opens the other end by
// its path (or a symlink to it) as it would open a serial device.

#include <atomic>
#include <string>

#include "tools/balance_sim/simulated_balance.h"

namespace vorsant::sim {

class PseudoTerminal {
 public:
  // Throws std::system_error when no pseudo-terminal can be had.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  int MasterFd() const { return master_; }

  // Creates `link` pointing at the slave (replacing an old symlink there);
  // it is removed again with this object.
  void CreateLink(const std::string& link);

  // The line settings the program last gave its end, as the kernel keeps
  // them (a pseudo-terminal keeps speed and the odd-parity flag, not the
  // character size).
  struct LineSettings {
    unsigned Baud = 0;
    bool ParityOdd = false;
    bool Raw = false;  // no line editing and no echo
  };
  LineSettings ReadLineSettings() const;

  // Bytes sent to the program's end that it has not read yet.
  std::size_t UnreadByProgram() const;

  // Holds the program's end in XOFF for good: switches its output flow
  // control on (as a port set up for XON/XOFF has it) and sends XOFF, never
  // XON, so its writes stall.
  void HoldInXoff();

 private:
  int master_ = -1;
  // Held open so the master never sees a hang-up between the program's
  // exchanges, each of which opens and closes the port.
  int slave_ = -1;
  std::string slavePath_;
  std::string link_;
};

// Serves `balance` on the terminal until `stop` becomes true. `now` gives
// the simulator's time in seconds; `log`, when set, receives one line per
// command.
void ServeBalance(PseudoTerminal& pty, SimulatedBalance& balance, const std::atomic<bool>& stop,
                  double (*now)(), void (*log)(const std::string& line) = nullptr);

}  // namespace vorsant::sim
