#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "analytics/system_services.h"

namespace plumeta {
namespace {

class TickClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return GetTickCount(); }
};

class ComGuidSource final : public GuidSource {
 public:
  Guid NewGuid() override {
    GUID raw{};
    // A failure leaves the all-zero GUID, which still forms valid text.
    if (FAILED(CoCreateGuid(&raw))) raw = GUID{};
    Guid g;
    g.data1 = raw.Data1;
    g.data2 = raw.Data2;
    g.data3 = raw.Data3;
    std::memcpy(g.data4.data(), raw.Data4, sizeof raw.Data4);
    return g;
  }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() {
  return std::make_unique<TickClock>();
}
std::unique_ptr<GuidSource> MakeSystemGuidSource() {
  return std::make_unique<ComGuidSource>();
}

}  // namespace plumeta
