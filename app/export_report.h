#pragma once
// Export Report: the active trial as one self-contained web page, written
// beside the trial's file through the safe save.

#include <string>
#include <string_view>

namespace vorsant {

class TMDIChild;

inline constexpr const char* kReportFileFilter = "Web page (*.html)|*.html";

// The name the save dialog proposes: the trial's file name with ".html" in
// place of its extension, or, for a trial never saved, its caption with the
// characters a file name cannot hold replaced by "_".
std::string ProposedReportName(const TMDIChild& child);

// A name ending in ".html" or ".htm" in any letter case is kept as chosen;
// any other gets ".html" appended, so "Merlot 2024.06" stays readable.
std::string WithReportExtension(std::string_view path);

}  // namespace vorsant
