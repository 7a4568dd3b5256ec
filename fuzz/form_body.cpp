// Texts of any UTF-16 code units, as hits carry them from the installer, the
// machine and the session files, rendered into a request body. Besides not
// crashing: an encoded text keeps to its byte limit, carries no raw byte
// that would end or alter a field, and decodes to a prefix of the text.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "analytics/form_body.h"
#include "analytics/text.h"

using namespace plumeta;

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The form decoder's view of an encoded text; aborts on a malformed one.
std::string Decode(const std::string& encoded) {
  std::string out;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(encoded[i]);
    if (byte < 0x20 || byte == 0x7F || byte == '&' || byte == '+') std::abort();
    if (byte != '%') {
      out.push_back(encoded[i]);
      continue;
    }
    if (i + 2 >= encoded.size()) std::abort();
    const int high = HexValue(encoded[i + 1]);
    const int low = HexValue(encoded[i + 2]);
    if (high < 0 || low < 0) std::abort();
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t limit = data[0] | (data[1] << 8);
  std::u16string text;
  for (std::size_t i = 2; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

  const std::string utf8 = ToUtf8(text);
  if (Decode(EncodeFormText(text)) != utf8) std::abort();
  const std::string cut = EncodeFormText(text, limit);
  if (cut.size() > limit || !utf8.starts_with(Decode(cut))) std::abort();

  // The text's lines, taken in pairs, as the fields of one hit.
  FormFields fields;
  std::size_t start = 0;
  std::vector<std::u16string> lines;
  while (start <= text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) fields.emplace_back(lines[i], lines[i + 1]);
  try {
    const std::vector<std::string> rendered = RenderFormFields(fields);
    // A field and its "&", or the last one and its terminating zero.
    for (std::size_t i = 0; i < rendered.size(); ++i) {
      const std::size_t last = i + 1 == rendered.size() ? 1 : 0;
      if (rendered[i].size() + last > kFieldBufferBytes) std::abort();
    }
    (void)JoinFields(rendered);
  } catch (const ClientExcept& e) {
    if (e.code() != kClientFieldTooLong) std::abort();
  }
  return 0;
}
