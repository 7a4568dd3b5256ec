#include <gtest/gtest.h>

#include <string>

#include "scale/balance_exchange.h"
#include "scale/balance_profile.h"
#include "scale/balance_protocol.h"

namespace vorsant {
namespace {

TEST(BalanceProfiles, TheOriginalBalanceIsTheDefaultByteForByte) {
  const BalanceProfile& p = DefaultBalanceProfile();
  EXPECT_EQ(p.Name, "default");
  EXPECT_EQ(p.TareCommand, std::string("\x1bT\r"));
  EXPECT_EQ(p.WeightCommand, std::string("\x1bP\r"));
  EXPECT_EQ(p.ReplyEnd, '\r');
  EXPECT_EQ(LineSettingsText(p.Line), "1200 baud, 7 data bits, odd parity, 1 stop bit");
  EXPECT_EQ(p.Line.Flow, Handshake::AsPort);
  const BalanceReading r = p.Parse("-    12.34 g\r");
  EXPECT_EQ(r.State, ReadingState::Stable);
  EXPECT_DOUBLE_EQ(r.Grams, -12.34);
  EXPECT_EQ(p.Parse("+   12.3x  \r").State, ReadingState::Unreadable);
  for (const char* name : {"default", "standard", "two-letter", "continuous"}) {
    EXPECT_NE(FindBalanceProfile(name), nullptr) << name;
  }
  EXPECT_EQ(FindBalanceProfile("Standard"), nullptr);

  // Its line is the same after another profile's has been applied.
  TCustomComPort fresh, used;
  ApplyBalanceLine(fresh, p);
  ApplyBalanceLine(used, *FindBalanceProfile("standard"));
  ApplyBalanceLine(used, p);
  EXPECT_TRUE(used.FlowControl() == fresh.FlowControl());
  EXPECT_EQ(used.Options(), fresh.Options());
  EXPECT_EQ(used.BaudRate(), fresh.BaudRate());
  EXPECT_EQ(used.Parity(), fresh.Parity());
}

TEST(StandardReplies, WeightsStabilityLimitsAndErrors) {
  BalanceReading r = ParseStandardReply("S S      12.345 g\r\n");
  EXPECT_EQ(r.State, ReadingState::Stable);
  EXPECT_DOUBLE_EQ(r.Grams, 12.345);
  r = ParseStandardReply("S D     -0.012 kg\r\n");
  EXPECT_EQ(r.State, ReadingState::Unstable);
  EXPECT_DOUBLE_EQ(r.Grams, -12.0);
  EXPECT_DOUBLE_EQ(ParseStandardReply("S S - 250 mg").Grams, -0.25);
  EXPECT_EQ(ParseStandardReply("S I\r\n").State, ReadingState::Busy);
  EXPECT_EQ(ParseStandardReply("S +\r\n").State, ReadingState::Overload);
  EXPECT_EQ(ParseStandardReply("S -\r\n").State, ReadingState::Underload);
  r = ParseStandardReply("ES\r\n");
  EXPECT_EQ(r.State, ReadingState::Error);
  EXPECT_EQ(ReadingProblem(r), "the balance reports an error (ES)");
  r = ParseStandardReply("S S     1.000 lb\r\n");
  EXPECT_EQ(r.State, ReadingState::WrongUnit);
  EXPECT_EQ(ReadingProblem(r), "the balance reports its weight in lb; set it to grams");
  for (const char* garbage : {"", "\r\n", "S S 12.345", "S S abc g", "S Q 1 g", "\x1b\x7f\xff"}) {
    r = ParseStandardReply(garbage);
    EXPECT_EQ(r.State, ReadingState::Unreadable) << garbage;
    EXPECT_FALSE(ReadingProblem(r).empty());
  }
}

TEST(TwoLetterReplies, WeightsStabilityLimitsAndErrors) {
  BalanceReading r = ParseTwoLetterReply("ST,+00012.34  g\r\n");
  EXPECT_EQ(r.State, ReadingState::Stable);
  EXPECT_DOUBLE_EQ(r.Grams, 12.34);
  r = ParseTwoLetterReply("US,-0.012345 kg\r\n");
  EXPECT_EQ(r.State, ReadingState::Unstable);
  EXPECT_DOUBLE_EQ(r.Grams, -12.345);
  EXPECT_EQ(ParseTwoLetterReply("OL,+9999999E+19\r\n").State, ReadingState::Overload);
  EXPECT_EQ(ParseTwoLetterReply("OL,-9999999E+19\r\n").State, ReadingState::Underload);
  EXPECT_EQ(ParseTwoLetterReply("EC,E1\r\n").State, ReadingState::Error);
  EXPECT_EQ(ParseTwoLetterReply("ST,+00012.34 pcs\r\n").State, ReadingState::WrongUnit);
  for (const char* garbage : {"", "ST", "ST+00012.34  g", "XX,+1.0  g", "ST,+1.0", "ST,abc  g"}) {
    EXPECT_EQ(ParseTwoLetterReply(garbage).State, ReadingState::Unreadable) << garbage;
  }
}

TEST(ContinuousLines, EitherFormatIsRead) {
  EXPECT_DOUBLE_EQ(ParseContinuousLine("ST,+00012.34  g\r\n").Grams, 12.34);
  EXPECT_DOUBLE_EQ(ParseContinuousLine("S S      7.5 g\r\n").Grams, 7.5);
  EXPECT_EQ(ParseContinuousLine("US,+00012.34  g").State, ReadingState::Unstable);
  EXPECT_EQ(ParseContinuousLine("noise").State, ReadingState::Unreadable);
}

}  // namespace
}  // namespace vorsant
