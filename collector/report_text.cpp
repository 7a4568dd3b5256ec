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

std::string Others(std::int64_t others) {
  return "(" + std::to_string(others) + " other values)";
}

void Tallies(std::string& out, const char* title, const char* unit, const std::vector<Tally>& tallies) {
  out += "\n" + std::string(title) + " (" + unit + ")\n";
  if (tallies.empty()) out += "  none\n";
  for (const Tally& t : tallies) {
    out += Line("  %8lld  ", static_cast<long long>(t.count));
    out.pop_back();
    out += (t.others ? Others(t.others) : t.value.empty() ? "(empty)" : TerminalText(t.value)) + "\n";
  }
}

std::string OutcomeColumns(const OutcomeCounts& c) {
  return Line("%9lld %9lld %9lld %9lld %9lld", static_cast<long long>(c.sessions),
              static_cast<long long>(c.success), static_cast<long long>(c.userAbort),
              static_cast<long long>(c.fatalError), static_cast<long long>(c.unfinished));
}

// The invisible controls that reorder text on a bidirectional terminal:
// U+061C, U+200E/F, U+202A-E and U+2066-9. "\u202e" in a shown field
// would make what follows read backwards ("exe.txt" for "txt.exe").
std::size_t BidiControlLength(std::string_view text, std::size_t i) {
  auto at = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u; };
  if (at(0) == 0xd8 && at(1) == 0x9c) return 2;
  if (at(0) != 0xe2) return 0;
  if (at(1) == 0x80 && (at(2) == 0x8e || at(2) == 0x8f || (at(2) >= 0xaa && at(2) <= 0xae))) return 3;
  if (at(1) == 0x81 && at(2) >= 0xa6 && at(2) <= 0xa9) return 3;
  return 0;
}

}  // namespace

std::string TerminalText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    bool c1 = byte == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
              static_cast<unsigned char>(text[i + 1]) <= 0x9f;
    if (std::size_t bidi = BidiControlLength(text, i)) {
      // The code point from its UTF-8 bytes, shown as \uXXXX.
      unsigned point = bidi == 2 ? ((byte & 0x1fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3fu)
                                 : ((byte & 0x0fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3fu) << 6) |
                                       (static_cast<unsigned char>(text[i + 2]) & 0x3fu);
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(point >> shift) & 15]);
      i += bidi - 1;
    } else if (byte < 0x20 || byte == 0x7f || c1) {
      if (c1) byte = static_cast<unsigned char>(text[++i]);
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    } else if (byte == '\\') {
      out += "\\\\";
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  return out;
}

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
  for (const DayOutcomes& d : s.perDay) {
    out += d.others ? "  (" + std::to_string(d.others) + " earlier days)\n  " + std::string(10, ' ')
                    : "  " + d.date;
    out += " " + OutcomeColumns(d.outcomes);
  }
  out += "\nPer version\n" + Line("  %-24s %s", "application version", heads);
  for (const VersionOutcomes& v : s.byVersion) {
    std::string name = v.others ? Others(v.others) : TerminalText(v.app + " " + v.version);
    out += Line("  %-24s ", name.c_str());
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
    out += e.others ? Others(e.others) + "\n"
                    : TerminalText(e.action) + (e.fatal ? " (fatal): " : ": ") + TerminalText(e.details) + "\n";
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
