#pragma once
// The label and tick spacings of the graphs' axes. Each table is chosen by a
// whole number s (the rounded span of the axis); nullopt means s falls in no
// row, and the axis then stops after its first label or tick.

#include <cstdint>
#include <optional>

namespace vorsant {

// X labels of every graph but the production one, and the small graph's X
// ticks; s = round(MaxX).
std::optional<double> XStep(std::int64_t s);

// Y labels of every graph and the small graph's Y ticks;
// s = round((MaxY - MinY) / 10).
std::optional<double> YStep(std::int64_t s);

// X ticks of the laboratory graph; s = round(MaxX).
std::optional<double> LabXTickStep(std::int64_t s);

// Y ticks of both large graphs; s = round((MaxY - MinY) / 10).
std::optional<double> YTickStep(std::int64_t s);

// X labels and X ticks of the production graph; s = round(MaxX).
std::optional<double> ProdXLabelStep(std::int64_t s);
std::optional<double> ProdXTickStep(std::int64_t s);

}  // namespace vorsant
