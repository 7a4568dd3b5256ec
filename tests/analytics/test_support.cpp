#include "test_support.h"

#include <fstream>
#include <iterator>

#include "analytics/guid.h"
#include "analytics/long_path.h"

namespace plumeta::testing {

std::filesystem::path ToFsPath(const std::u16string& path) {
  return std::filesystem::path(path);
}

ScratchFolder::ScratchFolder() {
  auto files = MakeSystemFileSystem();
  auto guids = MakeSystemGuidSource();
  std::u16string id = GuidText(guids->NewGuid()).substr(1, 36);
  path_ = files->TempFolder() + u"plumeta-test-" + id;
  std::filesystem::create_directories(ToFsPath(path_));
  path_.push_back(files->Separator());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Tests make paths past the system's length limit inside the folder,
  // which only the long form reaches.
  std::filesystem::remove_all(ToFsPath(LongPathForm(path_.substr(0, path_.size() - 1), 0)), ignored);
}

std::string ReadAll(const std::u16string& path) {
  std::ifstream in(ToFsPath(path), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::u16string& path, std::string_view bytes) {
  std::ofstream out(ToFsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace plumeta::testing
