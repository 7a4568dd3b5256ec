#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "analytics/file_system.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

namespace fs = std::filesystem;

fs::path ToPath(const std::u16string& path) {
  std::string utf8 = ToUtf8(path);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::u16string FromPath(const fs::path& path) {
  std::u8string utf8 = path.u8string();
  return FromUtf8(std::string(utf8.begin(), utf8.end()));
}

class PosixFileSystem final : public FileSystem {
 public:
  char16_t Separator() const override { return u'/'; }

  std::u16string TempFolder() override {
    const char* dir = std::getenv("TMPDIR");
    std::u16string folder = FromUtf8(dir != nullptr && *dir != '\0' ? dir : "/tmp");
    if (folder.back() != u'/') folder.push_back(u'/');
    return folder;
  }

  bool MakeFolders(const std::u16string& path) override {
    std::error_code ec;
    fs::create_directories(ToPath(path), ec);
    return fs::is_directory(ToPath(path), ec);
  }

  std::optional<std::string> ReadBytes(const std::u16string& path) override {
    std::ifstream in(ToPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
  }

  bool WriteBytes(const std::u16string& path, std::string_view bytes) override {
    std::string pending = ToPath(PendingWritePath(path)).string();
    // A planted link under the pending name goes, and is not written through.
    ::unlink(pending.c_str());
    int fd = ::open(pending.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool complete = true;
    while (!bytes.empty()) {
      ssize_t written = ::write(fd, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        complete = false;
        break;
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0) complete = false;
    if (complete && ::rename(pending.c_str(), ToPath(path).c_str()) == 0) return true;
    ::unlink(pending.c_str());
    return false;
  }

  bool RemoveFile(const std::u16string& path) override {
    std::error_code ec;
    return fs::remove(ToPath(path), ec);
  }

  EntryKind Kind(const std::u16string& path) override {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(ToPath(path), ec);
    switch (status.type()) {
      case fs::file_type::not_found:
        return EntryKind::kMissing;
      case fs::file_type::regular:
        return EntryKind::kFile;
      case fs::file_type::directory:
        return EntryKind::kFolder;
      case fs::file_type::symlink:
        return EntryKind::kLink;
      default:
        return ec ? EntryKind::kMissing : EntryKind::kOther;
    }
  }

  std::optional<std::int64_t> ModifiedTime(const std::u16string& path) override {
    struct stat info {};
    if (::stat(ToPath(path).c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::int64_t>(info.st_mtime);
  }

  bool SetModifiedTime(const std::u16string& path, std::int64_t seconds) override {
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<std::time_t>(seconds), 0}};
    return ::utimensat(AT_FDCWD, ToPath(path).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
  }

  std::int64_t Now() override { return static_cast<std::int64_t>(std::time(nullptr)); }

  std::optional<std::vector<FolderEntry>> ListFolder(const std::u16string& path) override {
    std::error_code ec;
    fs::directory_iterator it(ToPath(path), ec);
    if (ec) return std::nullopt;
    std::vector<FolderEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      std::error_code typeError;
      entries.push_back({FromPath(it->path().filename()), it->is_directory(typeError)});
    }
    if (ec) return std::nullopt;
    return entries;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace plumeta
