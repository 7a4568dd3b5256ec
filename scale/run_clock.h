#pragma once
// The time a collection run is scheduled by. Elapsed times come from a
// steady clock, not the wall clock, so setting the computer's clock or a
// daylight-saving change during a run cannot shift or corrupt the points.

#include <chrono>

namespace vorsant {

class RunClock {
 public:
  using Seconds = std::chrono::duration<double>;
  virtual ~RunClock() = default;
  // Seconds from an arbitrary origin; never goes back.
  virtual Seconds Now() = 0;
  // Lets `span` pass (a short pause between rounds of the run).
  virtual void Sleep(Seconds span) = 0;
};

// Test hook: the environment variable VORSANT_TEST_TIME_SCALE, a factor by
// which run time passes faster than real time (60 makes a scheduled minute
// pass in one second), so end-to-end tests can run whole schedules. Absent,
// not a number or not above 0 means 1. Waits for the balance's reply are
// not scaled: they are about the device, not the schedule.
double TestTimeScale();

// Real time multiplied by `scale`.
class SteadyRunClock final : public RunClock {
 public:
  explicit SteadyRunClock(double scale = TestTimeScale());
  Seconds Now() override;
  void Sleep(Seconds span) override;
  // Run seconds per real second.
  double Scale() const { return scale_; }

 private:
  double scale_;
  std::chrono::steady_clock::time_point origin_;
};

}  // namespace vorsant
