// POSIX file calls for trial files; errors are errno values.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "trial/trial_file_system.h"

namespace vorsant {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }
  // Closes now and reports the error a delayed write may surface here.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int ErrnoOr(int fallback) {
  return errno != 0 ? errno : fallback;
}

// Makes a rename in `dir` durable; best effort, as some file systems refuse.
void SyncFolder(const std::filesystem::path& dir) {
  Fd folder(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) ::fsync(folder.Get());
}

class PosixFileSystem final : public TrialFileSystem {
 public:
  FileHead ReadHead(const std::filesystem::path& path, std::size_t maxBytes) override {
    FileHead head;
    // Non-blocking, so that a named pipe given by mistake cannot hang the open.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
      head.ErrorNumber = ErrnoOr(EIO);
      return head;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
      head.ErrorNumber = ErrnoOr(EIO);
      return head;
    }
    if (S_ISDIR(st.st_mode)) {
      head.ErrorNumber = EISDIR;
      return head;
    }
    // Anything but a plain file holds no whole record.
    if (!S_ISREG(st.st_mode)) return head;
    head.Size = static_cast<std::uint64_t>(st.st_size);
    head.Bytes.resize(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
      const ssize_t n = ::read(fd.Get(), head.Bytes.data() + got, maxBytes - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        head.ErrorNumber = ErrnoOr(EIO);
        head.Bytes.clear();
        return head;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    head.Bytes.resize(got);
    return head;
  }

  CreateOutcome CreateNew(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          const std::filesystem::path& likeFile) override {
    CreateOutcome out;
    mode_t mode = 0666;  // narrowed by the umask, as any new file
    struct stat like {};
    const bool hasLike = ::stat(likeFile.c_str(), &like) == 0;
    if (hasLike) mode = like.st_mode & 07777;
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (fd.Get() < 0) {
      out.AlreadyExists = errno == EEXIST;
      out.ErrorNumber = ErrnoOr(EIO);
      return out;
    }
    // The umask must not narrow the permissions the old file had.
    if (hasLike) ::fchmod(fd.Get(), like.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        out.ErrorNumber = ErrnoOr(EIO);
        return out;
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.Get()) != 0) {
      out.ErrorNumber = ErrnoOr(EIO);
      return out;
    }
    out.ErrorNumber = fd.Close();
    return out;
  }

  int Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    // A file the user may not write keeps refusing a save, as it would if it
    // were rewritten in place; rename alone would only ask the folder.
    if (::access(to.c_str(), F_OK) == 0 && ::access(to.c_str(), W_OK) != 0) return ErrnoOr(EACCES);
    if (::rename(from.c_str(), to.c_str()) != 0) return ErrnoOr(EIO);
    SyncFolder(to.parent_path());
    return 0;
  }

  void Remove(const std::filesystem::path& path) noexcept override { ::unlink(path.c_str()); }
};

}  // namespace

TrialFileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace vorsant
