#pragma once
// Writing what a command exports (SVG, HTML) through the safe save, so an
// existing file is replaced only by a complete new one.

#include <string>
#include <string_view>

namespace vorsant::cli {

// Throws CommandError naming the file and the system's error number.
void SaveOutputFile(const std::string& path, std::string_view content);

}  // namespace vorsant::cli
