#pragma once
// What the save and open flows learn about a trial file before and after
// they touch it.

#include <optional>
#include <string>

namespace vorsant {

// 0 when the file at `path` (UTF-8) does not exist or may be written over;
// otherwise the system's error number for writing it. A read-only file gives
// "access denied" as the system itself would when the save replaced it, so
// the answer is the same wherever the program runs.
int SaveOverError(const std::string& path);

// For a file refused for its length: what is wrong, in the user's number
// style ("Chardonnay.vrs is 0 bytes; a trial file is 2,181"). nullopt when
// the file's length is not the reason.
std::optional<std::string> WrongSizeNotice(const std::string& path);

}  // namespace vorsant
