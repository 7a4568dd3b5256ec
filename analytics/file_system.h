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
};

std::unique_ptr<FileSystem> MakeSystemFileSystem();

// The name of the complete new content while it is being written.
inline std::u16string PendingWritePath(const std::u16string& path) {
  return path + u".new";
}

}  // namespace plumeta
