#include "analytics/storage_paths.h"

#include <algorithm>

#include "analytics/long_path.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

void AppendPart(std::u16string& path, char16_t separator, std::u16string_view part) {
  if (!path.empty() && path.back() != separator) path.push_back(separator);
  path.append(part);
}

// Checks the folder at `path` and every folder below it on the way to
// `path`+`rest`, creating the missing ones. False at the first one that is
// not a plain folder.
bool MakePlainFolders(FileSystem& files, std::u16string path, std::u16string_view rest) {
  char16_t separator = files.Separator();
  for (;;) {
    std::u16string form = LongPathForm(path, kLongFolderPath);
    EntryKind kind = files.Kind(form);
    if (kind == EntryKind::kMissing) {
      if (!files.MakeFolders(form) || files.Kind(form) != EntryKind::kFolder) return false;
    } else if (kind != EntryKind::kFolder) {
      return false;
    }
    while (!rest.empty() && rest.front() == separator) rest.remove_prefix(1);
    if (rest.empty()) return true;
    std::size_t cut = rest.find(separator);
    AppendPart(path, separator, rest.substr(0, cut));
    rest = cut == std::u16string_view::npos ? std::u16string_view() : rest.substr(cut);
  }
}

}  // namespace

std::u16string StorageFolder(FileSystem& files, std::u16string_view productName,
                             std::u16string_view productVersion) {
  char16_t separator = files.Separator();
  std::u16string temp = files.TempFolder();
  if (temp.empty()) return {};
  std::u16string below;
  AppendPart(below, separator, kStorageRootName);
  AppendPart(below, separator, productName);
  AppendPart(below, separator, productVersion);
  // The temporary folder is checked without its closing separator, which
  // would make the system look through a link.
  std::u16string top = temp;
  while (top.size() > 1 && top.back() == separator) top.pop_back();
  if (!MakePlainFolders(files, top, below)) return {};
  std::u16string path = temp;
  AppendPart(path, separator, below);
  return LongPathForm(path, kLongFolderPath);
}

bool IsPlainFileOrMissing(FileSystem& files, const std::u16string& path) {
  EntryKind kind = files.Kind(path);
  return kind == EntryKind::kFile || kind == EntryKind::kMissing;
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
