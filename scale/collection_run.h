#pragma once
// The timed collection run (Collect New Data): erases the trial's points,
// tares the balance, takes a starting weight and then reads the balance on
// a schedule that starts at one reading every 15 s. Each weight gain,
// divided by the density, is stored as the next point and the trial is
// recalculated; when all 36 points are used the points are halved and the
// interval doubled. Ends on the X key, the time limit, an unreadable
// reading or too little volume, and then offers Save As.
//
// While a run is in progress the rest of the program stays usable, so the
// controller must not close the trial being filled, edit its data or start
// another collection: it asks InProgress() and IsFilling(trial) before
// those commands and refuses or disables them. A second
// CollectNewDataExecute during a run returns at once without doing
// anything.

#include <string>

#include "scale/balance_profile.h"
#include "scale/balance_protocol.h"
#include "scale/collection_ui.h"
#include "scale/reading_log.h"
#include "scale/run_clock.h"
#include "scale/serial_port.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr char kReadingTroubleMessage[] =
    "Trouble reading starting weight. Data collection will exit.";
inline constexpr char kTooSmallVolumeMessage[] =
    "Volume collected over the last interval is too small. Data collection will exit.";
inline constexpr char kSaveQuestion[] =
    "Data collection is complete. Would you like to save the new data to a file?";

// Spacing of the readings at the start of a run, seconds.
inline constexpr double kFirstInterval = 15.0;
// Longest pause between two rounds, run-clock seconds: keeps the X key and
// the countdown responsive.
inline constexpr double kMaxRoundPause = 0.1;

class CollectionRun {
 public:
  // The balance speaks `profile`. With a `sink`, the run also reads the
  // balance between its points, as often as the line allows, and hands the
  // sink every reading; the points and their schedule are the same.
  CollectionRun(SerialPort& port, RunClock& clock, CollectionUi& ui,
                const BalanceProfile& profile = DefaultBalanceProfile(), ReadingSink* sink = nullptr)
      : port_(port), clock_(clock), ui_(ui), profile_(&profile), sink_(sink) {}

  // The balance and the sink of the next run, for a caller whose user may
  // choose another balance between runs. Ignored while a run is in progress.
  void UseBalance(const BalanceProfile& profile, ReadingSink* sink) {
    if (InProgress()) return;
    profile_ = &profile;
    sink_ = sink;
  }

  // Runs the whole command for `trial`, pausing on the clock between
  // rounds; for a caller without a message loop of its own. An error of the
  // serial port itself (EComError) ends the run at once: the progress
  // window is closed, the port made inactive and the error passed on to the
  // caller's error handler, with no save question. The points stored so far
  // stay.
  void CollectNewDataExecute(TWineClass& trial);

  // The same run a round at a time, for a caller whose message loop (or
  // whichever modal loop is running) calls Tick when NextRoundIn has passed.
  // Start runs the dialog, the erasing, the tare and the starting weight;
  // true when the run goes on and wants its rounds. False when nothing was
  // started or the run has already ended (an unreadable starting weight).
  bool Start(TWineClass& trial);
  // One round: the countdown, the reading or collapse that is due, the
  // stop checks; at the end of the run the progress window closes and the
  // save question is asked. True while the run goes on. A Tick that comes
  // while another one is busy (from a message box or the Save As that a
  // round shows) does nothing, so the run's end happens exactly once.
  // Port errors leave as in CollectNewDataExecute.
  bool Tick();
  // Run-clock time until the next round is wanted.
  RunClock::Seconds NextRoundIn();

  bool InProgress() const { return trial_ != nullptr; }
  bool IsFilling(const TWineClass& trial) const { return trial_ == &trial; }

  // Key handler of the progress window: X or x stops the run after the
  // current round; other keys do nothing.
  void IterruptDataCollection(char key);
  // The same stop from elsewhere (the command-line tool's Ctrl+C).
  void RequestStop() { stopCollection_ = true; }
  bool StopCollection() const { return stopCollection_; }

 private:
  // The countdown, the reading or collapse that is due, the pending
  // messages and the time limit; true when the run is to stop.
  bool Round();
  // Closes the progress window and makes the port inactive.
  void CloseProgress();
  // The run's end: progress closed, then the save question.
  void Finish();
  // The end by an error: progress closed, no question.
  void EndAtOnce();
  void Recalculated(TWineClass& trial);
  void Tare();
  // One reading through the profile; Error when it gave no weight to use.
  TWeightReading Weigh();
  // A reading between points for the sink; its failures end nothing.
  void ReadBetweenPoints(double elapsed);
  void Keep(double elapsed, double weight);

  SerialPort& port_;
  RunClock& clock_;
  CollectionUi& ui_;
  const BalanceProfile* profile_;
  ReadingSink* sink_;
  TWineClass* trial_ = nullptr;
  bool stopCollection_ = false;
  bool busy_ = false;
  // The schedule of the run in progress.
  double density_ = 1;
  double timeLimit_ = 0;
  double w0_ = 0;
  RunClock::Seconds t0_{};
  int r_ = 1;
  double interval_ = kFirstInterval;
  double previousVolume_ = 0;
  std::string shownCountdown_;
  double lastKept_ = 0;
};

// Empties the data set and the results a run rebuilds; MinSkip becomes 1.
void EraseDataSet(TWineRec& rec);

}  // namespace vorsant
