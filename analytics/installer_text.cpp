#include "analytics/installer.h"

namespace plumeta {

std::u16string ReadInstallerText(const InstallerTextCall& call) {
  char16_t empty[1] = {u'\0'};
  std::uint32_t length = 0;
  std::uint32_t result = call(empty, length);
  if (result != kInstallerMoreData) return {};
  // The value may have grown between the two calls; one more try covers a
  // change made by another thread, more would mean it keeps changing.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (length >= 0x7FFFFFFEu) return {};
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    std::uint32_t size = length + 1;
    result = call(buffer.data(), size);
    if (result == kInstallerSuccess) {
      buffer.resize(size < buffer.size() ? size : buffer.size() - 1);
      return buffer;
    }
    if (result != kInstallerMoreData) return {};
    length = size;
  }
  return {};
}

}  // namespace plumeta
