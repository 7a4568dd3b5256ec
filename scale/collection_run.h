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

#include "scale/collection_ui.h"
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
  CollectionRun(SerialPort& port, RunClock& clock, CollectionUi& ui) : port_(port), clock_(clock), ui_(ui) {}

  // Runs the whole command for `trial`. An error of the serial port itself
  // (EComError) ends the run at once: the progress window is closed, the
  // port made inactive and the error passed on to the caller's error
  // handler, with no save question. The points stored so far stay.
  void CollectNewDataExecute(TWineClass& trial);

  bool InProgress() const { return trial_ != nullptr; }
  bool IsFilling(const TWineClass& trial) const { return trial_ == &trial; }

  // Key handler of the progress window: X or x stops the run after the
  // current round; other keys do nothing.
  void IterruptDataCollection(char key);
  // The same stop from elsewhere (the command-line tool's Ctrl+C).
  void RequestStop() { stopCollection_ = true; }
  bool StopCollection() const { return stopCollection_; }

 private:
  // Reads the balance on the schedule until something ends the run.
  void Collect(TWineClass& trial, double density, int maxDuration);
  void Recalculated(TWineClass& trial);

  SerialPort& port_;
  RunClock& clock_;
  CollectionUi& ui_;
  TWineClass* trial_ = nullptr;
  bool stopCollection_ = false;
};

// Empties the data set and the results a run rebuilds; MinSkip becomes 1.
void EraseDataSet(TWineRec& rec);

}  // namespace vorsant
