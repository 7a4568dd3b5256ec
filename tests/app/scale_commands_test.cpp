#include "app/scale_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "app/scale_connection_flow.h"
#include "flow_fixture.h"
#include "scale/density_check.h"
#include "scripted_scale_ui.h"
#include "tests/scale/scripted_balance.h"

namespace vorsant::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::size_t PointCount(const TWineRec& rec) {
  std::size_t n = 0;
  while (n < kPointCount && !rec.Data.V[n].Empty()) ++n;
  return n;
}

// The frame after start-up with its balance commands attached, a scripted
// balance whose filtrate rises by 5 g a second from the tare on, and a clock
// that moves only when the run pauses or reads.
class ScaleCommandsTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    ASSERT_TRUE(form->StartUp());
    balance.replyAt = [this](double t) { return ReplyFor(5.0 * std::floor(t - start)); };
    scale = std::make_unique<ScaleCommands>(*form, shell, balance, clock);
  }
  void TearDown() override {
    scale.reset();
    FlowTest::TearDown();
  }

  std::vector<std::uint8_t> Environment() { return ReadBytes(Path("vorsant.dat")); }
  bool Enabled(CommandId id) { return form->Enabled(id); }
  // Runs Collect New Data with density 1 and the duration given.
  void Collect(int minutes = 9) {
    shell.NewDataAnswers.push_back({{"1"}, minutes});
    Execute(kCmdCollectNewData);
  }
  // A command from the menu, then the run's rounds it may have started.
  void Execute(CommandId id) {
    form->Execute(id);
    shell.RunTicks(clock);
  }
  bool Logged(const std::string& entry) const {
    return std::find(ui.Log.begin(), ui.Log.end(), entry) != ui.Log.end();
  }
  std::ptrdiff_t LogIndex(const std::string& entry) const {
    return std::find(ui.Log.begin(), ui.Log.end(), entry) - ui.Log.begin();
  }

  FakeClock clock;
  double start = clock.t();
  ScriptedBalancePort balance{clock};
  ScriptedScaleUi shell{ui};
  std::unique_ptr<ScaleCommands> scale;
};

const std::string kSaveQuestionLog = std::string("message: ") + kSaveQuestion;

TEST_F(ScaleCommandsTest, StartUpSetsTheBalanceLineAndTheDeviceFromTheStoredPort) {
  EXPECT_EQ(form->ComPort.DeviceName(), "COM2");
  EXPECT_EQ(form->ComPort.BaudRate(), TBaudRate::br1200);
  EXPECT_EQ(form->ComPort.DataBits(), TDataBits::db7);
  EXPECT_EQ(form->ComPort.Parity(), TParity::paOdd);
  EXPECT_EQ(form->ComPort.StopBits(), TStopBits::sb1);
  EXPECT_FALSE(form->ComPort.Active());
}

// Set Scale Connection

