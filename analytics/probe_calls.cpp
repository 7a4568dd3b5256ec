#include "analytics/probe_calls.h"

namespace plumeta {

GrowingCallResult CallWithGrowingBuffer(
    std::uint32_t firstSize, const std::function<std::uint32_t(std::uint8_t*, std::uint32_t&)>& call) {
  constexpr int kMaxRounds = 8;
  GrowingCallResult out;
  std::uint32_t size = firstSize;
  for (int round = 0; round < kMaxRounds; ++round) {
    out.buffer.assign(size, 0);
    std::uint32_t wanted = size;
    out.result = call(out.buffer.data(), wanted);
    if (out.result != kErrorBufferOverflow || wanted <= size) return out;
    size = wanted;
  }
  return out;
}

std::u16string ReadLocaleText(const std::function<int(char16_t* buffer, int size)>& call) {
  int needed = call(nullptr, 0);
  if (needed <= 0) return {};
  std::u16string buffer(static_cast<std::size_t>(needed), u'\0');
  int written = call(buffer.data(), needed);
  if (written <= 0) return {};
  buffer.resize(static_cast<std::size_t>(written) <= buffer.size() ? static_cast<std::size_t>(written)
                                                                   : buffer.size());
  std::size_t zero = buffer.find(u'\0');
  if (zero != std::u16string::npos) buffer.resize(zero);
  return buffer;
}

}  // namespace plumeta
