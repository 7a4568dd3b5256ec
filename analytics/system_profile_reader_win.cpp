#include <windows.h>

#include "analytics/profile_reader.h"
#include "analytics/win_text.h"

namespace plumeta {
namespace {

constexpr DWORD kFirstBufferChars = 65536;

// Splits the reader's list of zero-terminated strings ending in an empty one.
std::vector<std::u16string> SplitList(const std::wstring& buffer, DWORD count) {
  std::vector<std::u16string> items;
  std::size_t start = 0;
  while (start < count && buffer[start] != L'\0') {
    std::size_t end = buffer.find(L'\0', start);
    if (end == std::wstring::npos || end > count) end = count;
    items.push_back(FromWide(std::wstring_view(buffer).substr(start, end - start)));
    start = end + 1;
  }
  return items;
}

// Calls the reader into a buffer that doubles while the answer fills it.
template <typename Call>
std::vector<std::u16string> ReadList(Call call) {
  DWORD size = kFirstBufferChars;
  for (;;) {
    std::wstring buffer(size, L'\0');
    DWORD count = call(buffer.data(), size);
    if (count < size - 2 || size >= 0x40000000) return SplitList(buffer, count);
    size *= 2;
  }
}

class WinProfileReader final : public ProfileReader {
 public:
  explicit WinProfileReader(FileSystem& files) : fallback_(files) {}

  std::vector<ProfileSection> ReadProfile(const std::u16string& path) override {
    // The system reader does not take "\\?\" paths; such long paths are
    // parsed by the library with the same rules.
    if (path.starts_with(u"\\\\?\\")) return fallback_.ReadProfile(path);
    std::wstring file = ToWide(path);
    // The system keeps the last file it read in a cache that does not always
    // notice a rewrite within the same clock tick; this documented call
    // empties that cache so the file is read as it is now.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    std::vector<ProfileSection> sections;
    for (std::u16string& name : ReadList([&](wchar_t*buffer, DWORD size) {
           return GetPrivateProfileSectionNamesW(buffer, size, file.c_str());
         })) {
      std::wstring wideName = ToWide(name);
      std::vector<std::u16string> entries = ReadList([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileSectionW(wideName.c_str(), buffer, size, file.c_str());
      });
      sections.push_back({std::move(name), std::move(entries)});
    }
    return sections;
  }

 private:
  TextProfileReader fallback_;
};

}  // namespace

std::unique_ptr<ProfileReader> MakeSystemProfileReader(FileSystem& files) {
  return std::make_unique<WinProfileReader>(files);
}

}  // namespace plumeta
