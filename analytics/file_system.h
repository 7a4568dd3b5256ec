#pragma once
// The files and folders the session store works with. The core builds
// paths with Separator() and hands them over ready to use; the system
// implementations live in file_system_<platform>.cpp.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plumeta {

// What a path names, without following a link at its end.
enum class EntryKind { kMissing, kFile, kFolder, kLink, kOther };

struct FolderEntry {
  std::u16string name;
  bool isDirectory = false;
};

// What the folder's entry of a name is, without following a link.
struct FileFacts {
  EntryKind kind = EntryKind::kMissing;
  std::uint64_t size = 0;
  std::uint32_t links = 0;
  std::int64_t modified = 0;  // seconds since 1970
};

// Why a folder was not taken.
enum class FolderRefusal {
  kNone,
  kUnavailable,   // it cannot be created or opened
  kNotAFolder,    // a link, junction or file has its name
  kForeignOwner,  // someone else owns it
  kOpenToOthers,  // other users may write to it
};

// Held while it exists; nothing else takes the same lock meanwhile.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

// A folder opened once and held while a call works in it. Every name is a
// plain name inside it, and every operation goes through the held folder,
// never by path again, so a folder renamed or swapped for a link meanwhile
// changes nothing outside it. While held, the folder itself cannot be
// deleted or renamed where the system allows preventing it.
class Folder {
 public:
  virtual ~Folder() = default;

  // The folder of that name inside this one, created when missing with
  // rights for the current user, the system and the administrators only.
  // Null, with the reason, when it is not a plain folder of the current
  // user (or of the system or the administrators) that others cannot
  // write to.
  virtual std::unique_ptr<Folder> OpenSubfolder(std::u16string_view name, FolderRefusal& why) = 0;
  // Every entry in the order the system returns them; nothing when the
  // folder cannot be listed.
  virtual std::optional<std::vector<FolderEntry>> List() = 0;
  virtual FileFacts Facts(std::u16string_view name) = 0;
  // The whole file when it is a plain file with a single link and at most
  // `limit` bytes long; nothing otherwise.
  virtual std::optional<std::string> Read(std::u16string_view name, std::uint64_t limit) = 0;
  // Replaces the file's content: the new content goes into a file made
  // anew under a name of its own, reaches the disk, and only then takes
  // the file's place, so the old file or the new one survives a crash.
  virtual bool Write(std::u16string_view name, std::string_view bytes) = 0;
  // Removes a file (a link goes, what it points to stays); never a folder.
  virtual bool Remove(std::u16string_view name) = 0;
  // Renames a file within the folder; fails when `to` exists.
  virtual bool Rename(std::u16string_view from, std::u16string_view to) = 0;
  virtual bool SetModifiedTime(std::u16string_view name, std::int64_t seconds) = 0;
  // Takes the exclusive lock that the file of that name stands for,
  // waiting up to `waitMs`; null when it is not had in that time.
  virtual std::unique_ptr<FolderLock> Lock(std::u16string_view name, std::uint32_t waitMs) = 0;
  // A text no other name made by this or another process shares, for
  // names of the caller's own.
  virtual std::u16string UniqueText() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual char16_t Separator() const = 0;
  // The user's temporary folder, ending in a separator.
  virtual std::u16string TempFolder() = 0;
  // Creates the folder and any missing parents; true when it exists afterwards.
  virtual bool MakeFolders(const std::u16string& path) = 0;
  // The whole file, or nothing when it cannot be read.
  virtual std::optional<std::string> ReadBytes(const std::u16string& path) = 0;
  // Replaces the file's content. The new content is written completely
  // beside the file, into a file created anew (whatever had the pending
  // name is removed first, never written through), before it takes the
  // file's place, so a failed write never destroys what was there.
  virtual bool WriteBytes(const std::u16string& path, std::string_view bytes) = 0;
  // Removes the entry itself; a link goes, what it points to stays.
  virtual bool RemoveFile(const std::u16string& path) = 0;
  // A link, junction or other redirection at the end of the path is a
  // kLink, whatever it points to.
  virtual EntryKind Kind(const std::u16string& path) = 0;
  // When the file's content last changed, in seconds since 1970.
  virtual std::optional<std::int64_t> ModifiedTime(const std::u16string& path) = 0;
  virtual bool SetModifiedTime(const std::u16string& path, std::int64_t seconds) = 0;
  // The present time on the scale of ModifiedTime.
  virtual std::int64_t Now() = 0;
  // Every entry of the folder in the order the system returns them, or
  // nothing when the folder cannot be listed.
  virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::u16string& path) = 0;
  // The folder at the path (which may be reached through links), held
  // until the result goes; null when it cannot be opened.
  virtual std::unique_ptr<Folder> OpenFolder(const std::u16string& path) = 0;
};

std::unique_ptr<FileSystem> MakeSystemFileSystem();

// The name of the complete new content while it is being written.
inline std::u16string PendingWritePath(const std::u16string& path) {
  return path + u".new";
}

// A pending name of its own, for writers that may run side by side.
inline std::u16string PendingWriteName(std::u16string_view name, std::u16string_view unique) {
  return std::u16string(name) + u"." + std::u16string(unique) + u".new";
}

}  // namespace plumeta
