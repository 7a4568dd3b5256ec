#pragma once
// A trial's report as one self-contained web page, to print or to send:
// the trial window's two panels, its graph, the laboratory and production
// graphs and the fouling models table. Everything is inline (CSS and SVG),
// so the page loads nothing from anywhere.

#include <string>
#include <string_view>

#include "trial/cp1252.h"
#include "trial/report.h"
#include "trial/wine_rec.h"

namespace vorsant {

// The page, UTF-8. `fileName` and `exportDate` are UTF-8 and shown as
// given; the record's texts are decoded with `decode`, as the trial window's
// report is. Nothing in the record is recalculated except the fouling
// models, which are always computed on demand.
std::string TrialReportHtml(const TWineRec& rec, std::string_view fileName, std::string_view exportDate,
                            const AnsiDecoder& decode = AnsiDecoder(Windows1252ToUtf8));

// `utf8` as HTML character data or attribute text: & < > " escaped, and
// the control characters a page cannot carry as "?".
std::string HtmlText(std::string_view utf8);

}  // namespace vorsant
