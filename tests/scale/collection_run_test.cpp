#include "scale/collection_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "scale/com_port.h"
#include "tests/scale/scripted_balance.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::FakeClock;
using ::testing::HasSubstr;
using testing::ReplyFor;
using testing::ScriptedBalancePort;
using testing::ScriptedCollectionUi;

// A trial with conditions the analysis can work with and a few old points.
TWineClass FilledTrial() {
  TWineClass trial;
  TWineRec& r = trial.WineRec;
  r.Conditions.LabP.Set("  30");
  r.Conditions.LabFiltDia.Set("  47");
  r.Conditions.ProdP.Set("  30");
  r.Conditions.ProdA.Set(" 1.0");
  r.Conditions.ProdRate.Set("  60");
  for (std::size_t k = 0; k < 5; ++k) {
    r.Data.V[k].Set(Fixed(10.0 * static_cast<double>(k + 1), 6, 1));
    r.Data.M[k].Set(Fixed(static_cast<double>(k), 3, 0));
    r.Data.Sc[k].Set("30");
  }
  r.Data.MinSkip = 3;
  r.bE.Set("1.234");
  r.RmE.Set("  5.00");
  r.ExpectedVolE.Set("  1234");
  return trial;
}

std::size_t PointCount(const TWineRec& rec) {
  std::size_t n = 0;
  while (n < kPointCount && !rec.Data.V[n].Empty()) ++n;
  return n;
}

// Seconds from the start of the run that point k (0-based) carries.
double StoredSeconds(const TWineRec& rec, std::size_t k) {
  return NumberOr0(rec.Data.M[k].Str()) * 60.0 + NumberOr0(rec.Data.Sc[k].Str());
}

struct RunFixture : ::testing::Test {
  FakeClock clock;
  ScriptedBalancePort port{clock};
  ScriptedCollectionUi ui;
  CollectionRun run{port, clock, ui};
  TWineClass trial = FilledTrial();
  // The filtrate rises by 0.5 g each whole second from the tare on, so the
  // gains between readings are exact however long a reading takes.
  double tareTime = 0;
  double Grams(double t, double until = 1e9) const {
    return 20.0 + 0.5 * std::floor(std::min(t - tareTime, until));
  }

  void SetUp() override {
    tareTime = clock.t();
    port.replyAt = [this](double t) { return ReplyFor(Grams(t)); };
  }
};

TEST_F(RunFixture, NineMinutesFillsThirtySixPointsFifteenSecondsApartWithoutCollapse) {
  ui.dialogChoice = {"1", 9};
  run.CollectNewDataExecute(trial);

  const TWineRec& rec = trial.WineRec;
  ASSERT_EQ(PointCount(rec), 36u);
  for (std::size_t k = 0; k < 36; ++k) {
    EXPECT_NEAR(StoredSeconds(rec, k), 15.0 * static_cast<double>(k + 1), 0.5) << "point " << k + 1;
    // Each point holds the gain since the starting weight: 0.5 g/s over 15 s per point.
    EXPECT_NEAR(NumberOr0(rec.Data.V[k].Str()), 7.5 * static_cast<double>(k + 1), 0.06) << "point " << k + 1;
  }
  EXPECT_EQ(rec.Data.M[35].Str(), "  9");
  EXPECT_EQ(rec.Data.Sc[35].Str(), "00");
  EXPECT_EQ(rec.Data.V[0].Str(), "   7.5");
  // Tare, starting weight and one request per point; nothing after point 36.
  EXPECT_EQ(port.commands.front(), std::string({27, 'T', 13}));
  EXPECT_EQ(port.requests, 37);
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(rec.Data.MinSkip, 1);
  EXPECT_TRUE(trial.Modified);
  // Erase, then one recalculation per stored point.
  EXPECT_EQ(ui.trialChanges, 37);
  EXPECT_EQ(rec.TableData[35].V.Str(), rec.Data.V[35].Str());
  EXPECT_THAT(ui.events, ElementsAre("dialog  18", "progress shown", "progress closed",
                                     std::string("confirm ") + kSaveQuestion));
  EXPECT_FALSE(run.InProgress());
}