TEST_F(ScaleCommandsTest, ChoosingAPortTakesEffectAtOnceAndRewritesTheEnvironmentFile) {
  shell.ComAnswers.push_back(4);
  form->Execute(kCmdSetScaleConnection);
  EXPECT_EQ(shell.ComShown, std::vector<int>{2}) << "the stored port is checked";
  EXPECT_EQ(form->Environment.ScalePort, 4);
  EXPECT_EQ(form->ComPort.DeviceName(), "COM4");
  const auto bytes = Environment();
  ASSERT_EQ(bytes.size(), kEnvironmentRecSize);
  EXPECT_THAT(std::vector<std::uint8_t>(bytes.begin() + 1540, bytes.end()), ElementsAre(4, 0, 0, 0));
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.begin() + 1540, [](auto b) { return b == 0; }));
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(ScaleCommandsTest, CancelAndOkWithNoPortCheckedChangeNothing) {
  shell.ComAnswers.push_back(std::nullopt);
  form->Execute(kCmdSetScaleConnection);
  EXPECT_EQ(form->Environment.ScalePort, 2);
  EXPECT_EQ(form->ComPort.DeviceName(), "COM2");

  // A stored port outside 1 to 9 checks no button; OK then keeps it.
  TEnvironmentRec env;
  env.ScalePort = 12;
  WriteBytes(Path("vorsant.dat"), EncodeEnvironmentRec(env));
  TMainForm other(ui, Path("vorsant.dat"));
  ASSERT_TRUE(other.StartUp());
  EXPECT_EQ(other.ComPort.DeviceName(), "COM12");
  std::filesystem::remove(Path("vorsant.dat"));  // a rewrite would bring it back
  shell.ComAnswers.push_back(0);
  SetScaleConnectionExecute(other, shell);
  EXPECT_EQ(shell.ComShown.back(), 12);
  EXPECT_EQ(other.Environment.ScalePort, 12);
  EXPECT_EQ(other.ComPort.DeviceName(), "COM12");
  EXPECT_FALSE(std::filesystem::exists(Path("vorsant.dat")));
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(ScaleCommandsTest, AnEnvironmentFileThatCannotBeWrittenIsReportedAndThePortStaysInEffect) {
  // A folder in the way of the file's replacement.
  std::filesystem::create_directories(Path("vorsant.dat.new/blocked"));
  shell.ComAnswers.push_back(5);
  form->Execute(kCmdSetScaleConnection);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_THAT(ui.Messages[0].Text, StartsWith("I/O Error type "));
  EXPECT_THAT(ui.Messages[0].Text, HasSubstr(" occurred while saving environment file VORSANT.DAT."));
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Error);
  EXPECT_EQ(form->Environment.ScalePort, 5);
  EXPECT_EQ(form->ComPort.DeviceName(), "COM5");
  EXPECT_EQ(Environment()[1540], 2) << "the old file is left whole";
}

// Collect New Data

TEST_F(ScaleCommandsTest, ANineMinuteRunFillsTheActiveTrialAndSavesItWhenAsked) {
  TMDIChild& w = NewTrial();
  const int reportsBefore = ui.Reports;
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("run"));
  Collect(9);

  EXPECT_EQ(shell.NewDataShown[0].MaxDuration, 18) << "the dialog opens with 18 minutes checked";
  ASSERT_EQ(PointCount(w.WineClass.WineRec), 36u);
  EXPECT_EQ(w.WineClass.WineRec.Data.M[35].Str(), "  9");
  EXPECT_EQ(w.WineClass.WineRec.Data.MinSkip, 1);
  // The panels follow every point: once for the erase, once per point.
  EXPECT_GE(ui.Reports - reportsBefore, 37);
  EXPECT_FALSE(shell.Countdowns.empty());

  const auto question = std::find_if(ui.Messages.begin(), ui.Messages.end(),
                                     [](const ShownMessage& m) { return m.Text == kSaveQuestion; });
  ASSERT_NE(question, ui.Messages.end());
  EXPECT_EQ(question->Icon, MessageIcon::Question);
  EXPECT_EQ(question->Buttons, MessageButtons::YesNo);
  EXPECT_LT(LogIndex("progress closed"), LogIndex(kSaveQuestionLog));

  // Yes ran Save As: the file holds the 36 points and the window is saved.
  EXPECT_EQ(w.FileName, Path("run.vrs"));
  EXPECT_FALSE(w.WineClass.Modified);
  const TWineRec saved = DecodeWineRec(ReadBytes(Path("run.vrs")));
  EXPECT_EQ(saved.Data, w.WineClass.WineRec.Data);
  EXPECT_FALSE(scale->InProgress());
}

