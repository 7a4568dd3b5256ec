#pragma once
// The two report panels of a trial window, built from the texts stored in
// the record; nothing is computed here. Lines are UTF-8: record texts are
// decoded from their single-byte code page, and the rules are em dashes
// (U+2014). The window shows them in a fixed-pitch font, the summary lines
// centred and the table lines as they are, then redraws its graph.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "trial/wine_rec.h"

namespace vorsant {

// Turns a record text (single-byte code page) into UTF-8.
using AnsiDecoder = std::function<std::string(std::string_view)>;

struct ReportLines {
  std::vector<std::string> Memo1;  // summary: names, power-model constants, volume
  std::vector<std::string> Memo2;  // table: conditions side by side, one line per point
};

// Portable code decodes with Windows-1252; the Windows shell can pass a
// decoder for the system's ANSI code page.
ReportLines FillLines(const TWineRec& WineRec, const AnsiDecoder& decode);
ReportLines FillLines(const TWineRec& WineRec);

}  // namespace vorsant
