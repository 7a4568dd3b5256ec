#pragma once
// The command-line front end: a table of commands, each a function over its
// arguments and two output streams. A command reports any failure by
// throwing CommandError; the dispatcher prints it as one line on stderr.

#include <filesystem>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorsant::cli {

struct CommandIo {
  std::ostream& out;
  std::ostream& err;
};

// Arguments after the command's name, UTF-8.
using CommandArgs = std::span<const std::string>;
using CommandFn = int (*)(CommandArgs args, CommandIo& io);

struct Command {
  std::string_view name;
  std::string_view usage;  // arguments, after the name
  CommandFn run;
};

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// `what` is printed exactly as given, so the program's own messages
// ("Error reading the data file.") reach scripts unchanged.
class CommandError : public std::runtime_error {
 public:
  CommandError(const std::string& what, int exitCode = kExitFailure)
      : std::runtime_error(what), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// A misuse of the command line, prefixed with the program's name.
CommandError UsageError(std::string_view message);

// Every command, in the order the help lists them (command_table.cpp).
std::span<const Command> Commands();

// Runs the command named by args[0]; returns the process's exit code.
int RunCli(std::span<const std::string> args, CommandIo& io);

// A path given on the command line (UTF-8 on every platform).
std::filesystem::path PathArg(const std::string& utf8);

}  // namespace vorsant::cli
