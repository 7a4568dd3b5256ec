#pragma once
// The calling patterns of the machine probes' system calls, kept apart from
// the calls themselves so they can be tested anywhere.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plumeta {

inline constexpr std::uint32_t kAdapterFirstBufferBytes = 648;
inline constexpr std::uint32_t kErrorBufferOverflow = 111;

struct GrowingCallResult {
  std::uint32_t result = 0;
  std::vector<std::uint8_t> buffer;
};

// Calls `call(buffer, size)` with a buffer of `firstSize` bytes and, while
// it answers 111 (buffer overflow) with a larger size in `size`, again with
// a buffer of that size. A list that keeps growing is given up after a few
// rounds with the last answer.
GrowingCallResult CallWithGrowingBuffer(
    std::uint32_t firstSize, const std::function<std::uint32_t(std::uint8_t*, std::uint32_t&)>& call);

// A locale text: ask for the needed length (no buffer), then fill a buffer
// of that many characters; the text without its terminating zero, or empty
// when either call answers 0.
std::u16string ReadLocaleText(const std::function<int(char16_t* buffer, int size)>& call);

}  // namespace plumeta
