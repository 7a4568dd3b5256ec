#include "scale/run_clock.h"

#include <cstdlib>
#include <optional>
#include <thread>

#include "trial/number_text.h"

namespace vorsant {

double TestTimeScale() {
  const char* text = std::getenv("VORSANT_TEST_TIME_SCALE");
  if (text == nullptr) return 1.0;
  const std::optional<double> factor = ParseDecimal(text);
  return factor && *factor > 0 ? *factor : 1.0;
}

SteadyRunClock::SteadyRunClock(double scale)
    : scale_(scale > 0 ? scale : 1.0), origin_(std::chrono::steady_clock::now()) {}

RunClock::Seconds SteadyRunClock::Now() {
  return Seconds(std::chrono::steady_clock::now() - origin_) * scale_;
}

void SteadyRunClock::Sleep(Seconds span) {
  if (span.count() > 0) std::this_thread::sleep_for(span / scale_);
}

}  // namespace vorsant
