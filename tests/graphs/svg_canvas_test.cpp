#include "graphs/svg_canvas.h"

#include <gtest/gtest.h>

#include "graphs/scale_graphs.h"
#include "graphs/text_metric.h"
#include "graphs/trial_graph.h"
#include "tests/graphs/trial_builder.h"

namespace vorsant {
namespace {

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

TEST(TextMetricTest, HeightsConvertBetweenCellAndCharacter) {
  EXPECT_EQ(FixedFontMetrics({11, FontHeight::kCell, 0}).characterHeight, 9);
  EXPECT_EQ(FixedFontMetrics({11, FontHeight::kCharacter, 0}).cellHeight, 13);
  EXPECT_EQ(FixedFontMetrics({14, FontHeight::kCharacter, 0}).cellHeight, 17);
  const FontMetrics m = FixedFontMetrics({11, FontHeight::kCharacter, 0});
  EXPECT_EQ(m.ascent + m.descent, m.cellHeight);
  EXPECT_GT(m.descent, 0);
}

TEST(TextMetricTest, WidthsAreWholePixelAdvancesAndBlanksCount) {
  const Font font{11, FontHeight::kCharacter, 0};
  EXPECT_EQ(FixedCharAdvance('0', font), 6);  // 0.55 * 11
  EXPECT_EQ(FixedCharAdvance(' ', font), 3);
  EXPECT_EQ(FixedMeasureText("   20", font).width, 3 * 3 + 2 * 6);
  EXPECT_EQ(FixedMeasureText("", font), (TextSize{0, 13}));
  EXPECT_GT(FixedMeasureText("W", font).width, FixedMeasureText("i", font).width);
}

TEST(TextMetricTest, LegendTextsFitTheirEightyPixelBoxes) {
  const Font font{11, FontHeight::kCharacter, 0};
  for (const char* text : {"Max Resistance", "Model Curve", "Data Points", "Unused Data"}) {
    EXPECT_LE(FixedMeasureText(text, font).width, 80) << text;
  }
}

TEST(SvgCanvasTest, LinesCoverTheirPixelsWithoutTheEndPixel) {
  SvgCanvas canvas(10, 10);
  canvas.DrawLine({0, 5}, {4, 5}, Pen{{1, 2, 3}});
  canvas.DrawLine({3, 3}, {3, 3}, Pen{{1, 2, 3}});  // nothing
  canvas.DrawLine({2, 0}, {2, 4}, Pen{{0, 0, 255}, 1, PenStyle::kDotted});
  const std::string doc = canvas.Document();
  EXPECT_TRUE(Contains(doc, "<line x1=\"0\" y1=\"5.5\" x2=\"4\" y2=\"5.5\" stroke=\"#010203\""));
  EXPECT_TRUE(Contains(doc, "<line x1=\"2.5\" y1=\"0\" x2=\"2.5\" y2=\"4\" stroke=\"#0000ff\""));
  EXPECT_TRUE(Contains(doc, "stroke-dasharray=\"3 3\""));
  std::size_t lines = 0;
  for (std::size_t at = doc.find("<line"); at != std::string::npos; at = doc.find("<line", at + 1)) ++lines;
  EXPECT_EQ(lines, 2u);
}

TEST(SvgCanvasTest, RectangleIsABorderRingAroundItsFill) {
  SvgCanvas canvas(700, 600);
  canvas.DrawRectangle({0, 0, 700, 600}, {248, 248, 255}, {0, 0, 0});
  const std::string doc = canvas.Document();
  EXPECT_TRUE(Contains(doc, "<rect x=\"0\" y=\"0\" width=\"700\" height=\"600\" fill=\"#000000\"/>"));
  EXPECT_TRUE(Contains(doc, "<rect x=\"1\" y=\"1\" width=\"698\" height=\"598\" fill=\"#f8f8ff\"/>"));
}

TEST(SvgCanvasTest, TextIsOpaqueEscapedAndRotatedAboutItsAnchor) {
  SvgCanvas canvas(100, 100);
  const Font font{11, FontHeight::kCharacter, 90};
  canvas.DrawText({25, 80}, "R<&\x93x\x94", font, {0, 0, 0}, {248, 248, 255});
  const std::string doc = canvas.Document();
  EXPECT_TRUE(Contains(doc, "<g transform=\"rotate(-90 25 80)\">"));
  const int width = FixedMeasureText("R<&\x93x\x94", font).width;
  EXPECT_TRUE(Contains(doc, "<rect x=\"25\" y=\"80\" width=\"" + std::to_string(width) + "\" height=\"13\""));
  EXPECT_TRUE(Contains(doc, ">R&lt;&amp;\xE2\x80\x9Cx\xE2\x80\x9D</text>"));
  EXPECT_TRUE(Contains(doc, "textLength=\"" + std::to_string(width) + "\""));
}

TEST(SvgCanvasTest, BoxTextIsClippedToItsBox) {
  SvgCanvas canvas(100, 100);
  canvas.DrawTextInBox({10, 20, 90, 40}, "Model Curve", {11, FontHeight::kCharacter, 0}, {0, 0, 0},
                       {1, 1, 1});
  const std::string doc = canvas.Document();
  EXPECT_TRUE(Contains(doc, "<svg x=\"10\" y=\"20\" width=\"80\" height=\"20\">"));
}

TEST(XmlTextTest, ControlBytesBecomeQuestionMarksAndTheRestUtf8) {
  EXPECT_EQ(XmlText("a\x01"
                    "b\x7F"),
            "a?b?");
  EXPECT_EQ(XmlText("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(XmlText("\x80"), "\xE2\x82\xAC");
}

TEST(SvgCanvasTest, WholeGraphsGiveCompleteDeterministicDocuments) {
  const TWineRec rec = testing::TrialBuilder()
                           .Names("Shiraz & Co", "<Pad>")
                           .Points({{0.25, 12}, {0.5, 12.5}, {0.75, 13}, {1.0, 14}, {1.23, 15}})
                           .Power(11.5, 1.5, 2.0e9)
                           .MaxProdR("  60.0")
                           .Build();
  SvgCanvas first(kScaleGraphWidth, kScaleGraphHeight);
  DrawProdGraph(first, rec);
  SvgCanvas second(kScaleGraphWidth, kScaleGraphHeight);
  DrawProdGraph(second, rec);
  const std::string doc = first.Document();
  EXPECT_EQ(doc, second.Document());
  EXPECT_EQ(doc.rfind("</svg>\n"), doc.size() - 7);
  EXPECT_TRUE(Contains(doc, "width=\"700\" height=\"600\""));
  EXPECT_TRUE(Contains(doc, "Shiraz &amp; Co - &lt;Pad&gt;"));
  EXPECT_FALSE(Contains(doc, "nan"));
  EXPECT_FALSE(Contains(doc, "inf"));

  SvgCanvas small(kTrialGraphWidth, kTrialGraphHeight);
  DrawGraph(small, rec);
  EXPECT_TRUE(Contains(small.Document(), "width=\"250\" height=\"200\""));
}

}  // namespace
}  // namespace vorsant
