#pragma once
// Where a collection in the program keeps every reading while its trial has
// no file of its own yet: a file in the temporary folder, moved beside the
// trial (NAME.readings.csv) when that trial is saved. A run whose trial is
// never saved leaves its readings there, in the folder "Vorsant readings".

#include <filesystem>

namespace vorsant {

// A new file name for a run starting now: "collection-20261210-193005.csv",
// its folder created. Empty when the temporary folder cannot be used.
std::filesystem::path NewCollectionReadingsPath();

// Moves the readings at `pending`, if any, beside the trial just saved as
// `trialPath`, replacing what was there. `pending` is emptied once they are
// there, or when there is nothing left to move; a move that fails leaves it
// for the trial's next save.
void MoveCollectionReadings(std::filesystem::path& pending, const std::filesystem::path& trialPath);

// A trial saved under another name takes its readings along: the file
// beside `fromTrial`, if any, is copied beside `toTrial`, replacing what was
// there. The record is saved already, so a copy that fails is left at that.
void CopyReadingsBeside(const std::filesystem::path& fromTrial, const std::filesystem::path& toTrial);

}  // namespace vorsant
