#pragma once
// The few file-system calls that reading and saving a trial file need, behind
// an interface so tests can make any of them fail. Every call reports the
// operating system's error number (errno on POSIX, GetLastError on Windows),
// which the user sees in the "I/O Error type ..." messages.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace vorsant {

struct FileHead {
  int ErrorNumber = 0;              // 0 when the file was opened and read
  std::uint64_t Size = 0;           // length of the whole file
  std::vector<std::uint8_t> Bytes;  // its first bytes, at most the number asked for
};

struct CreateOutcome {
  int ErrorNumber = 0;
  bool AlreadyExists = false;  // the name is taken; the caller may try another
};

class TrialFileSystem {
 public:
  virtual ~TrialFileSystem() = default;

  // Opens `path` for reading, takes its length and up to `maxBytes` from its
  // start, and closes it again in every case.
  virtual FileHead ReadHead(const std::filesystem::path& path, std::size_t maxBytes) = 0;

  // Creates `path`, which must not exist yet, writes `bytes`, flushes them to
  // the disk and closes it. A partly written file is left for the caller to
  // remove. `likeFile`, when it exists, lends its access permissions.
  virtual CreateOutcome CreateNew(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                  const std::filesystem::path& likeFile) = 0;

  // Puts `from` in the place of `to` in one step, replacing `to` if it
  // exists. Returns 0 or the error number; on failure `to` is untouched.
  virtual int Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;

  virtual void Remove(const std::filesystem::path& path) noexcept = 0;
};

// The real file system of the platform.
TrialFileSystem& SystemFileSystem();

}  // namespace vorsant
