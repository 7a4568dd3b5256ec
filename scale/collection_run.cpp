#include "scale/collection_run.h"

#include <algorithm>
#include <optional>

#include "scale/balance.h"
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

// Marks the run as in progress for as long as it exists.
class RunningMark {
 public:
  RunningMark(TWineClass*& slot, TWineClass& trial) : slot_(slot) { slot_ = &trial; }
  ~RunningMark() { slot_ = nullptr; }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;

 private:
  TWineClass*& slot_;
};

// Closes the progress window and makes the port inactive on every way out
// of the run, the error path included.
class ProgressScope {
 public:
  ProgressScope(CollectionUi& ui, SerialPort& port) : ui_(ui), port_(port) { ui_.ShowProgress(); }
  ~ProgressScope() {
    try {
      ui_.CloseProgress();
    } catch (...) {
      // Leaving anyway; the error that got us here matters more.
    }
    PortCloser closer(port_);
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  CollectionUi& ui_;
  SerialPort& port_;
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

void CollectionRun::CollectNewDataExecute(TWineClass& trial) {
  if (InProgress()) return;
  stopCollection_ = false;
  TNewDataChoice choice;
  if (!ui_.ExecuteNewDataDialog(choice)) return;
  // The dialog has checked the density already; a shell that let a bad one
  // through is treated like Cancel rather than run with a wrong density.
  const std::optional<std::string> densityText = RangeCheck(choice.Density);
  if (!densityText || !IsMaxDuration(choice.MaxDuration)) return;
  const double density = NumberOr0(*densityText);

  RunningMark running(trial_, trial);
  EraseDataSet(trial.WineRec);
  trial.Modified = true;
  Calculate(trial.WineRec, false);
  Recalculated(trial);
  {
    ProgressScope progress(ui_, port_);
    Collect(trial, density, choice.MaxDuration);
  }
  if (ui_.Confirm(kSaveQuestion)) ui_.SaveAs(trial);
}

void CollectionRun::Collect(TWineClass& trial, double density, int maxDuration) {
  SendTare(port_);
  const TWeightReading start = GetWeight(port_);
  if (start.Error) {
    ui_.ShowInformation(kReadingTroubleMessage);
    return;
  }
  const double w0 = start.WeightVal;
  const RunClock::Seconds t0 = clock_.Now();
  int r = 1;
  double interval = kFirstInterval;
  double previousVolume = 0;
  std::string shownCountdown;
  const double timeLimit = maxDuration * 60.0;

  bool stop = false;
  while (!stop) {
    RunClock::Seconds now = clock_.Now();
    const double elapsed = (now - t0).count();
    const double dueAt = r * interval;
    const double remaining = dueAt - elapsed;
    if (remaining > 0) {
      const std::string text = CountdownText(remaining);
      if (text != shownCountdown) {
        ui_.SetCountdown(text);
        shownCountdown = text;
      }
    }

    if (elapsed >= dueAt) {
      if (r == kPointsFull) {
        if (interval < kLongestInterval) {
          interval *= 2;
          DataCollapse(trial.WineRec);
          Recalculated(trial);
          r = kFirstPointAfterCollapse;
        } else {
          stop = true;
        }
      } else {
        const TWeightReading reading = GetWeight(port_);
        if (reading.Error) {
          ui_.ShowInformation(kReadingTroubleMessage);
          stop = true;
        } else {
          now = clock_.Now();  // the time of the point
          const double volume = (reading.WeightVal - w0) / density;
          if (volume - previousVolume < kLeastVolumeGain) {
            ui_.ShowInformation(kTooSmallVolumeMessage);
            stop = true;
          } else {
            const PointTexts texts = MakePointTexts(volume, (now - t0).count());
            const auto k = static_cast<std::size_t>(r - 1);
            trial.WineRec.Data.V[k].Set(texts.V);
            trial.WineRec.Data.M[k].Set(texts.M);
            trial.WineRec.Data.Sc[k].Set(texts.Sc);
            Calculate(trial.WineRec, false);
            Recalculated(trial);
            ++r;
            previousVolume = volume;
          }
        }
      }
    }

    ui_.ProcessMessages();
    if (stopCollection_ || timeLimit < (now - t0).count()) stop = true;
    if (!stop) {
      const double untilDue = r * interval - (clock_.Now() - t0).count();
      if (untilDue > 0) clock_.Sleep(RunClock::Seconds(std::clamp(untilDue, kMinRoundPause, kMaxRoundPause)));
    }
  }
}

}  // namespace vorsant
