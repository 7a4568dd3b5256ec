#include "analytics/form_body.h"

#include "analytics/text.h"

namespace plumeta {
namespace {

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%' || byte == '&' || byte == '+';
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  return 4;
}

}  // namespace

std::string EncodeFormText(std::u16string_view text, std::size_t maxBytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string utf8 = ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = SequenceLength(lead);
    bool escape = length == 1 && NeedsEscape(lead);
    std::size_t needed = escape ? 3 : length;
    if (needed > maxBytes - out.size()) break;
    if (escape) {
      out.push_back('%');
      out.push_back(kHex[lead >> 4]);
      out.push_back(kHex[lead & 0xF]);
    } else {
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

std::vector<std::string> RenderFormFields(const FormFields& fields) {
  std::vector<std::string> rendered;
  rendered.reserve(fields.size());
  for (const auto& [key, value] : fields) {
    std::string field = EncodeFormText(key);
    // One byte of the buffer goes to "&" or to the terminating zero.
    if (field.size() + 2 > kFieldBufferBytes) throw ClientExcept(kClientFieldTooLong);
    field.push_back('=');
    field += EncodeFormText(value, kFieldBufferBytes - 1 - field.size());
    rendered.push_back(std::move(field));
  }
  for (std::size_t i = 0; i + 1 < rendered.size(); ++i) rendered[i].push_back('&');
  return rendered;
}

std::string JoinFields(const std::vector<std::string>& rendered) {
  std::string body;
  for (const std::string& field : rendered) body += field;
  return body;
}

}  // namespace plumeta
