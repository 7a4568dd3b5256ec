#pragma once
// The record of a new trial, built from the conditions the user accepted.

#include <string>
#include <string_view>

#include "trial/conditions_input.h"
#include "trial/wine_rec.h"

namespace vorsant {

// The full-scale face velocity (US gallons per m² per minute) for a rate, its
// unit and an area, as ProdFaceVel holds it; blanks when the area is zero or
// the texts give no usable value.
std::string ProdFaceVelText(std::string_view rate, std::uint16_t rateUnits, std::string_view area);

// A zero record with the conditions copied in, VolType 1, Model 0, the
// result texts blank, ProdFaceVel from the rate and area, and LabA from the
// filter diameter. No points and no analysis yet.
TWineRec NewWineRec(const ConditionsInput& input);

// The trial of a new window: NewWineRec, with unsaved changes.
TWineClass NewWineClass(const ConditionsInput& input);

}  // namespace vorsant
