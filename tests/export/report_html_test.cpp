#include "export/report_html.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "fouling/fouling_models.h"
#include "fouling/verdict.h"
#include "present/model_columns.h"
#include "present/verdict_text.h"
#include "trial/analysis.h"
#include "trial/data_input.h"
#include "trial/report.h"

namespace vorsant {
namespace {

// The readings of `input`, taken at `labPsi` through a disc of `diameterMm`,
// with the production conditions of the sample trials, analysed.
TWineRec Analysed(const DataInput& input, const char* labPsi, const char* diameterMm, const char* wineName = "",
                  const char* filterName = "") {
  TWineClass wine;
  TConditions& c = wine.WineRec.Conditions;
  c.WineName.Set(wineName);
  c.FilterName.Set(filterName);
  c.LabP.Set(labPsi);
  c.LabFiltDia.Set(diameterMm);
  c.ProdP.Set("  30");
  c.ProdA.Set("20.0");
  c.ProdRate.Set("40.0");
  ApplyData(input, wine);
  Calculate(wine.WineRec, false, ",");
  return wine.WineRec;
}

// A 20-point trial that fouls as the sample trials do, analysed, with
// names that a page must escape.
TWineRec AnalysedTrial() {
  DataInput input;
  for (std::size_t k = 0; k < 20; ++k) {
    const int t = 30 * static_cast<int>(k + 1);
    input.V[k] = std::to_string(1200 * (1 - std::exp(-t / 400.0)));
    input.Min[k] = std::to_string(t / 60);
    input.Sec[k] = std::to_string(t % 60);
  }
  return Analysed(input, "30.0", "47.0", "Pinot <b>Noir", "K&250 \x01\xE9");
}

std::size_t Count(const std::string& s, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
  return n;
}

// Nothing is fetched from anywhere, and every element that is opened is
// closed.
void ExpectSelfContainedAndBalanced(const std::string& html) {
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">", 0), 0u);
  EXPECT_TRUE(html.ends_with("</body>\n</html>\n"));
  for (const char* outside : {"http:", "https:", "src=", "href=", "@import", "url(", "<script", "<link"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
  for (const char* element : {"head", "body", "section", "pre", "figure", "svg", "text", "h1", "h2", "p",
                              "table", "tr", "td", "th"}) {
    const std::string name = element;
    EXPECT_EQ(Count(html, "<" + name + ">") + Count(html, "<" + name + " "), Count(html, "</" + name + ">"))
        << name;
  }
}

TEST(TrialReportHtml, ShowsEveryPanelLineTheModelsAndTheGraphsOfTheTrial) {
  const TWineRec rec = AnalysedTrial();
  const std::string html = TrialReportHtml(rec, "Pinot & co.vrs", "2026-12-09");
  ExpectSelfContainedAndBalanced(html);

  const ReportLines lines = FillLines(rec);
  for (const auto* panel : {&lines.Memo1, &lines.Memo2}) {
    for (const std::string& line : *panel)
      EXPECT_NE(html.find(HtmlText(line) + "\n"), std::string::npos) << line;
  }
  const FoulingOutcome models = AnalyseFouling(rec, {});
  ASSERT_TRUE(models.report);
  // The verdict first, the record's panels last; the models as a real table.
  const std::size_t verdict = html.find("<h2>Verdict</h2>");
  for (const std::string& sentence : VerdictSentences(MakeVerdict(rec, *models.report), {}, Presentation{}))
    EXPECT_NE(html.find("<p>" + HtmlText(sentence) + "</p>"), std::string::npos) << sentence;
  EXPECT_LT(verdict, html.find("<h2>Fouling Models</h2>"));
  EXPECT_LT(html.find("<h2>Production Scale Graph</h2>"), html.find("<table class=\"models\">"));
  EXPECT_LT(html.find("<table class=\"models\">"), html.find("<section class=\"appendix\">"));
  EXPECT_LT(html.find("<section class=\"appendix\">"), html.find(HtmlText(lines.Memo2[2])));
  const auto cells = FoulingTableCells(*models.report, VolumeUnit::kUsGallon, {});
  for (std::size_t i = 0; i < cells.size(); ++i) {
    EXPECT_NE(html.find("<td>" + std::string(LawName(kFoulingLaws[i]))), std::string::npos);
    for (const std::string& cell : cells[i])
      EXPECT_NE(html.find("<td class=\"figure\">" + cell + "</td>"), std::string::npos) << cell;
  }
  EXPECT_EQ(Count(html, "<figure>"), 4u);  // models, trial, laboratory and production graphs
  EXPECT_NE(html.find("File: Pinot &amp; co.vrs"), std::string::npos);
  EXPECT_NE(html.find("2026-12-09"), std::string::npos);
}

TEST(TrialReportHtml, EscapesRecordTextsAndReplacesControlCharacters) {
  const std::string html = TrialReportHtml(AnalysedTrial(), "t.vrs", "2026-12-09");
  EXPECT_NE(html.find("<h1>Pinot &lt;b&gt;Noir - K&amp;250 ?\u00e9</h1>"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_EQ(html.find('\x01'), std::string::npos);
  EXPECT_EQ(HtmlText("\"a\"\t\x7f\u0085"), "&quot;a&quot;\t??");
  // A file name that is not UTF-8 (Latin-1 bytes from another system).
  EXPECT_EQ(HtmlText("caf\xe9.vrs"), "caf\ufffd.vrs");
  EXPECT_EQ(TrialReportHtml(AnalysedTrial(), "\xff\xfe.vrs", "2026-12-09").find('\xff'), std::string::npos);
}

TEST(TrialReportHtml, NamesWhyATrialWithoutDataHasNoModels) {
  const std::string html = TrialReportHtml(TWineRec{}, "new.vrs", "2026-12-09");
  ExpectSelfContainedAndBalanced(html);
  EXPECT_NE(html.find("<p class=\"failure\">" + std::string(kInsufficientDataWarning) + "</p>"),
            std::string::npos);
}

// The winery's two readings through a 25 mm disc at 2 bar: the measured
// index first, the trial window's own message kept in its panel.
TEST(TrialReportHtml, LeadsAFilterabilityTestWithItsMeasuredIndex) {
  DataInput input;
  input.V[0] = "200";
  input.Min[0] = "1";
  input.Sec[0] = "43";
  input.V[1] = "400";
  input.Min[1] = "3";
  input.Sec[1] = "28";
  const std::string html = TrialReportHtml(Analysed(input, "29.0", "25.0"), "fi.vrs", "2026-12-09");
  ExpectSelfContainedAndBalanced(html);
  const std::size_t index = html.find("<td class=\"figure\">2.00 s, very good</td>");
  ASSERT_NE(index, std::string::npos);
  EXPECT_LT(index, html.find("Trial Graph"));
  EXPECT_NE(html.find("fouling prediction needs 2 more readings"), std::string::npos);
}

}  // namespace
}  // namespace vorsant
