#include "scale/collection_run.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "scale/balance.h"
#include "scale/balance_exchange.h"
#include "scale/density_check.h"
#include "scale/point_texts.h"
#include "trial/analysis.h"
#include "trial/number_text.h"

namespace vorsant {

namespace {

// Past 863999 s the interval is not doubled again and the run ends.
constexpr double kLongestInterval = 863999.0;
constexpr int kPointsFull = static_cast<int>(kPointCount) + 1;
constexpr int kFirstPointAfterCollapse = static_cast<int>(kPointCount) / 2 + 1;
// A round never pauses less than this, so the clock always moves on.
constexpr double kMinRoundPause = 0.001;
// Less gain than this since the previous point ends the run, ml.
constexpr double kLeastVolumeGain = 1.0;
// Readings between points come no closer than this, run-clock seconds: the
// companion file keeps tenths.
constexpr double kReadingSpacing = 0.1;
// A reading between points leaves at least this much before a due point,
// so that no point waits for one.
constexpr double kReadingMargin = 0.5;

// Sets a flag for as long as it exists.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

bool IsMaxDuration(int minutes) {
  return std::find(kMaxDurations.begin(), kMaxDurations.end(), minutes) != kMaxDurations.end();
}

}  // namespace

void EraseDataSet(TWineRec& rec) {
  rec.Data.MinSkip = 1;
  for (std::size_t k = 0; k < kPointCount; ++k) {
    rec.Data.V[k].Clear();
    rec.Data.M[k].Clear();
    rec.Data.Sc[k].Clear();
  }
  rec.bE.Set("     ");
  rec.bP.Set("     ");
  rec.rE.Set("     ");
  rec.rP.Set("     ");
  rec.a.Set("       ");
  rec.RmE.Set("      ");
  rec.RmP.Set("      ");
  rec.LabEquivVol.Set("    ");
  rec.LabFaceVel.Set("    ");
  rec.ExpectedVolE.Set("      ");
  rec.ExpectedVolP.Set("      ");
}

void CollectionRun::IterruptDataCollection(char key) {
  if (key == 'X' || key == 'x') stopCollection_ = true;
}

void CollectionRun::Recalculated(TWineClass& trial) {
  ui_.TrialChanged(trial);
}

void CollectionRun::Tare() {
  if (profile_ == &DefaultBalanceProfile()) {
    SendTare(port_);
  } else {
    TareWithProfile(port_, *profile_);
  }
}

TWeightReading CollectionRun::Weigh() {
  if (profile_ == &DefaultBalanceProfile()) return GetWeight(port_);
  const BalanceAnswer answer = WeighAsItIs(port_, *profile_);
  TWeightReading reading;
  reading.Error = !answer.Problem.empty();
  reading.WeightVal = answer.Reading.Grams;
  if (reading.Error) ui_.ShowBalanceProblem(answer.Problem);
  return reading;
}

void CollectionRun::Keep(double elapsed, double weight) {
  if (sink_ == nullptr) return;
  const double grams = weight - w0_;
  lastKept_ = elapsed;
  try {
    sink_->Add(elapsed, grams, grams / density_);
  } catch (const std::exception& e) {
    // The readings beside the points are a help, not the run: say it once
    // and go on with the points.
    ui_.ShowBalanceProblem(e.what());
    sink_ = nullptr;
  }
}

void CollectionRun::ReadBetweenPoints(double elapsed) {
  if (sink_ == nullptr || elapsed - lastKept_ < kReadingSpacing) return;
  if (r_ * interval_ - elapsed < kReadingMargin || r_ == kPointsFull) return;
  const TWeightReading reading = Weigh();
  if (!reading.Error) Keep((clock_.Now() - t0_).count(), reading.WeightVal);
}

void CollectionRun::CollectNewDataExecute(TWineClass& trial) {
  if (!Start(trial)) return;
  while (Tick()) {
    const RunClock::Seconds pause = NextRoundIn();
    if (pause.count() > 0) clock_.Sleep(pause);
  }
}

bool CollectionRun::Start(TWineClass& trial) {
  if (InProgress()) return false;
  stopCollection_ = false;
  TNewDataChoice choice;
  if (!ui_.ExecuteNewDataDialog(choice)) return false;
  // The dialog has checked the density already; a shell that let a bad one
  // through is treated like Cancel rather than run with a wrong density.
  const std::optional<std::string> densityText = RangeCheck(choice.Density);
  if (!densityText || !IsMaxDuration(choice.MaxDuration)) return false;
  density_ = NumberOr0(*densityText);
  timeLimit_ = choice.MaxDuration * 60.0;

  trial_ = &trial;
  FlagScope busy(busy_);
  TWeightReading start;
  try {
    EraseDataSet(trial.WineRec);
    trial.Modified = true;
    Calculate(trial.WineRec, false);
    Recalculated(trial);
    ui_.ShowProgress();
    Tare();
    start = Weigh();
    if (start.Error) ui_.ShowInformation(kReadingTroubleMessage);
  } catch (...) {
    EndAtOnce();
    throw;
  }
  if (start.Error) {
    Finish();
    return false;
  }
  w0_ = start.WeightVal;
  t0_ = clock_.Now();
  r_ = 1;
  interval_ = kFirstInterval;
  previousVolume_ = 0;
  shownCountdown_.clear();
  Keep(0, w0_);
  return true;
}

bool CollectionRun::Tick() {
  if (!InProgress()) return false;
  if (busy_) return true;
  FlagScope busy(busy_);
  bool stop = stopCollection_;
  if (!stop) {
    try {
      stop = Round();
    } catch (...) {
      EndAtOnce();
      throw;
    }
  }
  if (stop) Finish();
  return InProgress();
}

RunClock::Seconds CollectionRun::NextRoundIn() {
  if (!InProgress()) return RunClock::Seconds(0);
  const double untilDue = r_ * interval_ - (clock_.Now() - t0_).count();
  if (untilDue <= 0) return RunClock::Seconds(0);
  return RunClock::Seconds(std::clamp(untilDue, kMinRoundPause, kMaxRoundPause));
}

void CollectionRun::CloseProgress() {
  try {
    ui_.CloseProgress();
  } catch (...) {
    // Leaving anyway; the error that got us here matters more.
  }
  PortCloser closer(port_);
}

void CollectionRun::EndAtOnce() {
  CloseProgress();
  trial_ = nullptr;
}

void CollectionRun::Finish() {
  // The trial stays marked as being filled until the question is answered
  // and Save As is done, so nothing closes or edits it in between.
  struct Done {
    TWineClass*& slot;
    ~Done() { slot = nullptr; }
  } done{trial_};
  CloseProgress();
  if (ui_.Confirm(kSaveQuestion)) ui_.SaveAs(*trial_);
}

bool CollectionRun::Round() {
  TWineClass& trial = *trial_;
  RunClock::Seconds now = clock_.Now();
  const double elapsed = (now - t0_).count();
  const double dueAt = r_ * interval_;
  const double remaining = dueAt - elapsed;
  if (remaining > 0) {
    const std::string text = CountdownText(remaining);
    if (text != shownCountdown_) {
      ui_.SetCountdown(text);
      shownCountdown_ = text;
    }
  }

  bool stop = false;
  if (elapsed >= dueAt) {
    if (r_ == kPointsFull) {
      if (interval_ < kLongestInterval) {
        interval_ *= 2;
        DataCollapse(trial.WineRec);
        Recalculated(trial);
        r_ = kFirstPointAfterCollapse;
      } else {
        stop = true;
      }
    } else {
      const TWeightReading reading = Weigh();
      if (reading.Error) {
        ui_.ShowInformation(kReadingTroubleMessage);
        stop = true;
      } else {
        now = clock_.Now();  // the time of the point
        Keep((now - t0_).count(), reading.WeightVal);
        const double volume = (reading.WeightVal - w0_) / density_;
        if (volume - previousVolume_ < kLeastVolumeGain) {
          ui_.ShowInformation(kTooSmallVolumeMessage);
          stop = true;
        } else {
          const PointTexts texts = MakePointTexts(volume, (now - t0_).count());
          const auto k = static_cast<std::size_t>(r_ - 1);
          trial.WineRec.Data.V[k].Set(texts.V);
          trial.WineRec.Data.M[k].Set(texts.M);
          trial.WineRec.Data.Sc[k].Set(texts.Sc);
          Calculate(trial.WineRec, false);
          Recalculated(trial);
          ++r_;
          previousVolume_ = volume;
        }
      }
    }
  }

  if (!stop && elapsed < dueAt) ReadBetweenPoints(elapsed);
  ui_.ProcessMessages();
  return stop || stopCollection_ || timeLimit_ < (now - t0_).count();
}

}  // namespace vorsant
