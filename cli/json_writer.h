#pragma once
// A small streaming JSON writer: objects, arrays, strings and numbers, two
// spaces of indentation per level. Strings are taken as UTF-8; bytes that
// are not (a file name from a foreign system) become U+FFFD, so the output
// always parses.

#include <ostream>
#include <string_view>
#include <vector>

namespace vorsant::cli {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The name of the next member of the current object.
  void Key(std::string_view name);
  void String(std::string_view utf8);
  void Number(double value);  // finite values only; others are written as null
  void Integer(long long value);
  void Boolean(bool value);
  void Null();

 private:
  void Open(char bracket);
  void Close(char bracket);
  void BeforeValue();
  void Indent();
  void WriteString(std::string_view s);

  std::ostream& out_;
  std::vector<bool> hasMembers_;  // one entry per open object or array
  bool afterKey_ = false;
};

}  // namespace vorsant::cli
