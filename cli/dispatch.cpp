#include <exception>

#include "cli/command.h"

namespace vorsant::cli {

namespace {

constexpr std::string_view kProgram = "vorsant-cli";

void PrintHelp(std::ostream& out) {
  out << "usage: " << kProgram << " COMMAND ARGS\n";
  for (const Command& c : Commands()) out << "  " << kProgram << " " << c.name << " " << c.usage << "\n";
  out << "units: --units us (US gallons, psi; the default) or metric (litres below 10,000 L, hectolitres\n"
         "  from there, bar); without --units, the environment variable VORSANT_UNITS. --volume V is in\n"
         "  gallons or litres, or names its unit: 500hL, 2000 gal. JSON keys keep their units (volume_gal\n"
         "  and volume_l alike) whatever --units says.\n"
         "numbers: figures are printed with \".\" as the decimal point and \",\" between thousands,\n"
         "  whatever the locale; numbers are read the same way.\n";
}

std::string CommandNames() {
  std::string names;
  for (const Command& c : Commands()) {
    if (!names.empty()) names += ", ";
    names += c.name;
  }
  return names;
}

}  // namespace

CommandError UsageError(std::string_view message) {
  std::string line(kProgram);
  line += ": ";
  line += message;
  return CommandError(line, kExitUsage);
}

std::filesystem::path PathArg(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

int RunCli(std::span<const std::string> args, CommandIo& io) {
  if (args.empty()) {
    io.err << kProgram << ": no command given (commands: " << CommandNames() << "; try " << kProgram
           << " help)\n";
    return kExitUsage;
  }
  if (args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    PrintHelp(io.out);
    return 0;
  }
  for (const Command& c : Commands()) {
    if (args[0] != c.name) continue;
    try {
      return c.run(args.subspan(1), io);
    } catch (const CommandError& e) {
      io.err << e.what() << "\n";
      return e.ExitCode();
    } catch (const std::exception& e) {
      io.err << kProgram << ": " << e.what() << "\n";
      return kExitFailure;
    }
  }
  io.err << kProgram << ": unknown command '" << args[0] << "' (commands: " << CommandNames() << ")\n";
  return kExitUsage;
}

}  // namespace vorsant::cli
