#include "collector/json_writer.h"

namespace collector {

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_.push_back(',');
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeforeValue();
  out_.push_back(bracket);
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  out_.push_back(bracket);
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  Quoted(key);
  out_.push_back(':');
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
  BeforeValue();
  Quoted(text);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t number) {
  BeforeValue();
  out_ += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

// The stored texts are checked UTF-8, so only quotes, backslashes and
// control characters need escapes.
void JsonWriter::Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out_.push_back('"');
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out_.push_back('\\');
      out_.push_back(c);
    } else if (c == '\n') {
      out_ += "\\n";
    } else if (byte < 0x20) {
      out_ += "\\u00";
      out_.push_back(kHex[byte >> 4]);
      out_.push_back(kHex[byte & 0xF]);
    } else {
      out_.push_back(c);
    }
  }
  out_.push_back('"');
}

}  // namespace collector
