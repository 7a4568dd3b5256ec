#include "export/report_html.h"

#include <algorithm>
#include <string>
#include <vector>

#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "graphs/fouling_graph.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"
#include "graphs/trial_graph.h"
#include "present/model_columns.h"
#include "present/text_width.h"
#include "present/verdict_text.h"
#include "trial/cp1252.h"
#include "trial/report.h"

namespace vorsant {
namespace {

// Screen: the trial window's proportions. Print: 12 mm margins leave at
// least 186 mm of width on A4 and on Letter; the verdict and the models
// table print at 9 pt or more, each fixed-pitch block of the appendix
// shrinks its font until its longest line (--cols characters) fits in
// 180 mm, and a graph is never split across pages.
constexpr std::string_view kStyle = R"(
:root { color-scheme: light; }
body { font-family: "Segoe UI", Tahoma, Arial, "Liberation Sans", "DejaVu Sans", sans-serif;
  color: #000; background: #fff; max-width: 720px; margin: 16px auto; padding: 0 12px; }
h1 { font-size: 20px; margin: 0 0 4px; }
h2 { font-size: 15px; margin: 20px 0 6px; }
p.source { font-size: 12px; margin: 0 0 14px; }
p.failure { font-size: 13px; }
section.verdict p { font-size: 13px; margin: 0 0 6px; line-height: 1.35; }
table { border-collapse: collapse; font-size: 12px; }
th, td { padding: 2px 5px; border-bottom: 1px solid #bbb; vertical-align: top; }
th { text-align: left; font-weight: 600; border-bottom: 1px solid #000; }
td.figure, th.figure { text-align: right; }
td.figure { white-space: nowrap; }
table.key { margin: 0 0 10px; }
table.key th { border-bottom: 1px solid #bbb; }
tr.best td { font-weight: 600; }
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
  section.verdict p { font-size: 10.5pt; }
  table { font-size: 9pt; }
  pre { overflow: visible; font-size: min(7.5pt, calc(180mm / (var(--cols) * 0.61))); }
  pre.summary { width: 57mm; }
  section.graph svg { width: 100%; max-width: 165mm; }
  section.graph.small svg { max-width: 95mm; }
  /* A picture is never split: each fits a Letter or A4 page whole. */
  section.graph svg { max-height: 200mm; break-inside: avoid; page-break-inside: avoid; }
  /* The models' picture shares the first page with the verdict, on Letter too. */
  section.verdict + section.graph svg { max-height: 105mm; }
  section.appendix { break-before: page; page-break-before: always; }
}
)";

// The lines of a panel as they stand, in a block as wide as its longest line.
std::string Preformatted(const std::vector<std::string>& lines, std::string_view cssClass) {
  std::size_t cols = 1;
  for (const std::string& l : lines) cols = std::max(cols, TextWidth(l));
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

std::string GraphSection(std::string_view heading, std::string figure, std::string_view extraClass = "") {
  return "<section class=\"graph" + std::string(extraClass) + "\">\n<h2>" + std::string(heading) + "</h2>\n" +
         figure + "</section>\n";
}

std::string Cell(std::string_view text, bool figure) {
  return std::string(figure ? "<td class=\"figure\">" : "<td>") + HtmlText(text) + "</td>";
}

// Mechanism, volume with its range, hours and the index at a glance, then
// the verdict's sentences with their warnings.
std::string VerdictSection(const Verdict& v, const Presentation& p) {
  std::string html = "<section class=\"verdict\">\n<h2>Verdict</h2>\n";
  const Filterability& f = v.filterability;
  const std::string measured =
      f.trialS ? IndexText(*f.trialS, p.numbers) + " s" + (f.bandMeasured ? ", " + std::string(*f.band) : "")
               : std::string("-");
  if (v.best) {
    const VolumeUnit unit = VolumeUnitFor(p.units, v.volumeM3.value_or(0));
    const auto figure = [&](double m3) { return VolumeFigure(m3, unit, p.numbers); };
    std::string volume = v.volumeIncalculable ? "incalculably high"
                         : v.volumeM3         ? figure(*v.volumeM3) + " " + std::string(VolumeSymbol(unit))
                                              : "not reached";
    if (RangeWorthShowing(v))
      volume += " (" + figure(*v.rangeLowM3) + " to " +
                (v.rangeHighM3 ? figure(*v.rangeHighM3) : std::string("no limit")) + ")";
    const std::string band = f.band && !f.bandMeasured ? ", " + std::string(*f.band) : "";
    const std::string fi = f.standardS              ? IndexText(*f.standardS, p.numbers) + " s" + band
                           : f.blocksBeforeStandard ? "the disc blocks" + band
                                                    : std::string("-");
    html +=
        "<table class=\"key\">\n<tr><th>Mechanism</th><th>Best model</th><th class=\"figure\">Volume</th>"
        "<th class=\"figure\">Hours</th><th class=\"figure\">FI at 2 bar, 25 mm</th>"
        "<th class=\"figure\">FI measured</th></tr>\n<tr>" +
        Cell(v.mechanism ? MechanismName(*v.mechanism) : "-", false) + Cell(LawName(*v.best), false) +
        Cell(volume, true) + Cell(v.seconds ? HoursFigure(*v.seconds, p.numbers) : "-", true) + Cell(fi, true) +
        Cell(measured, true) + "</tr>\n</table>\n";
  } else if (v.fit == FitQuality::kInsufficient) {
    html += "<table class=\"key\">\n<tr><th>Filterability test</th><th class=\"figure\">FI measured</th></tr>\n<tr>" +
            Cell("too few readings for a fouling law", false) + Cell(measured, true) + "</tr>\n</table>\n";
  }
  for (const std::string& sentence : VerdictSentences(v, SizingRequest{}, p))
    html += "<p>" + HtmlText(sentence) + "</p>\n";
  return html + "</section>\n";
}

// The models as a table with the units in its headers; the report sizes no
// filter, so the sizing columns are left out.
std::string ModelsTable(const FoulingReport& report, const Presentation& p) {
  const VolumeUnit unit = TableVolumeUnit(report, p.units);
  const std::vector<ModelColumn> columns = ModelColumns(unit);
  std::size_t shown = 0;
  std::string html = "<table class=\"models\">\n<tr><th>Model</th>";
  for (const ModelColumn& c : columns) {
    if (c.sizing) continue;
    html += "<th class=\"figure\">" + HtmlText(c.heading) + "</th>";
    ++shown;
  }
  html += "</tr>\n";
  const std::vector<std::vector<std::string>> rows = FoulingTableCells(report, unit, p.numbers);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ModelFit& fit = report.models[i];
    const bool best = report.best == fit.law;
    html += best ? "<tr class=\"best\">" : "<tr>";
    html += Cell(std::string(LawName(fit.law)) + (best ? " (best)" : ""), false);
    if (rows[i].empty()) {
      html += "<td colspan=\"" + std::to_string(shown) + "\">not fitted</td>";
    } else {
      for (std::size_t c = 0; c < columns.size(); ++c)
        if (!columns[c].sizing) html += Cell(rows[i][c], true);
    }
    html += "</tr>\n";
  }
  return html + "</table>\n";
}

}  // namespace

std::string HtmlText(std::string_view bytes) {
  // A file name from a foreign system may not be UTF-8 at all.
  const std::string utf8 = ValidUtf8(bytes);
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
                            const Presentation& p, const AnsiDecoder& decode, const CompanionLog* readings) {
  const std::string title =
      HtmlText(decode(rec.Conditions.WineName.Str()) + " - " + decode(rec.Conditions.FilterName.Str()));
  const ReportLines lines = FillLines(rec, decode);
  const FoulingOutcome outcome = AnalyseFouling(rec, SizingRequest{}, readings);

  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>" + title + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  html += "<h1>" + title + "</h1>\n";
  html += "<p class=\"source\">File: " + HtmlText(fileName) + " &middot; Exported: " + HtmlText(exportDate) +
          "</p>\n";

  if (outcome.report) {
    const FoulingReport& report = *outcome.report;
    html += VerdictSection(MakeVerdict(rec, report), p);
    html += GraphSection("Fouling Models", Graph(kScaleGraphWidth, kScaleGraphHeight, "Fouling Models",
                                                 [&](Canvas& c) { DrawFoulingGraph(c, rec, report); }));
  } else {
    html += "<section class=\"verdict\">\n<h2>Verdict</h2>\n<p class=\"failure\">" +
            HtmlText(outcome.failure) + "</p>\n</section>\n";
  }
  html += GraphSection(
      "Trial Graph",
      Graph(kTrialGraphWidth, kTrialGraphHeight, "Trial graph", [&](Canvas& c) { DrawGraph(c, rec); }),
      " small");
  html += GraphSection("Lab Scale Graph", Graph(kScaleGraphWidth, kScaleGraphHeight, "Lab Scale Graph",
                                                [&](Canvas& c) { DrawLabGraph(c, rec); }));
  html += GraphSection("Production Scale Graph",
                       Graph(kScaleGraphWidth, kScaleGraphHeight, "Production Scale Graph",
                             [&](Canvas& c) { DrawProdGraph(c, rec); }));
  if (outcome.report) {
    html += "<section class=\"models\">\n<h2>Fouling Models Table</h2>\n" + ModelsTable(*outcome.report, p) +
            "</section>\n";
  }

  // The trial window's panels as they stand, as the record's appendix.
  html += "<section class=\"appendix\">\n<h2>Appendix: the trial record</h2>\n"
          "<p class=\"source\">The trial report as the program keeps it, in US units (gallons, psi); its "
          "volume is the report's own power model, fitted to the resistances.</p>\n";
  html += "<div class=\"trial\">\n" + Preformatted(lines.Memo1, "summary") + "</div>\n";
  html += Preformatted(lines.Memo2, "table");
  html += "</section>\n</body>\n</html>\n";
  return html;
}

}  // namespace vorsant
