#include "analytics/storage_paths.h"

#include <algorithm>

#include "analytics/long_path.h"
#include "analytics/numbers.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

void AppendPart(std::u16string& path, char16_t separator, std::u16string_view part) {
  if (!path.empty() && path.back() != separator) path.push_back(separator);
  path.append(part);
}

bool IsReservedDeviceName(std::u16string_view name) {
  // The device names count whatever follows a dot ("NUL.txt").
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
    if (EqualsNoCase(stem, device)) return true;
  }
  return stem.size() == 4 &&
         (EqualsNoCase(stem.substr(0, 3), u"COM") || EqualsNoCase(stem.substr(0, 3), u"LPT")) &&
         stem[3] >= u'1' && stem[3] <= u'9';
}

}  // namespace

std::u16string SafePathName(std::u16string_view name) {
  std::u16string safe;
  for (char16_t c : name) {
    bool unsafe =
        c < 0x20 || c == 0x7F || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos;
    safe.push_back(unsafe ? u'_' : c);
  }
  while (!safe.empty() && (safe.back() == u'.' || safe.back() == u' ')) safe.pop_back();
  if (safe.empty() || IsReservedDeviceName(safe)) safe.insert(safe.begin(), u'_');
  return safe;
}

std::unique_ptr<Folder> OpenStorageFolder(FileSystem& files, std::u16string_view productName,
                                          std::u16string_view productVersion, FolderRefusal& why) {
  why = FolderRefusal::kUnavailable;
  std::u16string temp = files.TempFolder();
  if (temp.empty()) return nullptr;
  std::unique_ptr<Folder> folder = files.OpenFolder(LongPathForm(temp, kLongFolderPath));
  for (std::u16string name :
       {std::u16string(kStorageRootName), SafePathName(productName), SafePathName(productVersion)}) {
    if (!folder) return nullptr;
    folder = folder->OpenSubfolder(name, why);
  }
  return folder;
}

std::u16string StorageFolder(FileSystem& files, std::u16string_view productName,
                             std::u16string_view productVersion) {
  FolderRefusal why = FolderRefusal::kNone;
  if (!OpenStorageFolder(files, productName, productVersion, why)) return {};
  return LongPathForm(StoragePath(files, productName, productVersion), kLongFolderPath);
}

std::u16string StoragePath(FileSystem& files, std::u16string_view productName,
                           std::u16string_view productVersion) {
  char16_t separator = files.Separator();
  std::u16string path = files.TempFolder();
  AppendPart(path, separator, kStorageRootName);
  AppendPart(path, separator, SafePathName(productName));
  AppendPart(path, separator, SafePathName(productVersion));
  return path;
}

std::u16string FilePath(const FileSystem& files, std::u16string_view folder, std::u16string_view name) {
  std::u16string path(folder);
  AppendPart(path, files.Separator(), name);
  return LongPathForm(path, kLongFilePath);
}

bool IsSessionFileName(std::u16string_view name) {
  std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return false;
  std::size_t slash = name.rfind(u'\\');
  if (slash != std::u16string_view::npos && slash > dot) return false;
  return EqualsNoCase(name.substr(dot + 1), kSessionExtension);
}

bool ListedBefore(std::u16string_view a, std::u16string_view b) {
  int folded = CompareNoCase(a, b);
  if (folded != 0) return folded < 0;
  return a < b;
}

std::vector<std::u16string> SessionFiles(FileSystem& files, std::u16string_view folder) {
  std::vector<std::u16string> names;
  if (auto entries = files.ListFolder(std::u16string(folder))) {
    for (FolderEntry& entry : *entries) {
      if (!entry.isDirectory && IsSessionFileName(entry.name)) names.push_back(std::move(entry.name));
    }
  }
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return ListedBefore(a, b); });
  std::vector<std::u16string> paths;
  paths.reserve(names.size());
  for (const std::u16string& name : names) paths.push_back(FilePath(files, folder, name));
  return paths;
}

}  // namespace plumeta

namespace plumeta {

std::u16string ClaimName(std::u16string_view name, std::int64_t seconds, std::u16string_view unique) {
  return std::u16string(name) + u"." + FormatInt64(seconds) + u"-" + std::u16string(unique) + u"." +
         std::u16string(kClaimExtension);
}

std::optional<Claim> ParseClaimName(std::u16string_view name) {
  std::u16string suffix = u"." + std::u16string(kClaimExtension);
  if (name.size() <= suffix.size() || !EqualsNoCase(name.substr(name.size() - suffix.size()), suffix)) {
    return std::nullopt;
  }
  name.remove_suffix(suffix.size());
  std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return std::nullopt;
  std::u16string_view stamp = name.substr(dot + 1);
  std::u16string_view seconds = stamp.substr(0, stamp.find(u'-'));
  if (seconds.empty()) return std::nullopt;
  return Claim{std::u16string(name.substr(0, dot)), ParseInt64(seconds)};
}

bool IsPendingName(std::u16string_view name) {
  return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), u".new");
}

}  // namespace plumeta
