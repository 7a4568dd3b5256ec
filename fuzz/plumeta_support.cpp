#include "plumeta_support.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "analytics/text.h"

namespace plumeta::fuzz {
namespace {

std::string& ScratchFolder() {
  static std::string folder;
  return folder;
}

void RemoveScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(ScratchFolder(), ec);
}

}  // namespace

void UseScratchTempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/plumeta-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  ScratchFolder() = pattern;
  setenv("TMPDIR", pattern.c_str(), 1);
  std::atexit(RemoveScratchFolder);
}

Record::Record(std::string_view bytes) {
  for (std::size_t part = 0; part < 4; ++part) {
    const std::size_t end = bytes.find('\x01');
    parts_[part] = FromUtf8(bytes.substr(0, end));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
}

Platform Machine::MakePlatform(Storage& storage, int& posts) {
  return Platform{*storage.files,
                  storage.clock,
                  storage.guids,
                  id,
                  screen,
                  false,
                  [&posts](const std::u16string&) -> std::unique_ptr<FormSender> {
                    return std::make_unique<AcceptingSender>(posts);
                  },
                  u"http://collector.test"};
}

}  // namespace plumeta::fuzz
