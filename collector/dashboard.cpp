#include "collector/dashboard.h"

#include <algorithm>
#include <cstdio>

namespace collector {
namespace {

struct OutcomeStyle {
  const char* name;
  const char* colour;
  std::int64_t OutcomeCounts::*count;
};
constexpr OutcomeStyle kOutcomes[] = {
    {"success", "#2e7d32", &OutcomeCounts::success},
    {"user abort", "#f9a825", &OutcomeCounts::userAbort},
    {"fatal error", "#c62828", &OutcomeCounts::fatalError},
    {"unfinished", "#9e9e9e", &OutcomeCounts::unfinished},
};

constexpr const char* kStyle = R"css(
body{font-family:system-ui,sans-serif;margin:1.5em;color:#222;max-width:70em}
h1{font-size:1.4em}h2{font-size:1.1em;margin-top:1.6em;border-bottom:1px solid #ccc}
table{border-collapse:collapse;margin:.4em 0}td,th{padding:.15em .7em;text-align:left;border-bottom:1px solid #eee}
td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
.counts td{font-size:1.3em}.key span{display:inline-block;width:.8em;height:.8em;margin:0 .3em 0 1em}
form label{margin-right:1em}.grid{display:flex;flex-wrap:wrap;gap:0 3em}
)css";

std::string Num(std::int64_t n) {
  return std::to_string(n);
}

// The row that sums the values not listed.
std::string Others(std::int64_t others) {
  return "<i>" + Num(others) + " other values</i>";
}

void Tallies(std::string& out, const char* title, const char* valueHead, const char* countHead,
             const std::vector<Tally>& tallies) {
  out += "<div><h2>" + std::string(title) + "</h2>";
  if (tallies.empty()) {
    out += "<p>none</p></div>";
    return;
  }
  out += "<table><tr><th>" + std::string(valueHead) + "</th><th class=n>" + countHead + "</th></tr>";
  for (const Tally& t : tallies) {
    out += "<tr><td>" + (t.others ? Others(t.others) : t.value.empty() ? std::string("(empty)") : HtmlEscape(t.value)) +
           "</td><td class=n>" + Num(t.count) + "</td></tr>";
  }
  out += "</table></div>";
}

std::string OutcomeCells(const OutcomeCounts& c) {
  std::string out = "<td class=n>" + Num(c.sessions) + "</td>";
  for (const OutcomeStyle& o : kOutcomes) out += "<td class=n>" + Num(c.*o.count) + "</td>";
  return out;
}

std::string OutcomeHeads() {
  std::string out = "<th class=n>sessions</th>";
  for (const OutcomeStyle& o : kOutcomes) out += "<th class=n>" + std::string(o.name) + "</th>";
  return out;
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string PerDaySvg(const Summary& summary) {
  std::vector<DayOutcomes> days = summary.perDay;
  if (days.empty()) return "<p>no installations</p>";
  std::string earlier;
  if (days.front().others) {
    earlier = "<p><i>" + Num(days.front().others) + " earlier days</i>: " + Num(days.front().outcomes.sessions) +
              " installations</p>";
    days.erase(days.begin());
  }
  std::int64_t most = 1;
  for (const DayOutcomes& d : days) most = std::max(most, d.outcomes.sessions);
  const int height = 180, top = 10, bottom = 40, left = 40;
  const int bar = std::clamp(700 / static_cast<int>(days.size()), 4, 40);
  const int width = left + bar * static_cast<int>(days.size()) + 10;
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"installations per day\" width=\"" +
      Num(width) + "\" height=\"" + Num(height + top + bottom) + "\" font-size=\"10\">";
  svg += "<text x=\"" + Num(left - 4) + "\" y=\"" + Num(top + 8) + "\" text-anchor=\"end\">" + Num(most) +
         "</text>";
  svg += "<text x=\"" + Num(left - 4) + "\" y=\"" + Num(top + height) + "\" text-anchor=\"end\">0</text>";
  svg += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(top + height) + "\" x2=\"" + Num(width) + "\" y2=\"" +
         Num(top + height) + "\" stroke=\"#888\"/>";
  const std::size_t labelEvery = std::max<std::size_t>(1, days.size() / 10);
  for (std::size_t i = 0; i < days.size(); ++i) {
    const int x = left + static_cast<int>(i) * bar;
    double y = top + height;
    for (const OutcomeStyle& o : kOutcomes) {
      const std::int64_t n = days[i].outcomes.*o.count;
      if (n == 0) continue;
      const double h = static_cast<double>(n) * height / static_cast<double>(most);
      y -= h;
      char rect[256];
      std::snprintf(rect, sizeof rect,
                    "<rect x=\"%d\" y=\"%.1f\" width=\"%d\" height=\"%.1f\" fill=\"%s\"><title>%s %s: "
                    "%lld</title></rect>",
                    x + 1, y, std::max(bar - 2, 1), h, o.colour, days[i].date.c_str(), o.name,
                    static_cast<long long>(n));
      svg += rect;
    }
    if (i % labelEvery == 0) {
      svg += "<text x=\"" + Num(x + bar / 2) + "\" y=\"" + Num(top + height + 12) +
             "\" text-anchor=\"end\" transform=\"rotate(-45 " + Num(x + bar / 2) + " " +
             Num(top + height + 12) + ")\">" + HtmlEscape(days[i].date.substr(5)) + "</text>";
    }
  }
  return earlier + svg + "</svg>";
}

std::string RenderDashboard(const Summary& s, const Filters& filters) {
  std::string query = FiltersQuery(filters);
  std::string suffix = query.empty() ? "" : "?" + HtmlEscape(query);
  std::string out =
      "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><title>plumeta-collector</title>"
      "<meta name=viewport content=\"width=device-width\"><style>" +
      std::string(kStyle) + "</style></head><body><h1>Installations</h1>";
  out += "<form method=get action=\"/\">";
  auto field = [&](const char* name, const char* label, const std::string& value, const char* type) {
    out += "<label>" + std::string(label) + " <input name=" + name + " type=" + type + " value=\"" +
           HtmlEscape(value) + "\"></label>";
  };
  field("app", "application", filters.app, "text");
  field("version", "version", filters.version, "text");
  field("since", "from", filters.SinceText(), "date");
  field("until", "to", filters.UntilText(), "date");
  out += "<button type=submit>show</button></form>";

  out += "<table class=counts><tr><th>installations</th><th>machines</th><th>hits</th><th>rejected</th>";
  for (const OutcomeStyle& o : kOutcomes) out += "<th>" + std::string(o.name) + "</th>";
  out += "</tr><tr><td>" + Num(s.outcomes.sessions) + "</td><td>" + Num(s.machines) + "</td><td>" +
         Num(s.hits) + "</td><td>" + Num(s.rejected) + "</td>";
  for (const OutcomeStyle& o : kOutcomes) out += "<td>" + Num(s.outcomes.*o.count) + "</td>";
  out += "</tr></table>";

  out += "<h2>Installations per day</h2><p class=key>";
  for (const OutcomeStyle& o : kOutcomes) {
    out += "<span style=\"background:" + std::string(o.colour) + "\"></span>" + o.name;
  }
  out += "</p>" + PerDaySvg(s);

  out += "<h2>Outcome of each version</h2>";
  if (s.byVersion.empty()) {
    out += "<p>none</p>";
  } else {
    out += "<table><tr><th>application</th><th>version</th>" + OutcomeHeads() + "</tr>";
    for (const VersionOutcomes& v : s.byVersion) {
      out += (v.others ? "<tr><td colspan=2>" + Others(v.others)
                       : "<tr><td>" + HtmlEscape(v.app) + "</td><td>" + HtmlEscape(v.version)) +
             "</td>" + OutcomeCells(v.outcomes) + "</tr>";
    }
    out += "</table>";
  }

  out += "<div class=grid>";
  Tallies(out, "Install types", "type", "installations", s.installTypes);
  Tallies(out, "Where users cancel", "last screen", "installations", s.abortScreens);
  out += "</div>";

  out += "<h2>Failing actions</h2>";
  if (s.errors.empty()) {
    out += "<p>none</p>";
  } else {
    out += "<table><tr><th>action</th><th>message</th><th>fatal</th><th class=n>installations</th></tr>";
    for (const ErrorGroup& e : s.errors) {
      out += (e.others ? "<tr><td colspan=3>" + Others(e.others)
                       : "<tr><td>" + HtmlEscape(e.action) + "</td><td>" + HtmlEscape(e.details) + "</td><td>" +
                             (e.fatal ? "fatal" : "")) +
             "</td><td class=n>" + Num(e.sessions) + "</td></tr>";
    }
    out += "</table>";
  }

  out += "<div class=grid>";
  Tallies(out, "Windows versions", "version", "machines", s.osVersions);
  Tallies(out, "32/64-bit", "architecture", "machines", s.architectures);
  Tallies(out, "Languages", "language", "machines", s.languages);
  Tallies(out, "Screens", "resolution", "machines", s.screens);
  Tallies(out, "DPI", "dots per inch", "machines", s.dpi);
  out += "</div><div class=grid>";
  Tallies(out, "Chosen features", "feature", "installations", s.features);
  Tallies(out, "Missing prerequisites", "prerequisite", "installations", s.missingPrerequisites);
  out += "</div>";

  out += "<h2>Export</h2><p><a href=\"/export/hits.csv" + suffix +
         "\">hits.csv</a> &middot; <a href=\"/export/sessions.csv" + suffix +
         "\">sessions.csv</a> &middot; <a href=\"/api/summary" + suffix + "\">summary (JSON)</a></p>";
  out += "</body></html>\n";
  return out;
}

}  // namespace collector
