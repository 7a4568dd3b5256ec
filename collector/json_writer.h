#pragma once
// A compact JSON text built call by call; commas are placed by the writer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace collector {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view text);
  JsonWriter& Number(std::int64_t number);
  JsonWriter& Bool(bool value);
  std::string Take() { return std::move(out_); }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void BeforeValue();
  void Quoted(std::string_view text);

  std::string out_;
  std::vector<bool> first_;  // per open bracket: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace collector
