#pragma once
// Builds trial records for the tests: conditions and points as the dialogs
// store them, and points that follow a chosen resistance curve.

#include <functional>
#include <string>
#include <vector>

#include "trial/wine_rec.h"

namespace vorsant::testing {

struct Conditions {
  std::string LabP = "30.0";        // psi
  std::string LabFiltDia = "47.0";  // mm
  std::string ProdP = "  30";       // psi
  std::string ProdA = "20.0";       // m²
  std::string ProdRate = "40.0";
  std::uint16_t ProdRateUnits = 0;  // bpm
  std::int16_t WineType = 0;
};

struct Point {
  double volumeMl;
  int seconds;  // elapsed time
};

// A trial with blank results, like a new one, with the given conditions.
TWineRec MakeTrial(const Conditions& c = {});

// Replaces the points by `points`, stored in the dialog's canonical forms
// (volume "  10.0", minutes "  1", seconds "05"); the rest become empty.
void SetPoints(TWineRec& rec, const std::vector<Point>& points);

// Stores one point's texts as given (point k = 1..36).
void SetRawPoint(TWineRec& rec, int k, const std::string& v, const std::string& m, const std::string& sc);

// Pressure × area / viscosity of the laboratory filtration (Pa m²/(Pa s)).
double LabConstant(const Conditions& c = {});
double LabArea(const Conditions& c = {});

// Points every `intervalSeconds` whose interval resistances follow R(w),
// w being the volume per area at the interval's middle (m).
std::vector<Point> PointsFollowing(const std::function<double(double)>& R, int count, int intervalSeconds,
                                   const Conditions& c = {});

// Points whose interval resistances are the given values (1/m), one per
// `intervalSeconds`.
std::vector<Point> PointsWithResistances(const std::vector<double>& R, int intervalSeconds,
                                         const Conditions& c = {});

}  // namespace vorsant::testing
