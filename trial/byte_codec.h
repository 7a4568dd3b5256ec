#pragma once
// Bounds-checked little-endian access to fixed-layout binary records. Every
// access names its offset and is checked against the buffer, so a damaged or
// short buffer can never be read or written past its end.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace vorsant {

inline void CheckRange(std::size_t size, std::size_t offset, std::size_t count) {
  if (offset > size || count > size - offset) throw std::out_of_range("record field outside its buffer");
}

inline std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  CheckRange(bytes.size(), offset, 2);
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::int16_t GetI16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int16_t>(GetU16(bytes, offset));
}

inline std::int32_t GetI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  CheckRange(bytes.size(), offset, 4);
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes[offset + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(v);
}

inline void PutU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  CheckRange(bytes.size(), offset, 2);
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutI16(std::span<std::uint8_t> bytes, std::size_t offset, std::int16_t value) {
  PutU16(bytes, offset, static_cast<std::uint16_t>(value));
}

inline void PutI32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
  CheckRange(bytes.size(), offset, 4);
  auto v = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace vorsant
