#pragma once
// The machine facilities the analytics core needs beyond files: the tick
// count that dates hits and the GUID generator that names them. The system
// implementations live in system_services_<platform>.cpp.

#include <cstdint>
#include <memory>

#include "analytics/guid.h"

namespace plumeta {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since system start, wrapping at 2^32 like the system tick count.
  virtual std::uint32_t TickCount() = 0;
};

class GuidSource {
 public:
  virtual ~GuidSource() = default;
  virtual Guid NewGuid() = 0;
};

std::unique_ptr<Clock> MakeSystemClock();
std::unique_ptr<GuidSource> MakeSystemGuidSource();

}  // namespace plumeta
