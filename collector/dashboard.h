#pragma once
// The dashboard: one page rendered on the server, with the filters as a
// form, the figures as tables and the installations per day as inline SVG.
// It loads nothing from elsewhere and needs no script.

#include <string>
#include <string_view>

#include "collector/filters.h"
#include "collector/summary.h"

namespace collector {

std::string RenderDashboard(const Summary& summary, const Filters& filters);
std::string HtmlEscape(std::string_view text);

// The stacked bars of installations per day, outcome by outcome.
std::string PerDaySvg(const Summary& summary);

}  // namespace collector
