#include "graphs/graph_data.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "graphs/graph_math.h"
#include "trial/number_text.h"

namespace vorsant {

GraphPoints ReadGraphPoints(const TWineRec& rec) {
  GraphPoints p;
  int n = 0;
  for (std::size_t k = 0; k < kPointCount; ++k) {
    p.X[k] = StoredNumberOr0(rec.TableData[k].VA.Str());
    p.Y[k] = StoredNumberOr0(rec.TableData[k].R.Str());
    n = static_cast<int>(k) + 1;
    if (k + 1 < kPointCount) {
      const std::string next = rec.TableData[k + 1].V.Str();
      if (next.empty() || next == "    ") break;
    }
  }
  p.Count = n;

  // The value after the last point counts as 0, as in the analysis.
  const auto y = [&](int k) { return k <= n ? p.Y[static_cast<std::size_t>(k - 1)] : 0.0; };
  int u = std::min<int>(rec.Data.MinSkip, n);
  while (u < n && y(u + 1) > y(u + 2)) ++u;
  p.Unused = u;
  return p;
}

std::optional<PowerModel> ReadPowerModel(const TWineRec& rec) {
  const auto b = ParseStoredNumber(rec.bP.Str());
  const auto rm = ParseStoredNumber(rec.RmP.Str());
  if (!b || !rm) return std::nullopt;
  const double c = rec.aReal.Value() / 1e9;
  if (!std::isfinite(c)) return std::nullopt;
  return PowerModel{*rm, *b, c};
}

bool IsUnanalysable(const TWineRec& rec) {
  return rec.RmE.Str() == "   neg";
}

std::optional<PowerModel> CurveToDraw(const TWineRec& rec, const GraphPoints& points) {
  if (points.Used() < 4 || IsUnanalysable(rec)) return std::nullopt;
  return ReadPowerModel(rec);
}

std::optional<double> CurveCrossing(const PowerModel& model, double level) {
  if (!(level - model.Rm > 0) || !(model.c > 0) || model.b == 0) return std::nullopt;
  const double x = std::exp((std::log(level - model.Rm) - std::log(model.c)) / model.b);
  if (std::isnan(x)) return std::nullopt;
  return x;
}

GraphRanges LabRanges(const GraphPoints& points, double rm) {
  GraphRanges r;
  const std::size_t n = static_cast<std::size_t>(points.Count);

  r.MinX = 0;
  r.MaxX = (std::trunc(2 * points.X[n - 1]) + 1) / 2;
  if (r.MaxX < 0.5) r.MaxX = 0.5;
  if (r.MaxX > 100) r.MaxX = 100;

  double maxY = 0;
  double minY = 1e38;
  for (std::size_t k = 0; k < n; ++k) {
    maxY = std::max(maxY, points.Y[k]);
    minY = std::min(minY, points.Y[k]);
  }
  if (maxY - minY < 10) maxY = minY + 10;
  maxY = (std::trunc(maxY / 10) + 1) * 10;
  minY = std::trunc(minY / 10) * 10;
  if (rm < minY) minY = 0;
  if (maxY - minY > 100) minY = 0;
  r.MinY = minY;
  r.MaxY = maxY;
  return r;
}

GraphRanges ProdRanges(const GraphPoints& points, const std::optional<PowerModel>& model, double rmax) {
  GraphRanges r;
  const std::size_t n = static_cast<std::size_t>(points.Count);

  r.MinY = 0;
  double maxY = std::max(0.0, rmax);
  for (std::size_t k = 0; k < n; ++k) maxY = std::max(maxY, points.Y[k]);
  double scaled = 1.05 * maxY / 10;
  // Only a value near the top of the double range overflows; dividing first keeps it finite.
  if (!std::isfinite(scaled)) scaled = 1.05 * (maxY / 10);
  maxY = RoundHalfEven(scaled) * 10;
  if (!std::isfinite(maxY)) maxY = std::numeric_limits<double>::max();
  if (maxY < 10) maxY = 10;
  r.MaxY = maxY;

  r.MinX = 0;
  double maxX = points.X[n - 1];
  if (model && model->Rm > 0) {
    if (const auto xc = CurveCrossing(*model, maxY); xc && *xc > maxX) maxX = *xc;
  }
  maxX = std::clamp(maxX, 1.0, 9999.0);
  r.MaxX = std::trunc(maxX) + 1;
  return r;
}

}  // namespace vorsant
