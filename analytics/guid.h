#pragma once
// GUIDs and their text form, used for activity ids and session ids.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace plumeta {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": upper-case hexadecimal, 38 characters.
std::u16string GuidText(const Guid& guid);

// True for text of GuidText's shape, hexadecimal digits in either case.
bool IsGuidText(std::u16string_view text);

}  // namespace plumeta
