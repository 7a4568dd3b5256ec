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

}  // namespace

std::u16string StorageFolder(FileSystem& files, std::u16string_view productName,
                             std::u16string_view productVersion) {
  char16_t separator = files.Separator();
  std::u16string path = files.TempFolder();
  AppendPart(path, separator, kStorageRootName);
  AppendPart(path, separator, productName);
  AppendPart(path, separator, productVersion);
  path = LongPathForm(path, kLongFolderPath);
  files.MakeFolders(path);
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
