#include "trial_builder.h"

#include <cmath>

#include "trial/canonical_number.h"
#include "trial/number_text.h"

namespace vorsant::testing {

TWineRec MakeTrial(const Conditions& c) {
  TWineRec rec{};
  rec.Conditions.WineName.Set("Chardonnay");
  rec.Conditions.FilterName.Set("0.45 um");
  rec.Conditions.VolType = 1;
  rec.Conditions.WineType = c.WineType;
  rec.Conditions.LabP.Set(c.LabP);
  rec.Conditions.LabFiltDia.Set(c.LabFiltDia);
  rec.Conditions.ProdP.Set(c.ProdP);
  rec.Conditions.ProdA.Set(c.ProdA);
  rec.Conditions.ProdRate.Set(c.ProdRate);
  rec.Conditions.ProdRateUnits = c.ProdRateUnits;
  rec.LabA.Set(" 17.3");
  for (auto* t : {&rec.bE, &rec.bP, &rec.rE, &rec.rP}) t->Set("     ");
  rec.a.Set("       ");
  for (auto* t : {&rec.RmE, &rec.RmP, &rec.MaxProdR}) t->Set("      ");
  for (auto* t : {&rec.LabEquivVol, &rec.LabFaceVel, &rec.ProdFaceVel}) t->Set("    ");
  rec.ExpectedVolE.Set("      ");
  rec.ExpectedVolP.Set("      ");
  return rec;
}

void SetRawPoint(TWineRec& rec, int k, const std::string& v, const std::string& m, const std::string& sc) {
  const auto i = static_cast<std::size_t>(k - 1);
  rec.Data.V[i].Set(v);
  rec.Data.M[i].Set(m);
  rec.Data.Sc[i].Set(sc);
}

void SetPoints(TWineRec& rec, const std::vector<Point>& points) {
  for (std::size_t i = 0; i < kPointCount; ++i) {
    rec.Data.V[i].Clear();
    rec.Data.M[i].Clear();
    rec.Data.Sc[i].Clear();
  }
  int k = 1;
  for (const Point& p : points) {
    std::string sc = std::to_string(p.seconds % 60);
    if (sc.size() < 2) sc = "0" + sc;
    SetRawPoint(rec, k++, CanonicalNumber(p.volumeMl, 1, 6), CanonicalNumber(p.seconds / 60, 0, 3), sc);
  }
}

double LabArea(const Conditions& c) {
  const double d = NumberOr0(c.LabFiltDia) / 1000;
  return (d / 2) * (d / 2) * 3.14159;
}

double LabConstant(const Conditions& c) {
  const double viscosity = c.WineType == 0 ? 0.0015 : 0.0021;
  return NumberOr0(c.LabP) * 6894.8 * LabArea(c) / viscosity;
}

std::vector<Point> PointsFollowing(const std::function<double(double)>& R, int count, int intervalSeconds,
                                   const Conditions& c) {
  const double k = LabConstant(c);
  const double area = LabArea(c);
  std::vector<Point> points;
  double volume = 0;  // ml
  for (int j = 1; j <= count; ++j) {
    // R(w) at the middle of the interval sets the volume it passes; a few
    // rounds of substitution settle the middle.
    double dv = 1;
    for (int round = 0; round < 60; ++round) {
      const double w = (volume + dv / 2) / 1e6 / area;
      dv = intervalSeconds * k * 1e6 / R(w);
    }
    volume += dv;
    points.push_back({volume, j * intervalSeconds});
  }
  return points;
}

std::vector<Point> PointsWithResistances(const std::vector<double>& R, int intervalSeconds,
                                         const Conditions& c) {
  const double k = LabConstant(c);
  std::vector<Point> points;
  double volume = 0;
  int t = 0;
  for (double r : R) {
    volume += intervalSeconds * k * 1e6 / r;
    t += intervalSeconds;
    points.push_back({volume, t});
  }
  return points;
}

}  // namespace vorsant::testing
