#include "app/gdi_canvas_win.h"

#include "graphs/text_metric.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace vorsant {
namespace {

constexpr Color kWhite{255, 255, 255};
constexpr Color kRed{200, 0, 0};
constexpr Color kBlue{0, 0, 200};

class GdiCanvasTest : public ::testing::Test {
 protected:
  GdiCanvasTest() : screen_(nullptr), bitmap_(screen_.Get(), 100, 80), canvas_(bitmap_.Dc()) {
    canvas_.FillRect({0, 0, 100, 80}, kWhite);
  }
  Color At(int x, int y) const { return FromColorRef(GetPixel(bitmap_.Dc(), x, y)); }

  WindowDc screen_;
  OffscreenBitmap bitmap_;
  GdiCanvas canvas_;
};

TEST_F(GdiCanvasTest, RectanglesCoverTheirPixelsAndNotTheirRightAndBottomEdges) {
  canvas_.FillRect({10, 10, 20, 15}, kRed);
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(19, 14), kRed);
  EXPECT_EQ(At(20, 14), kWhite);
  EXPECT_EQ(At(19, 15), kWhite);

  canvas_.DrawRectangle({30, 30, 40, 36}, kBlue, kRed);
  EXPECT_EQ(At(30, 30), kRed);
  EXPECT_EQ(At(39, 35), kRed);
  EXPECT_EQ(At(31, 31), kBlue);
  EXPECT_EQ(At(38, 34), kBlue);
  EXPECT_EQ(At(40, 35), kWhite);
}

TEST_F(GdiCanvasTest, LinesIncludeTheirStartAndExcludeTheirEnd) {
  canvas_.DrawLine({0, 5}, {4, 5}, Pen{kRed});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(At(x, 5), kRed) << x;
  EXPECT_EQ(At(4, 5), kWhite);

  canvas_.DrawLine({50, 50}, {50, 50}, Pen{kRed});
  EXPECT_EQ(At(50, 50), kWhite) << "a zero-length line draws nothing";

  canvas_.DrawLine({60, 10}, {63, 13}, Pen{kBlue});
  EXPECT_EQ(At(60, 10), kBlue);
  EXPECT_EQ(At(62, 12), kBlue);
  EXPECT_EQ(At(63, 13), kWhite);
}

TEST_F(GdiCanvasTest, DottedLinesRunThreeOnThreeOffFromTheirStart) {
  canvas_.DrawLine({0, 20}, {14, 20}, Pen{kBlue, 1, PenStyle::kDotted});
  const bool expected[14] = {1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1};
  for (int x = 0; x < 14; ++x) EXPECT_EQ(At(x, 20) == kBlue, expected[x]) << x;
  EXPECT_EQ(At(14, 20), kWhite);
}

TEST_F(GdiCanvasTest, TextFillsItsCellAndTurnedTextRunsUpwardsFromItsAnchor) {
  Font font{11, FontHeight::kCell, 0};
  TextSize size = canvas_.MeasureText("X", font);
  EXPECT_GT(size.width, 0);
  EXPECT_GE(size.height, 10);
  EXPECT_LE(size.height, 12);
  EXPECT_GT(canvas_.MeasureText("XX", font).width, size.width);
  EXPECT_EQ(canvas_.MeasureText("", font).height, size.height);

  canvas_.DrawText({10, 40}, "X", font, kRed, kBlue);
  EXPECT_NE(At(10, 40), kWhite) << "the cell starts at the anchor";
  EXPECT_EQ(At(10 + size.width, 40), kWhite);
  EXPECT_EQ(At(10, 40 + size.height), kWhite);

  Font turned{11, FontHeight::kCell, 90};
  size = canvas_.MeasureText("X", turned);
  canvas_.DrawText({70, 70}, "X", turned, kRed, kBlue);
  EXPECT_NE(At(70, 69), kWhite) << "the turned cell lies above its anchor";
  EXPECT_NE(At(70 + size.height - 1, 70 - size.width), kWhite);
  EXPECT_EQ(At(70, 71), kWhite) << "nothing below the anchor";
  EXPECT_EQ(At(69, 69), kWhite) << "nothing left of the anchor";
}

// The pieces of an upright title are placed for the fixed metric: a piece
// must not reach into the next one's place, whatever the face.
TEST_F(GdiCanvasTest, TurnedTextStaysWithinTheFixedMetricsWidth) {
  const Font turned{11, FontHeight::kCell, 90};
  for (const char* text : {"R  (1/m         )", "10", "R"})
    EXPECT_LE(canvas_.MeasureText(text, turned).width, FixedMeasureText(text, turned).width) << text;
  const TextSize fixed = FixedMeasureText("10", turned);
  canvas_.DrawText({20, 60}, "10", turned, kRed, kBlue);
  EXPECT_NE(At(20, 59), kWhite);
  for (int x = 20; x < 20 + fixed.height; ++x) EXPECT_EQ(At(x, 59 - fixed.width), kWhite) << x;
}

TEST_F(GdiCanvasTest, BoxedTextIsClippedToItsBox) {
  canvas_.DrawTextInBox({5, 60, 25, 75}, "WWWWWWWWWW", Font{11}, kRed, kBlue);
  EXPECT_NE(At(5, 60), kWhite);
  EXPECT_NE(At(24, 74), kWhite);
  EXPECT_EQ(At(25, 62), kWhite);
}

// The record keeps its texts in the system's code page, and the report
// shows them in it: a graph title must show the same characters. ctest runs
// this again under a Cyrillic code page, named by VORSANT_TEST_CODE_PAGE.
TEST(GdiCanvasTextTest, RecordTextsAreReadInTheSystemCodePage) {
  const UINT codePage = GetACP();
  if (const char* wanted = std::getenv("VORSANT_TEST_CODE_PAGE")) ASSERT_EQ(codePage, std::stoul(wanted));
  if (codePage == 1251) {
    EXPECT_EQ(CanvasText("\xC0\xFF"), L"\x0410\x044F");
  } else if (codePage == 1252) {
    EXPECT_EQ(CanvasText("\xC0\xFF"), L"\x00C0\x00FF");
  } else {
    GTEST_SKIP() << "no expectation for code page " << codePage;
  }
}

}  // namespace
}  // namespace vorsant