TEST_F(ScaleCommandsTest, TheDensityIsCheckedBeforeTheDialogClosesAndKeptForTheNextRun) {
  TMDIChild& w = NewTrial();
  ui.MessageAnswers.push_back(MessageAnswer::No);
  shell.NewDataAnswers.push_back({{"abc", "2.5", "0.5"}, 9});
  Execute(kCmdCollectNewData);
  ASSERT_EQ(ui.Messages.size(), 3u);
  EXPECT_EQ(ui.Messages[0].Text, kDensityRangeMessage);
  EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Information);
  EXPECT_EQ(ui.Messages[1].Text, kDensityRangeMessage);
  ASSERT_EQ(shell.NewDataChecked.size(), 1u);
  EXPECT_EQ(shell.NewDataChecked[0].Density, "0.5000");
  // At 0.5 g/ml the 75 g of the first 15 s are 150 ml.
  EXPECT_NEAR(NumberOr0(w.WineClass.WineRec.Data.V[0].Str()), 150.0, 5.1);

  // No leaves the trial unsaved and modified.
  EXPECT_TRUE(w.WineClass.Modified);
  EXPECT_EQ(w.FileName, kUnsavedFileName);
  EXPECT_TRUE(ui.FileDialogs.empty());

  shell.NewDataAnswers.push_back({{}, 9, true});
  Execute(kCmdCollectNewData);
  EXPECT_EQ(shell.NewDataShown[1].Density, "0.5000");
}

TEST_F(ScaleCommandsTest, CancelInTheNewDataDialogLeavesTheTrialAsItWas) {
  TMDIChild& w = NewTrial();
  w.WineClass.WineRec.Data.V[0].Set("  12.0");
  w.WineClass.Modified = false;
  const TWineRec before = w.WineClass.WineRec;
  shell.NewDataAnswers.push_back({{}, 9, true});
  form->Execute(kCmdCollectNewData);
  EXPECT_EQ(EncodeWineRec(w.WineClass.WineRec), EncodeWineRec(before));
  EXPECT_FALSE(w.WineClass.Modified);
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_FALSE(Logged("progress shown"));
  EXPECT_EQ(balance.opens, 0);
}

TEST_F(ScaleCommandsTest, SaveAsSavesTheFilledTrialEvenWhenTheUserMovedToAnotherWindow) {
  TMDIChild& filled = NewTrial("Filled");
  TMDIChild& other = NewTrial("Other");
  ui.Active = &filled;
  shell.OnRound = [&](int round) {
    if (round == 3) ui.Active = &other;
  };
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("filled.vrs"));
  Collect(9);
  EXPECT_EQ(filled.FileName, Path("filled.vrs"));
  EXPECT_EQ(other.FileName, kUnsavedFileName);
  EXPECT_EQ(PointCount(other.WineClass.WineRec), 0u);
}

TEST_F(ScaleCommandsTest, TheXKeyEndsTheRunAfterItsRoundAndOtherKeysDoNothing) {
  TMDIChild& w = NewTrial();
  shell.OnRound = [&](int) {
    shell.Strike('a');
    if (PointCount(w.WineClass.WineRec) == 4) shell.Strike('x');
  };
  ui.MessageAnswers.push_back(MessageAnswer::No);
  Collect(144);
  EXPECT_EQ(PointCount(w.WineClass.WineRec), 4u);
  EXPECT_TRUE(Logged(kSaveQuestionLog));
}

TEST_F(ScaleCommandsTest, AFailingPortEndsTheRunWithoutTheSaveQuestionAndPassesItsErrorOn) {
  NewTrial();
  // At the tare, from the command itself; then at the third point's
  // reading, from the timer (opens: tare, starting weight, points 1 to 3).
  for (const int failingOpen : {1, 2 + 3}) {
    balance.opens = 0;
    balance.failOnOpen = failingOpen;
    shell.NewDataAnswers.push_back({{"1"}, 9});
    EXPECT_THROW(Execute(kCmdCollectNewData), EComError) << failingOpen;
    EXPECT_TRUE(Logged("progress closed"));
    EXPECT_FALSE(shell.ProgressOpen);
    EXPECT_FALSE(balance.Active());
    EXPECT_FALSE(Logged(kSaveQuestionLog));
    EXPECT_FALSE(scale->InProgress());
    EXPECT_TRUE(Enabled(kCmdCollectNewData));
  }
  EXPECT_EQ(PointCount(form->Windows()[0]->WineClass.WineRec), 2u);
  // Nothing is left to call: the program goes on as usual.
  shell.RunTicks(clock);
  EXPECT_EQ(balance.requests, 1 + 2) << "the starting weight and two points";
}

