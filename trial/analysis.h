#pragma once
// The filtration analysis: from a trial's conditions and measured points to
// interval resistances, the exponential and the power fouling models, and
// their projection onto the full-scale filter. Every result is written into
// the record as ready-to-print text (and the power coefficient as `aReal`);
// nothing is kept between runs.
//
// After a run the caller rebuilds the trial window's report and graph
// (FillLines, then the graph), since the analysis knows no window.

#include <string>
#include <string_view>
#include <vector>

#include "trial/regression.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr std::string_view kTimeIntervalWarning =
    "There is a non-positive interval in the Time data. Unable to calculate.";
inline constexpr std::string_view kVolumeIntervalWarning =
    "There is a non-positive interval in the Volume data. Unable to calculate.";
inline constexpr std::string_view kInsufficientDataWarning =
    "Data is insufficient to calculate fouling constants.";
inline constexpr std::string_view kRmAboveRmaxWarning =
    "Rm is greater than the allowable production resistance. If the data and conditions are correct then "
    "this filtration should foul extremely rapidly.";
inline constexpr std::string_view kNoFoulingWarning =
    "No fouling was observed. Either the volume passed was insufficient to foul the filter or perhaps "
    "pressure rose during the trial. Expected volume cannot be estimated.";
inline constexpr std::string_view kPowerRmAboveRmaxWarning =
    "Expected volume cannot be calculated from Power Model. Rm is greater than maximum allowable production "
    "resistance.";

// Copies every point's volume, minutes and seconds texts into its table row.
void FillData(TWineRec& WineRec);

// Recomputes every result of the trial. Returns the warnings in the order
// the run meets them, each to be shown as a warning box with an OK button;
// with ShowDialogs false the outcomes are the same and the list is empty.
// The power volume is grouped with `thousandsSeparator`.
std::vector<std::string> Calculate(TWineRec& WineRec, bool ShowDialogs, std::string_view thousandsSeparator);

// As above, grouping with the user's locale separator.
std::vector<std::string> Calculate(TWineRec& WineRec, bool ShowDialogs);

// Keeps every second point (2, 4, ..., 36 become 1 to 18), empties 19 to 36
// and recalculates without warnings, so a collection that has filled all 36
// points can go on at half the density.
void DataCollapse(TWineRec& WineRec);

}  // namespace vorsant
