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

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
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
    if (end == fraction) return std::nullopt;
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

double NumberOr0(std::string_view text) {
  return ParseDecimal(text).value_or(0.0);
}

std::string Fixed(double x, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  std::string body;
  if (!std::isfinite(x)) {
    body = std::isnan(x) ? "nan" : (x < 0 ? "-inf" : "inf");
  } else {
    // Large enough for any double in fixed notation (309 digits) plus decimals.
    std::string buf(static_cast<std::size_t>(330 + decimals), '\0');
    const auto [ptr, ec] =
        std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed, decimals);
    body.assign(buf.data(), ec == std::errc() ? ptr : buf.data());
    // A value that rounds to zero prints as zero, not as "-0.0".
    if (!body.empty() && body.front() == '-' && body.find_first_not_of("0.", 1) == std::string::npos) {
      body.erase(0, 1);
    }
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
