#include "bench/bench_trials.h"

#include <cmath>
#include <string>

#include "trial/canonical_number.h"

namespace vorsant::bench {
namespace {

struct Setup {
  const char* labP;
  const char* diameter;
};

TWineRec Trial(Setup s) {
  TWineRec rec{};
  rec.Conditions.WineName.Set("Bench");
  rec.Conditions.FilterName.Set("0.45 um");
  rec.Conditions.VolType = 1;
  rec.Conditions.LabP.Set(s.labP);
  rec.Conditions.LabFiltDia.Set(s.diameter);
  rec.Conditions.ProdP.Set("  30");
  rec.Conditions.ProdA.Set("20.0");
  rec.Conditions.ProdRate.Set("40.0");
  return rec;
}

void SetPoint(TWineRec& rec, std::size_t i, double volumeMl, int seconds) {
  std::string sc = std::to_string(seconds % 60);
  if (sc.size() < 2) sc.insert(0, 1, '0');
  rec.Data.V[i].Set(CanonicalNumber(volumeMl, 1, 6));
  rec.Data.M[i].Set(CanonicalNumber(seconds / 60, 0, 3));
  rec.Data.Sc[i].Set(sc);
}

}  // namespace

TWineRec RealisticTrial() {
  TWineRec rec = Trial({"30.0", "47.0"});
  const double area = (0.047 / 2) * (0.047 / 2) * 3.14159;
  const double k = 30 * 6894.8 * area / 0.0015;
  double volume = 0;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    double dv = 1;
    for (int round = 0; round < 60; ++round) {
      const double w = (volume + dv / 2) / 1e6 / area;
      dv = 40 * k * 1e6 / (8e11 + 2e13 * std::pow(w, 1.4));
    }
    volume += dv;
    SetPoint(rec, i, volume, 40 * static_cast<int>(i + 1));
  }
  return rec;
}

TWineRec ConstantResistanceTrial(int intervalSeconds) {
  TWineRec rec = Trial({"1000", " 644"});
  for (std::size_t i = 0; i < kPointCount; ++i) {
    SetPoint(rec, i, 100.0 * static_cast<double>(i + 1), intervalSeconds * static_cast<int>(i + 1));
  }
  return rec;
}

}  // namespace vorsant::bench
