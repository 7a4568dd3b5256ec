#pragma once
// Where the session store keeps its files, and which files of that folder
// are session files.

#include <string>
#include <string_view>
#include <vector>

#include "analytics/file_system.h"

namespace plumeta {

inline constexpr std::u16string_view kStorageRootName = u"OrvexAnalytics";
inline constexpr std::u16string_view kTrackingIniName = u"tracking.ini";
inline constexpr std::u16string_view kSessionExtension = u"session";

// The temporary folder, "OrvexAnalytics", the product name and the product
// version, in the form the file system needs (see LongPathForm). The folder
// and any missing parents are created on every call. The temporary folder
// may be shared with other users (the system account's is), so every folder
// from it down must be a folder of its own: when one of them is a link,
// junction or anything but a folder, the result is empty and nothing is
// created.
std::u16string StorageFolder(FileSystem& files, std::u16string_view productName,
                             std::u16string_view productVersion);

// True when the path names a plain file or nothing: never a link.
bool IsPlainFileOrMissing(FileSystem& files, const std::u16string& path);

// A file of the folder, long form when needed.
std::u16string FilePath(const FileSystem& files, std::u16string_view folder, std::u16string_view name);

// True when the text after the last "." (a "." that comes after the last
// "\") is "session" in any letter case: ".SESSION" yes; "session" and
// "x.session.bak" no.
bool IsSessionFileName(std::u16string_view name);

// The order in which session files are taken: by name, compared character
// by character with letters folded to upper case, then exactly. This is the
// order an NTFS folder lists its names in, made independent of the file
// system so that every platform flushes in the same order.
bool ListedBefore(std::u16string_view a, std::u16string_view b);

// The full paths of the folder's session files in ListedBefore order;
// nothing when the folder cannot be listed.
std::vector<std::u16string> SessionFiles(FileSystem& files, std::u16string_view folder);

}  // namespace plumeta
