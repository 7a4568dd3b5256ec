// Win32 file calls for trial files; errors are GetLastError values. Paths
// stay UTF-16 all the way to the system.

#include <windows.h>

#include <vector>

#include "trial/trial_file_system.h"

namespace vorsant {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (Valid()) CloseHandle(h_);
  }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE Get() const { return h_; }
  int Close() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) ? 0 : static_cast<int>(GetLastError());
  }

 private:
  HANDLE h_;
};

int LastErrorOr(DWORD fallback) {
  const DWORD e = GetLastError();
  return static_cast<int>(e != 0 ? e : fallback);
}

// Gives `file` the access rules (the DACL) of `likeFile`, so that a file
// rewritten through a new file keeps them: one made writable for every user
// of a shared PC stays so. Best effort: without them the file still gets
// its folder's rules, and the save goes on.
void CopyAccessRules(const std::filesystem::path& likeFile, HANDLE file) {
  DWORD needed = 0;
  GetFileSecurityW(likeFile.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed == 0) return;  // no such file, or its rules cannot be read
  std::vector<BYTE> descriptor(needed);
  if (!GetFileSecurityW(likeFile.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
    return;
  SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, descriptor.data());
}

class WinFileSystem final : public TrialFileSystem {
 public:
  FileHead ReadHead(const std::filesystem::path& path, std::size_t maxBytes) override {
    FileHead head;
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      head.ErrorNumber = LastErrorOr(ERROR_OPEN_FAILED);
      return head;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
      head.ErrorNumber = LastErrorOr(ERROR_READ_FAULT);
      return head;
    }
    head.Size = static_cast<std::uint64_t>(size.QuadPart);
    head.Bytes.resize(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
      DWORD n = 0;
      if (!ReadFile(file.Get(), head.Bytes.data() + got, static_cast<DWORD>(maxBytes - got), &n, nullptr)) {
        head.ErrorNumber = LastErrorOr(ERROR_READ_FAULT);
        head.Bytes.clear();
        return head;
      }
      if (n == 0) break;
      got += n;
    }
    head.Bytes.resize(got);
    return head;
  }

  CreateOutcome CreateNew(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          const std::filesystem::path& likeFile) override {
    CreateOutcome out;
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      const DWORD e = GetLastError();
      out.AlreadyExists = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
      out.ErrorNumber = static_cast<int>(e != 0 ? e : ERROR_CANNOT_MAKE);
      return out;
    }
    CopyAccessRules(likeFile, file.Get());
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr)) {
        out.ErrorNumber = LastErrorOr(ERROR_WRITE_FAULT);
        return out;
      }
      if (n == 0) {
        out.ErrorNumber = ERROR_WRITE_FAULT;
        return out;
      }
      done += n;
    }
    if (!FlushFileBuffers(file.Get())) {
      out.ErrorNumber = LastErrorOr(ERROR_WRITE_FAULT);
      return out;
    }
    out.ErrorNumber = file.Close();
    return out;
  }

  int Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return LastErrorOr(ERROR_WRITE_FAULT);
  }

  void Remove(const std::filesystem::path& path) noexcept override { DeleteFileW(path.c_str()); }
};

}  // namespace

TrialFileSystem& SystemFileSystem() {
  static WinFileSystem fs;
  return fs;
}

}  // namespace vorsant
