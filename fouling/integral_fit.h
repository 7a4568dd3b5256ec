#pragma once
// The fouling laws fitted where the trial's error lies. The record keeps
// whole seconds, so every reading's time is off by up to half a second;
// resistances taken from the differences of consecutive readings magnify
// that error on short intervals, cumulative times do not. Each law is
// therefore fitted in its integrated constant-pressure form,
//   tau(W) = tau0 + integral of R(w) dw from 0 to W,
// by least squares on tau = t dP / mu, with tau0 free (the trial's first
// fitted reading carries its own rounding).

#include <optional>
#include <vector>

#include "fouling/fouling_models.h"

namespace vorsant {

// Cumulative readings: throughput W (m3/m2) and tau = t dP / mu (W times
// 1/m, dimensionless), in the order measured.
struct CumulativeReadings {
  std::vector<double> w, tau;
  // dP / mu, to turn seconds into tau; 0 when the readings were made up
  // from interval points and carry no stopwatch.
  double tauPerSecond = 0;
  // The stopwatch's resolution, s: whole seconds for the record's readings,
  // a tenth for a collection's every reading.
  double secondsResolution = 1;
};

struct IntegralFit {
  bool fitted = false;
  // The law's Rm and k, or the power model's R0, a and n.
  double rm = 0, k = 0, r0 = 0, a = 0, n = 0;
  double offset = 0;  // tau0
  double sse = 0;     // sum of squared tau residuals
  double shape = 0;   // where the search found it, in the law's search variable
};



// The free parameters of each fit, tau0 included.
int IntegralParameterCount(FoulingLaw law);

// Least squares on tau: for a fixed shape parameter (k, or the power
// model's n) the rest is linear, so the shape is searched on a wide grid
// and refined by golden section. Not fitted when there are fewer readings
// than parameters or no shape gives a positive resistance.
IntegralFit FitIntegral(FoulingLaw law, const CumulativeReadings& readings);

// The law refitted without each reading in turn, warm-started from the fit
// of all of them: one pass over a few shapes around `full` gives every
// refit's sums at once, the least squares of each refit between them by a
// parabola; a refit whose best lies outside those shapes is searched in
// full. Element j is the fit without reading j.
std::vector<IntegralFit> LeaveOneOutFits(FoulingLaw law, const CumulativeReadings& readings,
                                         const IntegralFit& full);

// The same without each block of contiguous readings in turn: block b runs
// from reading starts[b] up to starts[b + 1], and the last start is the
// count of readings. Element b is the fit without block b. The sums of all
// readings less one block's give every refit at a shape, so thousands of
// readings in a few dozen blocks cost hardly more than one fit.
std::vector<IntegralFit> LeaveBlocksOutFits(FoulingLaw law, const CumulativeReadings& readings,
                                            const IntegralFit& full, const std::vector<std::size_t>& starts);

// ConstantResistanceSse without each reading in turn, and without each block.
std::vector<double> LeaveOneOutConstantSse(const CumulativeReadings& readings);
std::vector<double> LeaveBlocksOutConstantSse(const CumulativeReadings& readings,
                                              const std::vector<std::size_t>& starts);

// Blocks of one reading each, and `blocks` contiguous blocks of sizes that
// differ by one reading at most (fewer when there are fewer readings).
std::vector<std::size_t> SingleReadingBlocks(std::size_t count);
std::vector<std::size_t> ContiguousBlocks(std::size_t count, std::size_t blocks);

// The readings without reading `skip`, and without readings from..to-1.
CumulativeReadings Without(const CumulativeReadings& readings, std::size_t skip);
CumulativeReadings WithoutSpan(const CumulativeReadings& readings, std::size_t from, std::size_t to);

// The best constant resistance (tau = tau0 + R W): what a trial that did not
// foul looks like. Its sum of squares is the scale the laws are judged on.
double ConstantResistanceSse(const CumulativeReadings& readings);

// Readings made up from interval points alone (their middles and
// resistances), for callers that have no stored trial.
CumulativeReadings ReadingsFromPoints(const std::vector<double>& w, const std::vector<double>& R);

}  // namespace vorsant