TEST_F(RunFixture, EighteenMinutesCollapsesOnceAndEndsWithThirtySixPointsThirtySecondsApart) {
  ui.dialogChoice = {"1", 18};
  std::vector<double> collapseTimes;
  int changesBefore = 0;
  ui.onRound = [&] {
    // A collapse leaves points 19 to 36 empty.
    if (ui.trialChanges != changesBefore && PointCount(trial.WineRec) == 18 &&
        trial.WineRec.Data.V[18].Empty() && port.requests == 37) {
      collapseTimes.push_back(clock.t());
    }
    changesBefore = ui.trialChanges;
  };
  run.CollectNewDataExecute(trial);

  const TWineRec& rec = trial.WineRec;
  ASSERT_EQ(PointCount(rec), 36u);
  for (std::size_t k = 0; k < 36; ++k) {
    EXPECT_NEAR(StoredSeconds(rec, k), 30.0 * static_cast<double>(k + 1), 0.5) << "point " << k + 1;
  }
  // Points 1 to 18 carry the former even points: 0:30, 1:00, ...
  EXPECT_EQ(rec.Data.M[0].Str(), "  0");
  EXPECT_EQ(rec.Data.Sc[0].Str(), "30");
  EXPECT_EQ(rec.Data.M[1].Str(), "  1");
  EXPECT_EQ(rec.Data.Sc[1].Str(), "00");
  EXPECT_NEAR(NumberOr0(rec.Data.V[0].Str()), 15.0, 0.06);
  EXPECT_EQ(port.requests, 1 + 36 + 18);
  ASSERT_EQ(collapseTimes.size(), 1u);
  // The collapse comes when point 37 would be due: 555 s after the start weight.
  const double t0 = port.requestTimes[0];
  EXPECT_NEAR(collapseTimes[0] - t0, 555.0, 0.2);
  // The first reading after it is due at 570 s.
  EXPECT_NEAR(port.requestTimes[37] - t0, 570.3, 0.2);
}

class DurationTest : public RunFixture, public ::testing::WithParamInterface<int> {};

TEST_P(DurationTest, EndsRightAfterTheLastPointOfItsPhase) {
  const int minutes = GetParam();
  ui.dialogChoice = {"1", minutes};
  run.CollectNewDataExecute(trial);
  const double spacing = minutes * 60.0 / 36.0;
  ASSERT_EQ(PointCount(trial.WineRec), 36u);
  for (std::size_t k = 0; k < 36; ++k) {
    EXPECT_NEAR(StoredSeconds(trial.WineRec, k), spacing * static_cast<double>(k + 1), 0.5)
        << "point " << k + 1;
  }
  EXPECT_NEAR(clock.t() - port.requestTimes[0], minutes * 60.0 + 0.3, 0.2);
}

INSTANTIATE_TEST_SUITE_P(AllDurations, DurationTest, ::testing::Values(9, 18, 36, 72, 144));

TEST_F(RunFixture, VolumeIsTheWeightGainDividedByTheDensity) {
  ui.dialogChoice = {"0.5", 9};
  run.CollectNewDataExecute(trial);
  // 7.5 g over the first interval at 0.5 g/ml.
  EXPECT_NEAR(NumberOr0(trial.WineRec.Data.V[0].Str()), 15.0, 0.06);
  EXPECT_NEAR(NumberOr0(trial.WineRec.Data.V[35].Str()), 540.0, 0.06);
}

