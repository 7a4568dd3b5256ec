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

bool IsGuidText(std::u16string_view text) {
  static constexpr std::u16string_view kShape = u"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool hex = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    if (kShape[i] == u'X' ? !hex : c != kShape[i]) return false;
  }
  return true;
}

}  // namespace plumeta
