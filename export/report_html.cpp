#include "export/report_html.h"

#include <algorithm>
#include <string>
#include <vector>

#include "fouling/fouling_models.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"
#include "graphs/trial_graph.h"
#include "trial/report.h"

namespace vorsant {
namespace {

// Screen: the trial window's proportions. Print: 12 mm margins leave at
// least 186 mm of width on A4 and on Letter; each fixed-pitch block shrinks
// its font until its longest line (--cols characters) fits in 180 mm, and a
// graph is never split across pages.
constexpr std::string_view kStyle = R"(
:root { color-scheme: light; }
body { font-family: "Segoe UI", Tahoma, Arial, "Liberation Sans", "DejaVu Sans", sans-serif;
  color: #000; background: #fff; max-width: 720px; margin: 16px auto; padding: 0 12px; }
h1 { font-size: 20px; margin: 0 0 4px; }
h2 { font-size: 15px; margin: 20px 0 6px; }
p.source { font-size: 12px; margin: 0 0 14px; }
p.failure { font-size: 13px; }
pre { font-family: Consolas, "DejaVu Sans Mono", "Liberation Mono", monospace; line-height: 1.15;
  margin: 0; white-space: pre; overflow-x: auto;
  font-size: min(11px, calc(min(100vw - 32px, 700px) / (var(--cols) * 0.61))); }
.trial { display: flex; gap: 6px; align-items: flex-start; }
pre.summary { width: 217px; flex: none; text-align: center; overflow: hidden; }
figure { margin: 0; break-inside: avoid; page-break-inside: avoid; }
svg { display: block; max-width: 100%; height: auto; }
section { break-inside: avoid; page-break-inside: avoid; }
@media print {
  @page { margin: 12mm; }
  body { max-width: none; margin: 0; padding: 0; }
  h2 { break-after: avoid; page-break-after: avoid; }
  pre { overflow: visible; font-size: min(7.5pt, calc(180mm / (var(--cols) * 0.61))); }
  pre.summary { width: 57mm; }
  section.graph svg { width: 100%; max-width: 180mm; }
}
)";

std::size_t Cells(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The lines of a panel as they stand, in a block as wide as its longest line.
std::string Preformatted(const std::vector<std::string>& lines, std::string_view cssClass) {
  std::size_t cols = 1;
  for (const std::string& l : lines) cols = std::max(cols, Cells(l));
  std::string html =
      "<pre class=\"" + std::string(cssClass) + "\" style=\"--cols: " + std::to_string(cols) + "\">";
  for (const std::string& l : lines) html += HtmlText(l) + "\n";
  html += "</pre>\n";
  return html;
}

// An SvgCanvas document as an element of the page: no XML declaration, and
// no namespace URL, which HTML does not need.
std::string InlineSvg(const SvgCanvas& canvas, std::string_view label) {
  std::string doc = canvas.Document();
  if (const auto start = doc.find("<svg"); start != std::string::npos) doc.erase(0, start);
  constexpr std::string_view kNamespace = " xmlns=\"http://www.w3.org/2000/svg\"";
  if (const auto ns = doc.find(kNamespace); ns != std::string::npos) {
    doc.replace(ns, kNamespace.size(), " role=\"img\" aria-label=\"" + HtmlText(label) + "\"");
  }
  return "<figure>\n" + doc + "</figure>\n";
}

template <typename Draw>
std::string Graph(int width, int height, std::string_view label, Draw draw) {
  SvgCanvas canvas(width, height);
  draw(canvas);
  return InlineSvg(canvas, label);
}

std::string GraphSection(std::string_view heading, std::string figure) {
  return "<section class=\"graph\">\n<h2>" + std::string(heading) + "</h2>\n" + figure + "</section>\n";
}

std::string ModelsSection(const TWineRec& rec) {
  std::string html = "<section class=\"models\">\n<h2>Fouling Models</h2>\n";
  const FoulingOutcome outcome = AnalyseFouling(rec, SizingRequest{});
  if (outcome.report) {
    html += Preformatted(FoulingTableLines(*outcome.report), "models");
  } else {
    html += "<p class=\"failure\">" + HtmlText(outcome.failure) + "</p>\n";
  }
  return html + "</section>\n";
}

}  // namespace

std::string HtmlText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool c1 = c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
    if (c1) {
      out += '?';
      ++i;
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      out += '?';
    } else if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string TrialReportHtml(const TWineRec& rec, std::string_view fileName, std::string_view exportDate,
                            const AnsiDecoder& decode) {
  const std::string title =
      HtmlText(decode(rec.Conditions.WineName.Str()) + " - " + decode(rec.Conditions.FilterName.Str()));
  const ReportLines lines = FillLines(rec, decode);

  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>" + title + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  html += "<h1>" + title + "</h1>\n";
  html += "<p class=\"source\">File: " + HtmlText(fileName) + " &middot; Exported: " + HtmlText(exportDate) +
          "</p>\n";

  html += "<section class=\"trial\">\n" + Preformatted(lines.Memo1, "summary");
  html += Graph(kTrialGraphWidth, kTrialGraphHeight, "Trial graph", [&](Canvas& c) { DrawGraph(c, rec); });
  html += "</section>\n";
  html += Preformatted(lines.Memo2, "table");

  html += GraphSection("Lab Scale Graph", Graph(kScaleGraphWidth, kScaleGraphHeight, "Lab Scale Graph",
                                                [&](Canvas& c) { DrawLabGraph(c, rec); }));
  html += GraphSection("Production Scale Graph",
                       Graph(kScaleGraphWidth, kScaleGraphHeight, "Production Scale Graph",
                             [&](Canvas& c) { DrawProdGraph(c, rec); }));
  html += ModelsSection(rec);
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace vorsant
