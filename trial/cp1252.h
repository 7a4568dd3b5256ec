#pragma once
// The record's single-byte texts are in the ANSI code page. Portable code
// (the report, the command-line tool) reads them as Windows-1252, the code
// page of the western Windows installations the trial files come from; the
// Windows shell may decode with the system's own code page instead.

#include <string>
#include <string_view>

namespace vorsant {

// Every byte becomes one character; the five bytes that Windows-1252 leaves
// unassigned map to the control characters of the same number, as Windows
// itself converts them.
std::string Windows1252ToUtf8(std::string_view bytes);

// Characters that Windows-1252 cannot hold, and bytes that are not valid
// UTF-8, become "?".
std::string Utf8ToWindows1252(std::string_view utf8);

// `bytes` with every byte that is not part of valid UTF-8 replaced by
// U+FFFD, so that a file name from anywhere can go into a page or JSON.
std::string ValidUtf8(std::string_view bytes);

}  // namespace vorsant