TEST_F(RunFixture, StallingFilterEndsWithTheTooSmallMessageAndKeepsItsPoints) {
  port.replyAt = [this](double t) { return ReplyFor(Grams(t, 80.0)); };
  ui.confirmAnswer = true;
  run.CollectNewDataExecute(trial);
  // Points at 15 .. 75 s gained 7.5 g each, the one at 90 s 2.5 g, the next nothing.
  EXPECT_EQ(PointCount(trial.WineRec), 6u);
  EXPECT_THAT(ui.events, Contains(std::string("info ") + kTooSmallVolumeMessage));
  EXPECT_THAT(ui.events, Contains("save as"));
  EXPECT_FALSE(port.Active());
}

TEST_F(RunFixture, FirstReadingMustAlreadyGainOneMillilitre) {
  port.replyAt = [](double) { return ReplyFor(20.0); };
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(PointCount(trial.WineRec), 0u);
  EXPECT_EQ(port.requests, 2);
  EXPECT_THAT(ui.events, Contains(std::string("info ") + kTooSmallVolumeMessage));
}

TEST_F(RunFixture, BalanceGoingBackwardsEndsTheRun) {
  port.replyAt = [this](double t) {
    const double s = t - tareTime;
    return ReplyFor(s < 50 ? 20.0 + 0.5 * s : 45.0 - (s - 50));
  };
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(PointCount(trial.WineRec), 3u);
  EXPECT_THAT(ui.events, Contains(std::string("info ") + kTooSmallVolumeMessage));
}

TEST_F(RunFixture, UnreadableStartingWeightLeavesTheErasedDataSetAndStillAsks) {
  port.replyAt = [](double) { return std::string("+ 12.5 g  \r"); };
  run.CollectNewDataExecute(trial);
  const TWineRec& rec = trial.WineRec;
  EXPECT_EQ(PointCount(rec), 0u);
  for (std::size_t k = 0; k < kPointCount; ++k) EXPECT_TRUE(rec.Data.M[k].Empty() && rec.Data.Sc[k].Empty());
  EXPECT_EQ(rec.Data.MinSkip, 1);
  EXPECT_EQ(rec.bE.Str(), "     ");
  EXPECT_EQ(rec.RmE.Str(), "      ");
  EXPECT_TRUE(trial.Modified);
  EXPECT_THAT(ui.events,
              ElementsAre("dialog  18", "progress shown", std::string("info ") + kReadingTroubleMessage,
                          "progress closed", std::string("confirm ") + kSaveQuestion));
}

TEST_F(RunFixture, SilentBalanceLaterInTheRunEndsWithTheReadingMessage) {
  port.replyAt = [this](double t) -> std::optional<std::string> {
    if (t - tareTime > 50) return std::nullopt;
    return ReplyFor(Grams(t));
  };
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(PointCount(trial.WineRec), 3u);
  EXPECT_THAT(ui.events, Contains(std::string("info ") + kReadingTroubleMessage));
  EXPECT_THAT(ui.events, Contains(std::string("confirm ") + kSaveQuestion));
}

TEST_F(RunFixture, XKeyStopsAfterTheCurrentRoundAndOtherKeysDoNothing) {
  ui.dialogChoice = {"1", 18};
  ui.onRound = [&] {
    const double s = clock.t() - tareTime;
    if (s > 40) run.IterruptDataCollection('q');
    if (s > 100) run.IterruptDataCollection('x');
  };
  run.CollectNewDataExecute(trial);
  EXPECT_TRUE(run.StopCollection());
  // Readings at 15 .. 90 s, then the key at 100 s ends the run.
  EXPECT_EQ(PointCount(trial.WineRec), 6u);
  EXPECT_LT(clock.t() - tareTime, 101.0);
  EXPECT_THAT(ui.events, Contains(std::string("confirm ") + kSaveQuestion));
}

TEST_F(RunFixture, UppercaseXStopsToo) {
  ui.onRound = [&] {
    if (clock.t() - tareTime > 20) run.IterruptDataCollection('X');
  };
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(PointCount(trial.WineRec), 1u);
}

