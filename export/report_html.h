#pragma once
// A trial's report as one self-contained web page, to print or to send:
// the verdict first, then the fouling models' picture, the trial,
// laboratory and production graphs, the models table, and the trial
// window's two panels as the record's appendix. Everything is inline (CSS
// and SVG), so the page loads nothing from anywhere.

#include <string>
#include <string_view>

#include "present/quantities.h"
#include "trial/cp1252.h"
#include "trial/report.h"
#include "trial/wine_rec.h"

namespace vorsant {

struct CompanionLog;

// The page, UTF-8. `fileName` and `exportDate` are UTF-8 and shown as
// given; the record's texts are decoded with `decode`, as the trial window's
// report is. Nothing in the record is recalculated except the fouling
// models, which are always computed on demand; the verdict and the models
// are written in `p`'s units and number style, the record's panels as they
// stand.
// `readings`: the collection's every reading kept beside the trial, which
// the models fit when it matches the trial.
std::string TrialReportHtml(const TWineRec& rec, std::string_view fileName, std::string_view exportDate,
                            const Presentation& p = {},
                            const AnsiDecoder& decode = AnsiDecoder(Windows1252ToUtf8),
                            const CompanionLog* readings = nullptr);

// `bytes` as HTML character data or attribute text: & < > " escaped, the
// control characters a page cannot carry as "?", and bytes that are not
// UTF-8 as U+FFFD.
std::string HtmlText(std::string_view bytes);

}  // namespace vorsant
