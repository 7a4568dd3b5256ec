#include "trial/number_text.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace vorsant {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Index just past a run of digits starting at `i`.
std::size_t SkipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// The decimal grammar; with `barePoint`, digits may also end in a point with
// no fraction and nothing after it.
std::optional<double> Parse(std::string_view text, bool barePoint) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t numberStart = i;
  std::size_t end = SkipDigits(text, i);
  if (end == i) return std::nullopt;  // at least one digit before any "."
  if (end < text.size() && text[end] == '.') {
    const std::size_t fraction = end + 1;
    end = SkipDigits(text, fraction);
    if (end == fraction && !(barePoint && end == text.size())) return std::nullopt;
  }
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t e = end + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    const std::size_t expEnd = SkipDigits(text, e);
    if (expEnd == e) return std::nullopt;
    end = expEnd;
  }
  if (end != text.size()) return std::nullopt;

  // from_chars takes no '+' and no blanks, so it sees only the checked body.
  double value = 0;
  const char* first = text.data() + numberStart;
  const char* last = text.data() + end;
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  return Parse(text, false);
}

double NumberOr0(std::string_view text) {
  return ParseDecimal(text).value_or(0.0);
}

std::optional<double> ParseStoredNumber(std::string_view text) {
  return Parse(text, true);
}

double StoredNumberOr0(std::string_view text) {
  return ParseStoredNumber(text).value_or(0.0);
}

std::string Fixed(double x, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  std::string body;
  if (!std::isfinite(x)) {
    body = std::isnan(x) ? "nan" : (x < 0 ? "-inf" : "inf");
  } else {
    // Round the shortest decimal text that reads back as x, half away from
    // zero: a typed 7.25 or 0.15 then rounds up as the user expects, where
    // rounding the binary value would give 7.2 (a tie to even) or 0.1.
    char buf[512];  // the longest fixed form of a double has about 330 characters
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::fixed);
    const std::string shortest(buf, ec == std::errc() ? ptr : buf);
    const std::size_t point = shortest.find('.');
    std::string digits = shortest.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : shortest.substr(point + 1);
    const auto keep = static_cast<std::size_t>(decimals);
    const bool roundUp = fraction.size() > keep && fraction[keep] >= '5';
    fraction.resize(keep, '0');
    digits += fraction;
    if (roundUp) {
      std::size_t i = digits.size();
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i == 0) {
        digits.insert(0, 1, '1');
      } else {
        ++digits[i - 1];
      }
    }
    const std::size_t whole = digits.size() - keep;
    body = digits.substr(0, whole);
    if (keep > 0) {
      body += '.';
      body.append(digits, whole);
    }
    // A value that rounds to zero prints as zero, not as "-0.0".
    if (std::signbit(x) && digits.find_first_not_of('0') != std::string::npos) body.insert(0, 1, '-');
  }
  if (width > 0 && body.size() < static_cast<std::size_t>(width)) {
    body.insert(0, static_cast<std::size_t>(width) - body.size(), ' ');
  }
  return body;
}

std::string Grouped(double x, std::string_view separator) {
  std::string digits = Fixed(x, 0, 0);
  bool negative = false;
  if (!digits.empty() && digits.front() == '-') {
    negative = true;
    digits.erase(0, 1);
  }
  if (digits.empty() || !IsDigit(digits.front())) return (negative ? "-" : "") + digits;
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out.append(separator);
    out.push_back(digits[i]);
  }
  return negative ? "-" + out : out;
}

}  // namespace vorsant
