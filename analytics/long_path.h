#pragma once
// Long absolute paths must carry the "\\?\" prefix before the file system
// accepts them: folders from 248 characters on, files from 260.

#include <cstddef>
#include <string>

namespace plumeta {

inline constexpr std::size_t kLongFolderPath = 248;
inline constexpr std::size_t kLongFilePath = 260;

// The path as it must be handed to the file system. A path of at least
// `threshold` characters that is absolute (begins with "\\" or has ":" as
// its second character) gets "\\?\" unless it already has it; a network
// path "\\server\share\..." becomes "\\?\UNC\server\share\...", the only
// long form under which the system finds it. Anything else is unchanged.
std::u16string LongPathForm(const std::u16string& path, std::size_t threshold);

}  // namespace plumeta
