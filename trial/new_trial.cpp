#include "trial/new_trial.h"

#include <cmath>

#include "trial/number_text.h"

namespace vorsant {

namespace {

constexpr double kBottleLitres = 0.75;
constexpr double kGallonLitres = 3.7854;

}  // namespace

std::string ProdFaceVelText(std::string_view rate, std::uint16_t rateUnits, std::string_view area) {
  const double r = NumberOr0(rate);
  const double flow = rateUnits != 0 ? r : r * kBottleLitres / kGallonLitres;
  const double v = flow / NumberOr0(area);
  if (!std::isfinite(v)) return std::string(4, ' ');
  return Fixed(v, 4, v >= 99.5 ? 0 : 1);
}

TWineRec NewWineRec(const ConditionsInput& input) {
  TWineRec rec{};
  TransferConditions(input, rec.Conditions);
  rec.Conditions.VolType = 1;
  rec.Model = 0;
  const TConditions& c = rec.Conditions;
  rec.ProdFaceVel.Set(ProdFaceVelText(c.ProdRate.Str(), c.ProdRateUnits, c.ProdA.Str()));
  rec.bE.Set("     ");
  rec.bP.Set("     ");
  rec.rE.Set("     ");
  rec.rP.Set("     ");
  rec.a.Set("       ");
  rec.RmE.Set("      ");
  rec.RmP.Set("      ");
  rec.MaxProdR.Set("      ");
  rec.LabEquivVol.Set("    ");
  rec.LabFaceVel.Set("    ");
  rec.ExpectedVolE.Set("      ");
  rec.ExpectedVolP.Set("      ");
  // A new trial shows its laboratory area at once, not only after its
  // conditions have been edited.
  rec.LabA.Set(LabAreaText(c.LabFiltDia.Str()));
  return rec;
}

TWineClass NewWineClass(const ConditionsInput& input) {
  TWineClass wine;
  wine.WineRec = NewWineRec(input);
  wine.Modified = true;
  return wine;
}

}  // namespace vorsant
