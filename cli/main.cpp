// vorsant-cli: the trial core from the command line, for batch work and
// scripts. Every failure is one line on stderr and a non-zero exit.

#include <exception>
#include <iostream>

#include "cli/command.h"
#include "cli/process_text.h"

int main(int argc, char** argv) {
  try {
    vorsant::cli::PrepareConsole();
    const std::vector<std::string> args = vorsant::cli::Utf8Arguments(argc, argv);
    vorsant::cli::CommandIo io{std::cout, std::cerr};
    const int code = vorsant::cli::RunCli(args, io);
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "vorsant-cli: cannot write the output\n";
      return vorsant::cli::kExitFailure;
    }
    return code;
  } catch (const std::exception& e) {
    std::cerr << "vorsant-cli: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "vorsant-cli: unexpected failure\n";
  }
  return vorsant::cli::kExitFailure;
}
