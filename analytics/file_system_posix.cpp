#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

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

// A descriptor closed with its owner.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

EntryKind KindOf(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(info.st_mode)) return EntryKind::kLink;
  return EntryKind::kOther;
}

class PosixLock final : public FolderLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}

 private:
  Descriptor fd_;  // closing it lets the lock go
};

std::atomic<unsigned> uniqueCounter{0};

class PosixFolder final : public Folder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}

  std::unique_ptr<Folder> OpenSubfolder(std::u16string_view name, FolderRefusal& why) override {
    std::string n = ToUtf8(name);
    ::mkdirat(fd_.get(), n.c_str(), 0700);
    Descriptor sub(::openat(fd_.get(), n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!sub.valid()) {
      why = errno == ENOENT || errno == EACCES ? FolderRefusal::kUnavailable : FolderRefusal::kNotAFolder;
      return nullptr;
    }
    if (::fstat(sub.get(), &info) != 0) {
      why = FolderRefusal::kUnavailable;
      return nullptr;
    }
    if (info.st_uid != ::geteuid()) {
      why = FolderRefusal::kForeignOwner;
      return nullptr;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
      why = FolderRefusal::kOpenToOthers;
      return nullptr;
    }
    why = FolderRefusal::kNone;
    return std::make_unique<PosixFolder>(sub.Release());
  }

  std::optional<std::vector<FolderEntry>> List() override {
    Descriptor copy(::openat(fd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!copy.valid()) return std::nullopt;
    DIR* dir = ::fdopendir(copy.get());
    if (dir == nullptr) return std::nullopt;
    copy.Release();
    std::vector<FolderEntry> entries;
    errno = 0;
    while (struct dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      struct stat info {};
      bool folder =
          ::fstatat(fd_.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
      entries.push_back({FromUtf8(name), folder});
    }
    bool failed = errno != 0;
    ::closedir(dir);
    if (failed) return std::nullopt;
    return entries;
  }

  FileFacts Facts(std::u16string_view name) override {
    struct stat info {};
    if (::fstatat(fd_.get(), ToUtf8(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return {};
    return {KindOf(info), static_cast<std::uint64_t>(info.st_size), static_cast<std::uint32_t>(info.st_nlink),
            static_cast<std::int64_t>(info.st_mtime)};
  }

  std::optional<std::string> Read(std::u16string_view name, std::uint64_t limit) override {
    // Non-blocking: a pipe planted under the name must not hold the call.
    Descriptor file(
        ::openat(fd_.get(), ToUtf8(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) return std::nullopt;
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1 || static_cast<std::uint64_t>(info.st_size) > limit) {
      return std::nullopt;
    }
    std::string bytes;
    char block[65536];
    for (;;) {
      ssize_t got = ::read(file.get(), block, sizeof block);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return std::nullopt;
      if (got == 0) break;
      bytes.append(block, static_cast<std::size_t>(got));
      if (bytes.size() > limit) return std::nullopt;
    }
    return bytes;
  }

  bool Write(std::u16string_view name, std::string_view bytes) override {
    std::string target = ToUtf8(name);
    std::string pending = ToUtf8(PendingWriteName(name, UniqueText()));
    Descriptor file(
        ::openat(fd_.get(), pending.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid()) return false;
    bool complete = WriteFully(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (::close(file.Release()) != 0) complete = false;
    if (complete && ::renameat(fd_.get(), pending.c_str(), fd_.get(), target.c_str()) == 0) {
      ::fsync(fd_.get());
      return true;
    }
    ::unlinkat(fd_.get(), pending.c_str(), 0);
    return false;
  }

  bool Remove(std::u16string_view name) override {
    return ::unlinkat(fd_.get(), ToUtf8(name).c_str(), 0) == 0;
  }

  bool Rename(std::u16string_view from, std::u16string_view to) override {
    return ::renameat2(fd_.get(), ToUtf8(from).c_str(), fd_.get(), ToUtf8(to).c_str(), RENAME_NOREPLACE) == 0;
  }

  bool SetModifiedTime(std::u16string_view name, std::int64_t seconds) override {
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<std::time_t>(seconds), 0}};
    return ::utimensat(fd_.get(), ToUtf8(name).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
  }

  std::unique_ptr<FolderLock> Lock(std::u16string_view name, std::uint32_t waitMs) override {
    Descriptor file(
        ::openat(fd_.get(), ToUtf8(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.valid()) return nullptr;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return nullptr;
      if (std::chrono::steady_clock::now() >= until) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::make_unique<PosixLock>(file.Release());
  }

  std::u16string UniqueText() override {
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return FromUtf8(std::to_string(::getpid()) + "-" + std::to_string(++uniqueCounter) + "-" +
                    std::to_string(static_cast<unsigned long long>(now) % 1000000007ull));
  }

 private:
  Descriptor fd_;
};

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

  std::unique_ptr<Folder> OpenFolder(const std::u16string& path) override {
    Descriptor fd(::open(ToPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return nullptr;
    return std::make_unique<PosixFolder>(fd.Release());
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace plumeta
