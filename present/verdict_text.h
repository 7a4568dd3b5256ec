#pragma once
// The verdict and the models in words: the sentences above the models
// table, wrapped for the fixed-pitch outputs, and the one rule for when a
// volume's range is worth giving. Every figure goes through the quantity
// formatters, in the presentation's units and number style.

#include <string>
#include <string_view>
#include <vector>

#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "present/quantities.h"

namespace vorsant {

// "Complete blocking", "Standard blocking", "Intermediate blocking
// (exponential)", "Cake filtration", "Power model".
std::string_view LawName(FoulingLaw law);
// "Pore blocking", "Intermediate blocking", "Cake filtration", "Empirical",
// "Pore constriction", "Undetermined".
std::string_view MechanismName(Mechanism mechanism);

// "the readings do not reach 400 ml", "no readings near 200 ml", "no
// readings near 400 ml".
std::string_view IndexGapText(IndexGap gap);

// Whether the range says more than the volume: it reaches beyond 10 % of it
// on either side, or is open above. Every output that gives a range asks
// this.
bool RangeWorthShowing(const Verdict& verdict);

// The verdict as sentences in the order to read them; `request` is the one
// the report was sized for.
std::vector<std::string> VerdictSentences(const Verdict& verdict, const SizingRequest& request,
                                          const Presentation& p);

// The sentences wrapped to `width` characters, for the fixed-pitch outputs
// above the models table.
std::vector<std::string> VerdictLines(const Verdict& verdict, const SizingRequest& request,
                                      const Presentation& p, std::size_t width = 100);

// What vorsant-cli models and the Fouling Models window show: the verdict's
// lines, an empty line, the models table.
std::vector<std::string> ModelsTextLines(const FoulingReport& report, const Verdict& verdict,
                                         const SizingRequest& request, const Presentation& p);

}  // namespace vorsant
