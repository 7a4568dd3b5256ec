#include "analytics/long_path.h"

namespace plumeta {

std::u16string LongPathForm(const std::u16string& path, std::size_t threshold) {
  static constexpr std::u16string_view kPrefix = u"\\\\?\\";
  if (path.size() < threshold) return path;
  if (path.starts_with(kPrefix)) return path;
  if (path.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 2 && path[1] == u':') return std::u16string(kPrefix) + path;
  return path;
}

}  // namespace plumeta
