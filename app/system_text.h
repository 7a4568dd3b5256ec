#pragma once
// The system's text rules that the document commands depend on.
//
// Conversion between the user interface's text (UTF-8 here, UTF-16 in the
// Windows controls) and the single-byte texts of the trial record, which are
// in the system's ANSI code page. Characters the code page lacks become "?".

#include <string>
#include <string_view>

namespace vorsant {

std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Equality ignoring letter case, as the file system compares names.
bool SameFileNameText(std::string_view a, std::string_view b);

}  // namespace vorsant