TEST_F(RunFixture, CancelLeavesTheTrialUntouchedAndAsksNothing) {
  const TWineClass before = trial;
  ui.dialogAnswer = false;
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(trial.WineRec, before.WineRec);
  EXPECT_FALSE(trial.Modified);
  EXPECT_EQ(port.opens, 0);
  EXPECT_THAT(ui.events, ElementsAre("dialog  18"));
}

TEST_F(RunFixture, DensityThatSlippedPastTheDialogIsTreatedAsCancel) {
  const TWineClass before = trial;
  ui.dialogChoice = {"2.5", 9};
  run.CollectNewDataExecute(trial);
  EXPECT_EQ(trial.WineRec, before.WineRec);
  EXPECT_EQ(port.opens, 0);
}

TEST_F(RunFixture, PortErrorEndsTheRunAtOnceWithoutTheSaveQuestion) {
  // Opens: tare, start weight, points 1 and 2, then point 3 fails.
  port.failOnOpen = 5;
  EXPECT_THROW(
      {
        try {
          run.CollectNewDataExecute(trial);
        } catch (const EComError& e) {
          EXPECT_EQ(e.ErrorCode(), 2);
          throw;
        }
      },
      EComError);
  EXPECT_EQ(PointCount(trial.WineRec), 2u);
  EXPECT_FALSE(port.Active());
  EXPECT_FALSE(run.InProgress());
  EXPECT_THAT(ui.events, ElementsAre("dialog  18", "progress shown", "progress closed"));
}

TEST_F(RunFixture, RunIsMarkedInProgressForItsTrialAndRefusesASecondStart) {
  TWineClass other = FilledTrial();
  int checks = 0;
  ui.onRound = [&] {
    if (checks++ > 0) return;
    EXPECT_TRUE(run.InProgress());
    EXPECT_TRUE(run.IsFilling(trial));
    EXPECT_FALSE(run.IsFilling(other));
    const std::size_t eventsBefore = ui.events.size();
    run.CollectNewDataExecute(other);  // e.g. the command reached through the message loop
    EXPECT_EQ(ui.events.size(), eventsBefore);
  };
  run.CollectNewDataExecute(trial);
  EXPECT_GT(checks, 0);
  EXPECT_EQ(other.WineRec, FilledTrial().WineRec);
  EXPECT_FALSE(run.InProgress());
  EXPECT_FALSE(run.IsFilling(trial));
}

TEST_F(RunFixture, CountdownCountsDownOncePerChangeAndAtLeastEverySecond) {
  ui.onRound = [&] {
    if (clock.t() - tareTime > 31) run.RequestStop();
  };
  run.CollectNewDataExecute(trial);
  ASSERT_GE(ui.countdowns.size(), 30u);
  // The countdown rounds the seconds up, so a full 15 s shows as 0:16 at first.
  EXPECT_EQ(ui.countdowns[0], " 0:16");
  EXPECT_THAT(ui.countdowns, Contains(" 0:15"));
  EXPECT_THAT(ui.countdowns, Contains(" 0:01"));
  for (std::size_t i = 1; i < ui.countdowns.size(); ++i) EXPECT_NE(ui.countdowns[i], ui.countdowns[i - 1]);
}

TEST_F(RunFixture, StopFromBeforeARunIsClearedWhenTheNextStarts) {
  run.RequestStop();
  ui.dialogAnswer = false;
  run.CollectNewDataExecute(trial);
  EXPECT_FALSE(run.StopCollection());
}

