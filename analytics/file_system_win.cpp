#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <vector>

#include "analytics/file_system.h"
#include "analytics/long_path.h"
#include "analytics/text.h"
#include "analytics/win_text.h"
#include "common/unique_handle_win.h"

namespace plumeta {
namespace {

using FileHandle = common::UniqueHandle<common::InvalidIsNone<CloseHandle>>;
using FindHandle = common::UniqueHandle<common::InvalidIsNone<FindClose>>;

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
  if (!entry) return false;
  std::wstring resolved(MAX_PATH + 1, L'\0');
  DWORD length = GetFinalPathNameByHandleW(entry.Get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= resolved.size()) {
    resolved.assign(length + 1, L'\0');
    length = GetFinalPathNameByHandleW(entry.Get(), resolved.data(), static_cast<DWORD>(resolved.size()),
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

// Reads up to `size` bytes: fewer if the file was cut short meanwhile.
std::optional<std::string> ReadAll(HANDLE file, std::uint64_t size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t left = bytes.size() - done;
    DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

FileFacts FactsOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return {EntryKind::kOther};
  FileFacts facts;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    facts.kind = EntryKind::kLink;
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    facts.kind = EntryKind::kFolder;
  } else if (GetFileType(file) != FILE_TYPE_DISK || (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    facts.kind = EntryKind::kOther;
  } else {
    facts.kind = EntryKind::kFile;
  }
  facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.links = info.nNumberOfLinks;
  facts.modified = UnixSeconds(info.ftLastWriteTime);
  return facts;
}

// Whether the opened entry resolves under its own name. A host link that
// Wine presents as a plain file shows up here only: the system reports the
// target's name for it.
bool HandleResolvesToItself(HANDLE entry, std::u16string_view name) {
  std::wstring resolved(MAX_PATH + 1, L'\0');
  DWORD length = GetFinalPathNameByHandleW(entry, resolved.data(), static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= resolved.size()) {
    resolved.assign(length + 1, L'\0');
    length = GetFinalPathNameByHandleW(entry, resolved.data(), static_cast<DWORD>(resolved.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  // Without an answer the attributes alone decide.
  if (length == 0 || length >= resolved.size()) return true;
  resolved.resize(length);
  return EqualsNoCase(LastName(FromWide(resolved)), LastName(name));
}

// The token user of the process, the system and the administrators: the
// only parties a storage folder may belong to or be writable by.
class TrustedParties {
 public:
  TrustedParties() {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      DWORD size = 0;
      GetTokenInformation(token, TokenUser, nullptr, 0, &size);
      user_.resize(size);
      if (size == 0 || !GetTokenInformation(token, TokenUser, user_.data(), size, &size)) user_.clear();
      CloseHandle(token);
    }
    DWORD size = sizeof system_;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &size);
    size = sizeof admins_;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins_, &size);
  }
  PSID User() const {
    return user_.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user_.data())->User.Sid;
  }
  bool Trusts(PSID sid) const {
    return sid != nullptr && IsValidSid(sid) &&
           ((User() != nullptr && EqualSid(sid, User())) || EqualSid(sid, const_cast<BYTE*>(system_)) ||
            EqualSid(sid, const_cast<BYTE*>(admins_)));
  }
  // Full control for the three, nothing for anyone else, nothing inherited
  // from the shared folder above.
  std::wstring PrivateDescriptor() const {
    LPWSTR user = nullptr;
    if (User() == nullptr || !ConvertSidToStringSidW(User(), &user)) return L"";
    std::wstring sddl = std::wstring(L"D:P(A;OICI;FA;;;") + user + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    LocalFree(user);
    return sddl;
  }

 private:
  std::vector<BYTE> user_;
  BYTE system_[SECURITY_MAX_SID_SIZE] = {};
  BYTE admins_[SECURITY_MAX_SID_SIZE] = {};
};

const TrustedParties& Trusted() {
  static const TrustedParties parties;
  return parties;
}

constexpr DWORD kWriteRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                               FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | DELETE | WRITE_DAC | WRITE_OWNER |
                               GENERIC_WRITE | GENERIC_ALL;

// Whether the folder belongs to a trusted party and gives no one else a
// right to change it.
FolderRefusal CheckOwnership(HANDLE folder) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                      nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return FolderRefusal::kUnavailable;
  }
  FolderRefusal verdict = FolderRefusal::kNone;
  if (!Trusted().Trusts(owner)) {
    verdict = FolderRefusal::kForeignOwner;
  } else if (dacl == nullptr) {
    verdict = FolderRefusal::kOpenToOthers;  // no list at all lets everyone in
  } else {
    for (DWORD i = 0; i < dacl->AceCount && verdict == FolderRefusal::kNone; ++i) {
      ACE_HEADER* header = nullptr;
      if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
      auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
      if ((ace->Mask & kWriteRights) != 0 && !Trusted().Trusts(&ace->SidStart)) {
        verdict = FolderRefusal::kOpenToOthers;
      }
    }
  }
  LocalFree(descriptor);
  return verdict;
}

class WinLock final : public FolderLock {
 public:
  explicit WinLock(HANDLE h) : file_(h) {}

