#pragma once
// Builds trial records by hand for the graph tests: only the texts that the
// graphs read are set, as the analysis would have written them.

#include <string>
#include <vector>

#include "trial/number_text.h"
#include "trial/wine_rec.h"

namespace vorsant::testing {

struct TablePoint {
  double va;
  double r;
};

// Rows 1..n with a volume text, V/A and R; the power model's texts and
// aReal; RmE a plain number unless marked otherwise.
class TrialBuilder {
 public:
  TrialBuilder& Points(const std::vector<TablePoint>& points) {
    for (std::size_t k = 0; k < points.size() && k < kPointCount; ++k) {
      TTableRow& row = rec_.TableData[k];
      row.V.Set(Fixed(10.0 * static_cast<double>(k + 1), 6, 1));
      row.VA.Set(Fixed(points[k].va, 5, 3));
      row.R.Set(Fixed(points[k].r, 6, 2));
    }
    return *this;
  }
  // The power fit's results: RmP, bP and the full coefficient a (1/m).
  TrialBuilder& Power(double rm, double b, double aFull) {
    rec_.RmP.Set(Fixed(rm, 6, 2));
    rec_.bP.Set(Fixed(b, 5, 3));
    rec_.aReal = Real48::FromDouble(aFull).value();
    rec_.RmE.Set(Fixed(rm, 6, 2));
    return *this;
  }
  // A failed power fit: the texts blank, aReal still from an older fit.
  TrialBuilder& FailedPower(double staleAFull) {
    rec_.RmP.Set("      ");
    rec_.bP.Set("     ");
    rec_.aReal = Real48::FromDouble(staleAFull).value();
    rec_.RmE.Set("  12.0");
    return *this;
  }
  TrialBuilder& Neg() {
    rec_.RmE.Set("   neg");
    rec_.RmP.Set("      ");
    rec_.bP.Set("     ");
    return *this;
  }
  TrialBuilder& MinSkip(int skip) {
    rec_.Data.MinSkip = static_cast<std::uint16_t>(skip);
    return *this;
  }
  TrialBuilder& MaxProdR(const std::string& text) {
    rec_.MaxProdR.Set(text);
    return *this;
  }
  TrialBuilder& Names(const std::string& wine, const std::string& filter) {
    rec_.Conditions.WineName.Set(wine);
    rec_.Conditions.FilterName.Set(filter);
    return *this;
  }
  TWineRec Build() const { return rec_; }

 private:
  TWineRec rec_{};
};

}  // namespace vorsant::testing