// Driven a round at a time, as a message loop's timer does: a round that
// comes from inside the run's own message boxes and Save As does nothing,
// and the end (progress closed, question, Save As) happens once.
TEST_F(RunFixture, RoundsFromInsideTheRunsOwnModalLoopsDoNothing) {
  port.replyAt = [this](double t) { return ReplyFor(Grams(t, 80.0)); };
  ui.confirmAnswer = true;
  int nested = 0;
  ui.onModal = [&] {
    const int requests = port.requests;
    EXPECT_TRUE(run.Tick());
    EXPECT_EQ(port.requests, requests);
    ++nested;
  };
  ASSERT_TRUE(run.Start(trial));
  int ticks = 0;
  for (; run.Tick() && ticks < 10000; ++ticks) {
    const double pause = run.NextRoundIn().count();
    EXPECT_GE(pause, 0.0);
    EXPECT_LE(pause, kMaxRoundPause);
    clock.Advance(pause);
  }
  EXPECT_FALSE(run.Tick());
  EXPECT_EQ(nested, 3) << "the too-small message, the question and Save As";
  EXPECT_EQ(PointCount(trial.WineRec), 6u);
  EXPECT_THAT(ui.events,
              ElementsAre("dialog  18", "progress shown", std::string("info ") + kTooSmallVolumeMessage,
                          "progress closed", std::string("confirm ") + kSaveQuestion, "save as"));
  EXPECT_FALSE(run.InProgress());
}

TEST(SteadyRunClock, ScaleMakesRunTimePassFaster) {
  SteadyRunClock clock(60.0);
  const RunClock::Seconds start = clock.Now();
  clock.Sleep(RunClock::Seconds(3.0));  // 50 ms of real time
  const double passed = (clock.Now() - start).count();
  EXPECT_GE(passed, 3.0);
  EXPECT_LT(passed, 60.0);
}

}  // namespace
}  // namespace vorsant

namespace vorsant {
namespace {

struct RecordedReadings final : ReadingSink {
  std::vector<std::array<double, 3>> lines;
  void Add(double seconds, double grams, double ml) override { lines.push_back({seconds, grams, ml}); }
};

TEST_F(RunFixture, EveryReadingIsKeptBetweenTheSameThirtySixPoints) {
  RecordedReadings kept;
  CollectionRun keeping{port, clock, ui, DefaultBalanceProfile(), &kept};
  ui.dialogChoice = {"1.25", 9};
  keeping.CollectNewDataExecute(trial);

  // The points and their schedule are those of a run that keeps nothing.
  const TWineRec& rec = trial.WineRec;
  ASSERT_EQ(PointCount(rec), 36u);
  for (std::size_t k = 0; k < 36; ++k) {
    EXPECT_NEAR(StoredSeconds(rec, k), 15.0 * static_cast<double>(k + 1), 0.5) << "point " << k + 1;
  }
  // Some 30 readings between two points: each takes the balance 0.3 s and
  // the run's round 0.1 s, and none comes in the half second before a point.
  ASSERT_GT(kept.lines.size(), 36u * 25);
  EXPECT_EQ(kept.lines.front(), (std::array<double, 3>{0, 0, 0}));
  for (std::size_t i = 1; i < kept.lines.size(); ++i) {
    const auto& [seconds, grams, ml] = kept.lines[i];
    EXPECT_GT(seconds, kept.lines[i - 1][0]);
    EXPECT_NEAR(ml, grams / 1.25, 1e-9);
  }
  EXPECT_NEAR(kept.lines.back()[1], 0.5 * 540, 1.0);
}

TEST(ReadingLog, WrittenAsItGoesAndReadBackPastACutLine) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorsant-reading-log-test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path path = ReadingLogPath(dir / "merlot.vrs");
  EXPECT_EQ(path.filename(), "merlot.readings.csv");
  {
    ReadingLog log(path);
    log.Add(0, 0, 0);
    log.Add(15.06, 12.3456, 12.2);
    // Read while the log is still open: every line is on disk already.
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "seconds,grams,ml\n0.0,0.000,0.000\n15.1,12.346,12.200\n");
  }
  int skipped = 0;
  const std::vector<LoggedReading> back = ParseReadingLog("seconds,grams,ml\r\n0.0,0,0\n15.1,12.3,12.2\n30.2,24.", &skipped);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_DOUBLE_EQ(back[1].Seconds, 15.1);
  EXPECT_DOUBLE_EQ(back[1].Ml, 12.2);
  EXPECT_EQ(skipped, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vorsant
