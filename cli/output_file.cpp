#include "cli/output_file.h"

#include <cstdint>
#include <span>

#include "cli/command.h"
#include "trial/trial_file.h"

namespace vorsant::cli {

void SaveOutputFile(const std::string& path, std::string_view content) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
  const int error = SaveFileSafely(PathArg(path), std::span(bytes, content.size()));
  if (error != 0) {
    throw CommandError("vorsant-cli: I/O Error type " + std::to_string(error) + " occurred while writing " +
                       path);
  }
}

}  // namespace vorsant::cli
