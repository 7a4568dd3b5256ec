#include "analytics/guid.h"

namespace plumeta {
namespace {

void AppendHex(std::u16string& out, std::uint32_t value, int digits) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 0xF]);
}

}  // namespace

std::u16string GuidText(const Guid& guid) {
  std::u16string out;
  out.reserve(38);
  out.push_back(u'{');
  AppendHex(out, guid.data1, 8);
  out.push_back(u'-');
  AppendHex(out, guid.data2, 4);
  out.push_back(u'-');
  AppendHex(out, guid.data3, 4);
  out.push_back(u'-');
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    if (i == 2) out.push_back(u'-');
    AppendHex(out, guid.data4[i], 2);
  }
  out.push_back(u'}');
  return out;
}

}  // namespace plumeta