 private:
  FileHandle file_;  // opened with no sharing: closing it lets the lock go
};

std::atomic<unsigned> uniqueCounter{0};

// Folder access for the storage folders: listing, adding files and
// folders, and reading the security of what is found.
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                                FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

// A folder held open without FILE_SHARE_DELETE, so that nobody can delete,
// rename or replace it while it is held: the names below it keep meaning
// the entries of this very folder for as long as the call holds it. Files
// are opened without following reparse points and checked through their
// handles; deletions go through those handles. Renames go by the full name
// under the held folder: the same-folder form of FileRenameInfo is
// resolved against the current directory by some implementations.
class WinFolder final : public Folder {
 public:
  WinFolder(HANDLE h, std::wstring path) : handle_(h), path_(std::move(path)) {
    if (!path_.empty() && path_.back() != L'\\') path_.push_back(L'\\');
  }

  std::unique_ptr<Folder> OpenSubfolder(std::u16string_view name, FolderRefusal& why) override {
    std::wstring child = Child(name, kLongFolderPath);
    std::wstring sddl = Trusted().PrivateDescriptor();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!sddl.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                              &descriptor, nullptr)) {
      attributes.lpSecurityDescriptor = descriptor;
    }
    CreateDirectoryW(child.c_str(), &attributes);
    if (descriptor != nullptr) LocalFree(descriptor);
    FileHandle sub(CreateFileW(child.c_str(), kFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr));
    if (!sub) {
      why = FolderRefusal::kUnavailable;
      return nullptr;
    }
    if (FactsOf(sub.Get()).kind != EntryKind::kFolder || !HandleResolvesToItself(sub.Get(), name)) {
      why = FolderRefusal::kNotAFolder;
      return nullptr;
    }
    why = CheckOwnership(sub.Get());
    if (why != FolderRefusal::kNone) return nullptr;
    HANDLE h = sub.Get();
    std::wstring path = path_ + ToWide(name);
    // The handle moves into the folder.
    static_cast<void>(sub.Release());
    return std::make_unique<WinFolder>(h, path);
  }

  std::optional<std::vector<FolderEntry>> List() override {
    std::wstring pattern = ToWide(LongPathForm(FromWide(path_ + L"*"), kLongFilePath));
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
      std::wstring_view name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      entries.push_back({FromWide(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.Get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
  }

  FileFacts Facts(std::u16string_view name) override {
    FileHandle entry(OpenEntry(name, FILE_READ_ATTRIBUTES));
    if (!entry) {
      DWORD error = GetLastError();
      return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::kMissing
                                                                             : EntryKind::kOther};
    }
    FileFacts facts = FactsOf(entry.Get());
    if (facts.kind != EntryKind::kLink && !HandleResolvesToItself(entry.Get(), name))
      facts.kind = EntryKind::kLink;
    return facts;
  }

  std::optional<std::string> Read(std::u16string_view name, std::uint64_t limit) override {
    // Writers replace files by renaming, which an open without
    // FILE_SHARE_DELETE would block.
    FileHandle file(CreateFileW(Child(name, kLongFilePath).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !IsPlainFile(file.Get(), name)) return std::nullopt;
    FileFacts facts = FactsOf(file.Get());
    if (facts.size > limit) return std::nullopt;
    return ReadAll(file.Get(), facts.size);
  }

  bool Write(std::u16string_view name, std::string_view bytes) override {
    std::wstring pending = Child(PendingWriteName(name, UniqueText()), kLongFilePath);
    {
      FileHandle file(CreateFileW(pending.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!file) return false;
      // On disk before it takes the old file's place: after a power cut
      // either the old content or the new one is there, never a hole.
      if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) {
        DeleteHandle(file.Get());
        return false;
      }
    }
    if (MoveFileExW(pending.c_str(), Child(name, kLongFilePath).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(pending.c_str());
    return false;
  }

  bool Remove(std::u16string_view name) override {
    FileHandle file(OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES));
    if (!file || FactsOf(file.Get()).kind == EntryKind::kFolder) return false;
    return DeleteHandle(file.Get());
  }

  bool Rename(std::u16string_view from, std::u16string_view to) override {
    if (Facts(from).kind != EntryKind::kFile) return false;
    return MoveFileExW(Child(from, kLongFilePath).c_str(), Child(to, kLongFilePath).c_str(),
                       MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool SetModifiedTime(std::u16string_view name, std::int64_t seconds) override {
    FileHandle file(OpenEntry(name, FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES));
    if (!file || !IsPlainFile(file.Get(), name)) return false;
    FILETIME time = FileTimeOf(seconds);
    return SetFileTime(file.Get(), nullptr, nullptr, &time) != FALSE;
  }

  std::unique_ptr<FolderLock> Lock(std::u16string_view name, std::uint32_t waitMs) override {
    std::wstring path = Child(name, kLongFilePath);
    DWORD start = GetTickCount();
    for (;;) {
      HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        auto lock = std::make_unique<WinLock>(h);
        if (FactsOf(h).kind != EntryKind::kFile) return nullptr;
        return lock;
      }
      if (GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount() - start >= waitMs) return nullptr;
      Sleep(5);
    }
  }

  std::u16string UniqueText() override {
    return FromWide(std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++uniqueCounter) + L"-" +
                    std::to_wstring(GetTickCount()));
  }

 private:
  std::wstring Child(std::u16string_view name, std::size_t threshold) const {
    return ToWide(LongPathForm(FromWide(path_) + std::u16string(name), threshold));
  }

  // The entry itself, a link or junction included, never what it points to.
  HANDLE OpenEntry(std::u16string_view name, DWORD access) const {
    return CreateFileW(Child(name, kLongFilePath).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  }

  static bool IsPlainFile(HANDLE file, std::u16string_view name) {
    FileFacts facts = FactsOf(file);
    return facts.kind == EntryKind::kFile && facts.links == 1 && HandleResolvesToItself(file, name);
  }

  static bool DeleteHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
  }

  FileHandle handle_;
  std::wstring path_;
};

class WinFileSystem final : public FileSystem {
 public:
  char16_t Separator() const override { return u'\\'; }

  std::u16string TempFolder() override {
    // For the system account the newer call answers a folder that other
    // users cannot reach; older systems lack it.
    using TempPathCall = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const TempPathCall getTempPath = [] {
      FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W");
      return found != nullptr ? reinterpret_cast<TempPathCall>(reinterpret_cast<void*>(found))
                              : &GetTempPathW;
    }();
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = getTempPath(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
      buffer.assign(length + 1, L'\0');
      length = getTempPath(static_cast<DWORD>(buffer.size()), buffer.data());
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
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x40000000) return std::nullopt;
    return ReadAll(file.Get(), static_cast<std::uint64_t>(size.QuadPart));
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
      if (!file) return false;
      bool complete = WriteAll(file.Get(), bytes);
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
    if (!file) return false;
    FILETIME time = FileTimeOf(seconds);
    return SetFileTime(file.Get(), nullptr, nullptr, &time) != FALSE;
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
    if (!find) {
      // An empty folder still lists "." and "..", so this is a real failure.
      return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
      entries.push_back({FromWide(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.Get(), &data));
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
  }

  std::unique_ptr<Folder> OpenFolder(const std::u16string& path) override {
    std::wstring wide = ToWide(path);
    // Reached through links if need be: the temporary folder is the system's.
    HANDLE h =
        CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinFolder>(h, wide);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<WinFileSystem>();
}

}  // namespace plumeta
