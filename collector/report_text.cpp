#include "collector/report_text.h"

#include <cstdarg>
#include <cstdio>

namespace collector {
namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return std::string(text) + "\n";
}

void Tallies(std::string& out, const char* title, const char* unit, const std::vector<Tally>& tallies) {
  out += "\n" + std::string(title) + " (" + unit + ")\n";
  if (tallies.empty()) out += "  none\n";
  for (const Tally& t : tallies) {
    out +=
        Line("  %8lld  %s", static_cast<long long>(t.count), t.value.empty() ? "(empty)" : t.value.c_str());
  }
}

std::string OutcomeColumns(const OutcomeCounts& c) {
  return Line("%9lld %9lld %9lld %9lld %9lld", static_cast<long long>(c.sessions),
              static_cast<long long>(c.success), static_cast<long long>(c.userAbort),
              static_cast<long long>(c.fatalError), static_cast<long long>(c.unfinished));
}

}  // namespace

std::string RenderReport(const Summary& s) {
  std::string out;
  out += Line("installations %lld, machines %lld, hits %lld, rejected %lld",
              static_cast<long long>(s.outcomes.sessions), static_cast<long long>(s.machines),
              static_cast<long long>(s.hits), static_cast<long long>(s.rejected));
  out += Line("success %lld, user abort %lld, fatal error %lld, unfinished %lld",
              static_cast<long long>(s.outcomes.success), static_cast<long long>(s.outcomes.userAbort),
              static_cast<long long>(s.outcomes.fatalError), static_cast<long long>(s.outcomes.unfinished));
  const char* heads = "sessions   success     abort     fatal unfinished";
  out += "\nPer day\n" + Line("  %-10s %s", "date", heads);
  for (const DayOutcomes& d : s.perDay) out += "  " + d.date + " " + OutcomeColumns(d.outcomes);
  out += "\nPer version\n" + Line("  %-24s %s", "application version", heads);
  for (const VersionOutcomes& v : s.byVersion) {
    out += Line("  %-24s ", (v.app + " " + v.version).c_str());
    out.pop_back();
    out += OutcomeColumns(v.outcomes);
  }
  Tallies(out, "Install types", "installations", s.installTypes);
  Tallies(out, "Where users cancel", "installations", s.abortScreens);
  out += "\nFailing actions (installations)\n";
  if (s.errors.empty()) out += "  none\n";
  for (const ErrorGroup& e : s.errors) {
    // Installer messages can be long: only the count goes through the format.
    out += Line("  %8lld  ", static_cast<long long>(e.sessions));
    out.pop_back();
    out += e.action + (e.fatal ? " (fatal): " : ": ") + e.details + "\n";
  }
  Tallies(out, "Windows versions", "machines", s.osVersions);
  Tallies(out, "32/64-bit", "machines", s.architectures);
  Tallies(out, "Languages", "machines", s.languages);
  Tallies(out, "Screens", "machines", s.screens);
  Tallies(out, "DPI", "machines", s.dpi);
  Tallies(out, "Chosen features", "installations", s.features);
  Tallies(out, "Missing prerequisites", "installations", s.missingPrerequisites);
  return out;
}

}  // namespace collector
