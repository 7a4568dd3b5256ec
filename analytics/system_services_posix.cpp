#include <chrono>
#include <random>

#include "analytics/system_services.h"

namespace plumeta {
namespace {

class SteadyClock final : public Clock {
 public:
  std::uint32_t TickCount() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
  }
};

// A random (version 4) GUID, seeded once from the system's entropy source.
class RandomGuidSource final : public GuidSource {
 public:
  RandomGuidSource() : engine_(Seed()) {}

  Guid NewGuid() override {
    std::uint64_t high = engine_();
    std::uint64_t low = engine_();
    Guid g;
    g.data1 = static_cast<std::uint32_t>(high >> 32);
    g.data2 = static_cast<std::uint16_t>(high >> 16);
    g.data3 = static_cast<std::uint16_t>((high & 0x0FFF) | 0x4000);
    for (std::size_t i = 0; i < 8; ++i) g.data4[i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
    g.data4[0] = static_cast<std::uint8_t>((g.data4[0] & 0x3F) | 0x80);
    return g;
  }

 private:
  static std::mt19937_64 Seed() {
    std::random_device device;
    std::seed_seq seq{device(), device(), device(), device()};
    return std::mt19937_64(seq);
  }

  std::mt19937_64 engine_;
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() {
  return std::make_unique<SteadyClock>();
}
std::unique_ptr<GuidSource> MakeSystemGuidSource() {
  return std::make_unique<RandomGuidSource>();
}

}  // namespace plumeta
