#pragma once
// Where the session store keeps its files, and which files of that folder
// are session files.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/file_system.h"

namespace plumeta {

inline constexpr std::u16string_view kStorageRootName = u"OrvexAnalytics";
inline constexpr std::u16string_view kTrackingIniName = u"tracking.ini";
inline constexpr std::u16string_view kSessionExtension = u"session";

inline constexpr std::u16string_view kLockName = u"tracking.lock";
inline constexpr std::u16string_view kClaimExtension = u"claimed";

// A name as Windows keeps it in a path, the same on every system: trailing
// dots and blanks go, each of <>:"/\|?* and every control character becomes
// "_", a reserved device name (CON, NUL, COM1 ...) gets "_" in front, and an
// empty name becomes "_".
std::u16string SafePathName(std::u16string_view name);

// The storage folder: the temporary folder, then "OrvexAnalytics", the
// product name and the product version (each made safe), opened one below
// the other and created when missing. The temporary folder may be shared
// with other users (the system account's is), so every folder below it
// must be the current user's own (see Folder::OpenSubfolder): otherwise
// the result is null, with the reason.
std::unique_ptr<Folder> OpenStorageFolder(FileSystem& files, std::u16string_view productName,
                                          std::u16string_view productVersion, FolderRefusal& why);

// The storage folder's path as OpenStorageFolder would reach it, without
// looking at the file system.
std::u16string StoragePath(FileSystem& files, std::u16string_view productName,
                           std::u16string_view productVersion);

// The storage folder's path, in the form the file system needs (see
// LongPathForm); empty when OpenStorageFolder refuses it.
std::u16string StorageFolder(FileSystem& files, std::u16string_view productName,
                             std::u16string_view productVersion);

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

// A flush takes a session file for itself by renaming it: the name
// "<file>.<seconds>-<unique>.claimed" says when, so that a file left by a
// flush that never ended can be taken over.
std::u16string ClaimName(std::u16string_view name, std::int64_t seconds, std::u16string_view unique);
// When the name is a claim: the file's name before the claim, and the time.
struct Claim {
  std::u16string original;
  std::int64_t seconds = 0;
};
std::optional<Claim> ParseClaimName(std::u16string_view name);
// True for a file a writer left pending ("<file>.new" or "<file>.<unique>.new").
bool IsPendingName(std::u16string_view name);

}  // namespace plumeta
