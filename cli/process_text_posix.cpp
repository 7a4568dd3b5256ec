// POSIX arguments are already in the locale's encoding, UTF-8 on every
// system we run on, and terminals show UTF-8 as it is.

#include "cli/process_text.h"

namespace vorsant::cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

}  // namespace vorsant::cli
