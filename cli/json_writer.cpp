#include "cli/json_writer.h"

#include <charconv>
#include <cmath>
#include <string>

#include "trial/cp1252.h"

namespace vorsant::cli {

void JsonWriter::Indent() {
  out_ << '\n' << std::string(2 * hasMembers_.size(), ' ');
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (hasMembers_.empty()) return;
  if (hasMembers_.back()) out_ << ',';
  hasMembers_.back() = true;
  Indent();
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ << bracket;
  hasMembers_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  const bool any = hasMembers_.back();
  hasMembers_.pop_back();
  if (any) Indent();
  out_ << bracket;
  if (hasMembers_.empty()) out_ << '\n';
}

void JsonWriter::Key(std::string_view name) {
  BeforeValue();
  WriteString(name);
  out_ << ": ";
  afterKey_ = true;
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  WriteString(utf8);
}

void JsonWriter::Number(double value) {
  BeforeValue();
  if (!std::isfinite(value)) {
    out_ << "null";
    return;
  }
  if (value == 0) value = 0.0;  // no "-0"
  char buf[32];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  out_ << std::string_view(buf, ec == std::errc() ? static_cast<std::size_t>(ptr - buf) : 0);
}

void JsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

void JsonWriter::Integer(long long value) {
  BeforeValue();
  out_ << value;
}

void JsonWriter::Boolean(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

void JsonWriter::WriteString(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string s = ValidUtf8(bytes);
  out_ << '"';
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out_ << "\\\"";
        break;
      case '\\':
        out_ << "\\\\";
        break;
      case '\n':
        out_ << "\\n";
        break;
      case '\r':
        out_ << "\\r";
        break;
      case '\t':
        out_ << "\\t";
        break;
      default:
        if (b < 0x20) {
          out_ << "\\u00" << kHex[b >> 4] << kHex[b & 0xF];
        } else {
          out_ << c;
        }
    }
  }
  out_ << '"';
}

}  // namespace vorsant::cli