// The guard of a running collection

TEST_F(ScaleCommandsTest, DuringARunTheFilledTrialCannotBeEditedOrCollectedIntoAgain) {
  TMDIChild& other = NewTrial("Other");
  TMDIChild& filled = NewTrial("Filled");
  bool checked = false;
  shell.OnRound = [&](int round) {
    if (round != 2) return;
    checked = true;
    EXPECT_FALSE(Enabled(kCmdCollectNewData));
    EXPECT_FALSE(Enabled(kCmdEditData));
    EXPECT_FALSE(Enabled(kCmdEditConditions));
    EXPECT_FALSE(Enabled(kCmdSetScaleConnection));
    EXPECT_TRUE(Enabled(kCmdFileSave));
    EXPECT_TRUE(Enabled(kCmdLaboratoryGraph));
    // The commands refuse too, whatever sends them.
    form->Execute(kCmdCollectNewData);
    form->Execute(kCmdEditConditions);
    form->Execute(kCmdSetScaleConnection);
    // Another trial stays editable, but still not collected into.
    ui.Active = &other;
    EXPECT_TRUE(Enabled(kCmdEditData));
    EXPECT_TRUE(Enabled(kCmdEditConditions));
    EXPECT_FALSE(Enabled(kCmdCollectNewData));
    ui.Active = &filled;
  };
  ui.MessageAnswers.push_back(MessageAnswer::No);
  Collect(9);
  EXPECT_TRUE(checked);
  EXPECT_EQ(shell.NewDataShown.size(), 1u);
  EXPECT_TRUE(ui.ConditionsShown.size() == 2u) << "only the two New commands showed the conditions";
  EXPECT_TRUE(shell.ComShown.empty());
  EXPECT_EQ(PointCount(filled.WineClass.WineRec), 36u);
  EXPECT_TRUE(Enabled(kCmdCollectNewData));
  EXPECT_TRUE(Enabled(kCmdEditData));
}

TEST_F(ScaleCommandsTest, TheCloseCommandOnTheFilledTrialEndsTheRunThenClosesIt) {
  TMDIChild& w = NewTrial();
  shell.OnRound = [&](int) {
    if (PointCount(w.WineClass.WineRec) == 3 && form->Windows().size() == 1) form->Execute(kCmdFileClose);
  };
  ui.MessageAnswers = {MessageAnswer::No, MessageAnswer::No};
  Collect(144);
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(form->WineWindowCount, 0);
  EXPECT_THAT(MessageTexts(), ElementsAre(kSaveQuestion, "Save Chardonnay Pad before closing?"));
  EXPECT_LT(LogIndex("progress closed"), LogIndex("destroyed: Chardonnay Pad"));
  EXPECT_EQ(balance.requests, 1 + 3) << "the run stopped right after the round that asked";
}

TEST_F(ScaleCommandsTest, TheCloseBoxOfTheFilledTrialEndsTheRunThenAsksItsCloseQuery) {
  TMDIChild& other = NewTrial("Other");
  TMDIChild& w = NewTrial();
  bool otherClosed = false;
  shell.OnRound = [&](int round) {
    if (round == 2) {
      // Another trial closes at once.
      ui.MessageAnswers.push_front(MessageAnswer::No);
      form->CloseTrialWindow(other);
      otherClosed = form->Windows().size() == 1;
    }
    if (round == 5) form->CloseTrialWindow(w);
  };
  ui.MessageAnswers.push_back(MessageAnswer::No);  // the save question
  ui.MessageAnswers.push_back(MessageAnswer::No);  // "Save the changes to ...?"
  Collect(144);
  EXPECT_TRUE(otherClosed);
  EXPECT_TRUE(form->Windows().empty());
  EXPECT_EQ(MessageTexts().back(), "Save the changes to Chardonnay Pad?");
  EXPECT_EQ(MessageTexts()[MessageTexts().size() - 2], kSaveQuestion);
}

