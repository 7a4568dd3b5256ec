#include <windows.h>

#include "analytics/file_system.h"
#include "analytics/long_path.h"
#include "analytics/text.h"
#include "analytics/win_text.h"

namespace plumeta {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (valid()) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closes now, reporting whether the system accepted the close.
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != FALSE;
  }

 private:
  HANDLE h_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// 100 ns units from 1601 to 1970.
constexpr std::int64_t kUnixEpochFileTime = 116444736000000000;

std::int64_t UnixSeconds(const FILETIME& time) {
  std::int64_t ticks = (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return (ticks - kUnixEpochFileTime) / 10000000;
}

FILETIME FileTimeOf(std::int64_t seconds) {
  std::uint64_t ticks = static_cast<std::uint64_t>(seconds * 10000000 + kUnixEpochFileTime);
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The last component of a path, without trailing separators.
std::u16string_view LastName(std::u16string_view path) {
  while (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
  std::size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

// Whether the entry, opened without following a reparse point, resolves
// under a name of its own. A host link that Wine presents as a plain file
// shows up here only: the system reports the target's name for it.
bool ResolvesToItself(const std::wstring& path) {
  FileHandle entry(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry.valid()) return false;
  std::wstring resolved(MAX_PATH + 1, L'\0');
  DWORD length = GetFinalPathNameByHandleW(entry.get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= resolved.size()) {
    resolved.assign(length + 1, L'\0');
    length = GetFinalPathNameByHandleW(entry.get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  // Without an answer the attributes alone decide.
  if (length == 0 || length >= resolved.size()) return true;
  resolved.resize(length);
  return EqualsNoCase(LastName(FromWide(resolved)), LastName(FromWide(path)));
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

class WinFileSystem final : public FileSystem {
 public:
  char16_t Separator() const override { return u'\\'; }

  std::u16string TempFolder() override {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
      buffer.assign(length + 1, L'\0');
      length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size()) return u"";
    buffer.resize(length);
    return FromWide(buffer);
  }

  bool MakeFolders(const std::u16string& path) override {
    std::wstring wide = ToWide(path);
    if (IsFolder(wide)) return true;
    // Trying every parent is simpler than telling the root apart from
    // the folders under it ("C:\", "\\?\C:\", "\\server\share\"): the
    // system refuses the roots and accepts the rest.
    for (std::size_t pos = wide.find(L'\\', 1); pos != std::wstring::npos; pos = wide.find(L'\\', pos + 1)) {
      CreateDirectoryW(wide.substr(0, pos).c_str(), nullptr);
    }
    CreateDirectoryW(wide.c_str(), nullptr);
    return IsFolder(wide);
  }

  std::optional<std::string> ReadBytes(const std::u16string& path) override {
    FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x40000000) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD read = 0;
      if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                    nullptr)) {
        return std::nullopt;
      }
      if (read == 0) break;
      done += read;
    }
    bytes.resize(done);
    return bytes;
  }

  bool WriteBytes(const std::u16string& path, std::string_view bytes) override {
    // The pending name is longer than the file's own and may need the long form.
    std::wstring pending = ToWide(LongPathForm(PendingWritePath(path), kLongFilePath));
    {
      // Whatever has the pending name goes first (a link itself, not its
      // target); the new content then goes into a file made anew, with no
      // sharing while it is written.
      DeleteFileW(pending.c_str());
      FileHandle file(CreateFileW(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.valid()) return false;
      bool complete = WriteAll(file.get(), bytes);
      if (!file.Close() || !complete) {
        DeleteFileW(pending.c_str());
        return false;
      }
    }
    if (MoveFileExW(pending.c_str(), ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(pending.c_str());
    return false;
  }

  bool RemoveFile(const std::u16string& path) override { return DeleteFileW(ToWide(path).c_str()) != FALSE; }

  EntryKind Kind(const std::u16string& path) override {
    std::wstring wide = ToWide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::kMissing
                                                                            : EntryKind::kOther;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !ResolvesToItself(wide)) return EntryKind::kLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::kFolder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return EntryKind::kOther;
    return EntryKind::kFile;
  }

  std::optional<std::int64_t> ModifiedTime(const std::u16string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return UnixSeconds(data.ftLastWriteTime);
  }

  bool SetModifiedTime(const std::u16string& path, std::int64_t seconds) override {
    FileHandle file(CreateFileW(ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) return false;
    FILETIME time = FileTimeOf(seconds);
    return SetFileTime(file.get(), nullptr, nullptr, &time) != FALSE;
  }

  std::int64_t Now() override {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return UnixSeconds(now);
  }

  std::optional<std::vector<FolderEntry>> ListFolder(const std::u16string& path) override {
    std::wstring pattern = ToWide(path);
    if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
    pattern += L"*.*";
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find.valid()) {
      // An empty folder still lists "." and "..", so this is a real failure.
      return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
      entries.push_back({FromWide(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<WinFileSystem>();
}

}  // namespace plumeta
