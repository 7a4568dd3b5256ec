#pragma once
// The conditions of a trial as the user types them: checking and rewriting
// the boxes in their canonical form, and copying them into the record. Pure
// functions over texts, shared by the conditions dialog and the command line.

#include <optional>
#include <string>
#include <string_view>

#include "trial/wine_rec.h"

namespace vorsant {

// The boxes' texts, in the record's single-byte code page.
struct ConditionsInput {
  std::string WineName, FilterName;
  int WineType = 0;  // item of the Wine Type choice: 0 Normal, 1 Dessert
  std::string LabPressure, FilterDiameter, MaxPressure, Area, Rate;
  bool UnitsBPM = true;  // false: gallons per minute
};

// The boxes that are checked, in the order they are checked.
enum class ConditionsBox { WineName, FilterName, LabPressure, FilterDiameter, MaxPressure, Area, Rate };

struct ConditionsFailure {
  ConditionsBox Box;
  std::string Message;
};

namespace conditions_input {

// Checks one numeric box and rewrites it right-aligned in `StrLength`
// characters with `Decimal` decimals, cut to `StrLength`. On error the text
// stays as it was.
void Format(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper);

}  // namespace conditions_input

// Checks the boxes in order and stops at the first failure. Every numeric box
// checked up to and including the failing one holds its rewritten text
// afterwards, as the dialog shows it. nullopt when every box passed.
std::optional<ConditionsFailure> ConditionsRangeCheck(ConditionsInput& input);

// Copies the boxes into the record's conditions, each text cut to its field.
// VolType is not touched.
void TransferConditions(const ConditionsInput& input, TConditions& conditions);

// The boxes as the dialog shows them for a trial's stored conditions.
ConditionsInput LoadConditions(const TConditions& conditions);

// The laboratory filter area in cm² for a diameter text in mm, as LabA holds it.
std::string LabAreaText(std::string_view filterDiameter);

// Edit Conditions after OK: the boxes into the record, LabA from the
// diameter, and the trial marked modified. The caller then recalculates.
void ApplyConditions(const ConditionsInput& input, TWineClass& wine);

}  // namespace vorsant
