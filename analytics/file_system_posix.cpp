#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

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
    fs::path pending = ToPath(PendingWritePath(path));
    {
      std::ofstream out(pending, std::ios::binary | std::ios::trunc);
      if (!out) return false;
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) {
        std::error_code ignored;
        fs::remove(pending, ignored);
        return false;
      }
    }
    std::error_code ec;
    fs::rename(pending, ToPath(path), ec);
    if (!ec) return true;
    std::error_code ignored;
    fs::remove(pending, ignored);
    return false;
  }

  bool RemoveFile(const std::u16string& path) override {
    std::error_code ec;
    return fs::remove(ToPath(path), ec);
  }

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
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace plumeta
