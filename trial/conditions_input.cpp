#include "trial/conditions_input.h"

#include <array>

#include "trial/canonical_number.h"
#include "trial/number_text.h"

namespace vorsant {

namespace {

struct NumericRule {
  ConditionsBox Box;
  std::string ConditionsInput::*Text;
  int Decimal;
  int StrLength;
  double Lower, Upper;
  const char* Message;
};

constexpr std::array<NumericRule, 5> kNumericRules{{
    {ConditionsBox::LabPressure, &ConditionsInput::LabPressure, 1, 4, 0.1, 1000,
     "Laboratory Pressure is out of Range. Please enter a value between 1000 and 0.1."},
    {ConditionsBox::FilterDiameter, &ConditionsInput::FilterDiameter, 1, 4, 1, 1000,
     "Laboratory Filter Diameter is out of Range. Please enter a value between 1000 and 1."},
    {ConditionsBox::MaxPressure, &ConditionsInput::MaxPressure, 0, 4, 1, 1000,
     "Maximum Full-Scale Pressure is out of Range. Please enter a value between 1000 and 1."},
    {ConditionsBox::Area, &ConditionsInput::Area, 2, 4, 0.2, 1000,
     "Full-Scale Area is out of Range. Please enter a value between 1000 and 0.2."},
    {ConditionsBox::Rate, &ConditionsInput::Rate, 1, 4, 0.1, 1999,
     "Full-Scale Rate is out of Range. Please enter a value between 1999 and 0.1."},
}};

}  // namespace

namespace conditions_input {

void Format(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper) {
  Error = false;
  const std::optional<double> value = ParseDecimal(text);
  if (!value || *value < lower || *value > upper) {
    Error = true;
    return;
  }
  text = CanonicalNumber(*value, Decimal, StrLength);
}

}  // namespace conditions_input

std::optional<ConditionsFailure> ConditionsRangeCheck(ConditionsInput& input) {
  // A name of blanks only is a name.
  if (input.WineName.empty())
    return ConditionsFailure{ConditionsBox::WineName,
                             "Wine Name field is blank; please enter a name for this wine."};
  if (input.FilterName.empty())
    return ConditionsFailure{ConditionsBox::FilterName,
                             "Filter Name field is blank; please enter a name for this filter."};
  for (const NumericRule& rule : kNumericRules) {
    bool error = false;
    conditions_input::Format(input.*rule.Text, error, rule.Decimal, rule.StrLength, rule.Lower, rule.Upper);
    if (error) return ConditionsFailure{rule.Box, rule.Message};
  }
  return std::nullopt;
}

void TransferConditions(const ConditionsInput& input, TConditions& conditions) {
  conditions.WineName.Set(input.WineName);
  conditions.FilterName.Set(input.FilterName);
  conditions.WineType = static_cast<std::int16_t>(input.WineType);
  conditions.LabP.Set(input.LabPressure);
  conditions.LabFiltDia.Set(input.FilterDiameter);
  conditions.ProdP.Set(input.MaxPressure);
  conditions.ProdA.Set(input.Area);
  conditions.ProdRate.Set(input.Rate);
  conditions.ProdRateUnits = input.UnitsBPM ? 0 : 1;
}

ConditionsInput LoadConditions(const TConditions& conditions) {
  ConditionsInput input;
  input.WineName = conditions.WineName.Str();
  input.FilterName = conditions.FilterName.Str();
  // The choice has two items; the analysis reads every value but 0 as
  // Dessert, so a foreign value shows as Dessert too.
  input.WineType = conditions.WineType == 0 ? 0 : 1;
  input.LabPressure = conditions.LabP.Str();
  input.FilterDiameter = conditions.LabFiltDia.Str();
  input.MaxPressure = conditions.ProdP.Str();
  input.Area = conditions.ProdA.Str();
  input.Rate = conditions.ProdRate.Str();
  input.UnitsBPM = conditions.ProdRateUnits == 0;
  return input;
}

std::string LabAreaText(std::string_view filterDiameter) {
  const double d = NumberOr0(filterDiameter);
  const double area = 3.14159 * (d / 20) * (d / 20);
  return Fixed(area, 5, area >= 999.5 ? 0 : 1);
}

void ApplyConditions(const ConditionsInput& input, TWineClass& wine) {
  TransferConditions(input, wine.WineRec.Conditions);
  wine.WineRec.LabA.Set(LabAreaText(wine.WineRec.Conditions.LabFiltDia.Str()));
  wine.Modified = true;
}

}  // namespace vorsant
