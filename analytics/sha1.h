#pragma once
// SHA-1 (FIPS 180-1), used only to derive the client id from machine data.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plumeta {

class Sha1 {
 public:
  using Digest = std::array<std::uint8_t, 20>;

  void Update(std::string_view bytes);
  // Pads the message and returns its digest; the object is spent afterwards.
  Digest Finish();

  static Digest Of(std::string_view bytes) {
    Sha1 sha;
    sha.Update(bytes);
    return sha.Finish();
  }

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 5> state_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t totalBytes_ = 0;
};

}  // namespace plumeta
