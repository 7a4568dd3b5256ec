#include "analytics/numbers.h"

namespace plumeta {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

std::int32_t ParsePropertyInt(std::u16string_view text, std::size_t maxCount) {
  std::size_t limit = maxCount == 0 || maxCount > text.size() ? text.size() : maxCount;
  std::size_t i = 0;
  bool negative = false;
  if (i < limit && text[i] == u'-') {
    negative = true;
    ++i;
  }
  // Unsigned arithmetic wraps where a signed one would overflow.
  std::uint32_t value = 0;
  for (; i < limit && IsDigit(text[i]); ++i) value = value * 10u + static_cast<std::uint32_t>(text[i] - u'0');
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int64_t ParseInt64(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  std::uint64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    value = value * 10u + static_cast<std::uint64_t>(text[i] - u'0');
  if (negative) value = 0u - value;
  return static_cast<std::int64_t>(value);
}

std::u16string FormatInt64(std::int64_t value) {
  // Work on the magnitude as unsigned so the most negative value is safe.
  std::uint64_t magnitude =
      value < 0 ? 0u - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits.insert(digits.begin(), u'-');
  return digits;
}

std::u16string FormatUInt32(std::uint32_t value) {
  return FormatInt64(value);
}

}  // namespace plumeta