TEST_F(ScaleCommandsTest, ClosingTheProgramDuringARunEndsTheRunFirstAndThenAsksToCloseAgain) {
  TMDIChild& w = NewTrial();
  bool vetoed = false;
  shell.OnRound = [&](int round) {
    if (round == 400) vetoed = !form->CloseQuery();
  };
  ui.MessageAnswers.push_back(MessageAnswer::No);
  Collect(144);
  EXPECT_TRUE(vetoed);
  EXPECT_EQ(ui.CloseRequests, 1);
  EXPECT_EQ(form->Windows().size(), 1u) << "the frame's own close asks the windows later";
  EXPECT_GT(PointCount(w.WineClass.WineRec), 0u);
  EXPECT_FALSE(scale->InProgress());
  // With the run over nothing holds the program back.
  ui.MessageAnswers.push_back(MessageAnswer::No);
  EXPECT_TRUE(form->CloseQuery());
}

}  // namespace
}  // namespace vorsant::testing

namespace vorsant::testing {
namespace {

// Balance Settings and the readings of a run

struct MemoryBalanceStore final : BalanceSettingStore {
  BalanceSetting stored;
  int saves = 0;
  BalanceSetting Load() override { return stored; }
  void Save(const BalanceSetting& setting) override {
    stored = setting;
    ++saves;
  }
};

std::size_t IndexOfProfile(std::string_view name) {
  const auto& all = BalanceProfiles();
  return static_cast<std::size_t>(
      std::find_if(all.begin(), all.end(), [&](const BalanceProfile& p) { return p.Name == name; }) -
      all.begin());
}

TEST_F(ScaleCommandsTest, BalanceSettingsFindABalanceAndKeepAPortAboveNineBesideTheEnvironmentFile) {
  MemoryBalanceStore store;
  form->BalanceStore = &store;
  shell.Ports = {{"COM3", "Communications Port (COM3)"}, {"COM12", "USB Serial Port (COM12)"}};
  const std::vector<std::uint8_t> environmentBefore = Environment();
  std::vector<std::string> tried;
  const BalanceFinder finder = [&](const std::string& device) -> std::optional<FoundBalance> {
    tried.push_back(device);
    if (device == "COM3") throw EComError("Access is denied.", 5);
    if (device != "COM12") return std::nullopt;
    BalanceReading reading{ReadingState::Stable, 12.345, "g", ""};
    return FoundBalance{FindBalanceProfile("standard"), reading};
  };
  shell.BalanceAnswers.push_back([](BalanceDialogState& state, const auto& find) {
    find(state);
    return true;
  });
  BalanceSettingsExecute(*form, shell, finder);

  // The current port is offered though absent, in its place; Find tries it
  // first, then the others, and takes what answered into the boxes.
  ASSERT_EQ(shell.BalanceShown.size(), 1u);
  const BalanceDialogState& shown = shell.BalanceShown[0];
  ASSERT_EQ(shown.Ports.size(), 3u);
  EXPECT_EQ(shown.Ports[0].Description, "COM2 (not present)");
  EXPECT_EQ(shown.Port, 0u);
  EXPECT_EQ(shown.Profile, IndexOfProfile("default"));
  EXPECT_EQ(tried, (std::vector<std::string>{"COM2", "COM3", "COM12"}));

  EXPECT_EQ(form->ComPort.DeviceName(), "COM12");
  EXPECT_EQ(form->ComPort.BaudRate(), TBaudRate::br9600);
  EXPECT_EQ(form->ComPort.DataBits(), TDataBits::db8);
  EXPECT_EQ(form->ComPort.Parity(), TParity::paNone);
  EXPECT_EQ(store.stored.Port, "COM12");
  EXPECT_EQ(store.stored.Profile, "standard");
  EXPECT_EQ(Environment(), environmentBefore) << "the environment file keeps COM2";

  // The next start reads the balance where it was found.
  TMainForm next(ui, Path("vorsant.dat"));
  next.BalanceStore = &store;
  ASSERT_TRUE(next.StartUp());
  EXPECT_EQ(next.ComPort.DeviceName(), "COM12");
  EXPECT_EQ(next.ComPort.BaudRate(), TBaudRate::br9600);

  // A port up to COM9 goes to the environment file as the port dialog's
  // does, and the one beside it gives way; the profile stays.
  shell.BalanceAnswers.push_back([](BalanceDialogState& state, const auto& find) {
    state.Port = 0;  // COM3, with COM12 the current port now
    find(state);     // nothing answers: the boxes stay as chosen
    EXPECT_EQ(state.Found, "No balance answered on COM12. COM3 could not be opened: Access is denied.");
    return true;
  });
  BalanceSettingsExecute(*form, shell, [](const std::string& device) -> std::optional<FoundBalance> {
    if (device == "COM3") throw EComError("Access is denied.", 5);
    return std::nullopt;
  });
  EXPECT_EQ(form->ComPort.DeviceName(), "COM3");
  EXPECT_EQ(form->Environment.ScalePort, 3);
  EXPECT_EQ(Environment()[1540], 3);
  EXPECT_EQ(store.stored.Port, "");
  EXPECT_EQ(store.stored.Profile, "standard");
}

// A kept port written another way than the list writes it is still the
// one the dialog opens on, not the list's first.
TEST_F(ScaleCommandsTest, BalanceSettingsOpenOnTheCurrentPortHoweverItsNameIsWritten) {
  MemoryBalanceStore store;
  store.stored = {"\\\\.\\com12", "standard"};
  form->BalanceStore = &store;
  ApplyBalanceSetting(*form);
  shell.Ports = {{"COM3", "Communications Port (COM3)"}, {"COM12", "USB Serial Port (COM12)"}};
  shell.BalanceAnswers.push_back([](BalanceDialogState&, const auto&) { return false; });
  BalanceSettingsExecute(*form, shell, [](const std::string&) { return std::optional<FoundBalance>(); });
  ASSERT_EQ(shell.BalanceShown.size(), 1u);
  EXPECT_EQ(shell.BalanceShown[0].Ports.size(), 2u);
  EXPECT_EQ(shell.BalanceShown[0].Port, 1u);
}

TEST_F(ScaleCommandsTest, ARunKeepsEveryReadingAndTheFileMovesBesideTheTrialWhenSaved) {
  TMDIChild& w = NewTrial();
  shell.ReadingsPath = Path("pending.csv");
  ui.MessageAnswers.push_back(MessageAnswer::Yes);
  ui.FileChoices.push_back(Path("run"));
  Collect(9);

  ASSERT_EQ(w.FileName, Path("run.vrs"));
  EXPECT_FALSE(std::filesystem::exists(Path("pending.csv")));
  EXPECT_TRUE(w.PendingReadings.empty());
  std::ifstream in(Path("run.readings.csv"), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int skipped = 0;
  const std::vector<LoggedReading> kept = ParseReadingLog(text, &skipped);
  EXPECT_EQ(skipped, 0);
  EXPECT_GT(kept.size(), 36u * 10) << "readings between the points too";
  EXPECT_EQ(PointCount(w.WineClass.WineRec), 36u) << "the points are those of any run";
  ASSERT_FALSE(form->Recent.Paths().empty());
  EXPECT_EQ(form->Recent.Paths().front(), Path("run.vrs"));
}

TEST_F(ScaleCommandsTest, TheModelsFitARunsReadingsBeforeItsTrialIsSaved) {
  NewTrial();
  shell.ReadingsPath = Path("pending.csv");
  ui.MessageAnswers.push_back(MessageAnswer::No);  // not saved at the run's end
  Collect(9);
  form->FoulingModelsExecute();
  ASSERT_EQ(ui.FoulingWindows.size(), 1u);
  const ReadingsSource& source = ui.FoulingWindows[0].Report.source;
  EXPECT_EQ(source.file, "pending.csv") << source.whyNot;
  EXPECT_TRUE(source.used) << source.whyNot;
  EXPECT_GT(source.fitted, 36u);
}

}  // namespace
}  // namespace vorsant::testing
