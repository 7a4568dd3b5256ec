#pragma once
// Reading and saving trial files for the commands, with the program's own
// messages on failure.

#include <string>
#include <vector>

#include "cli/command.h"
#include "trial/wine_rec.h"

namespace vorsant::cli {

// Throws CommandError with "Error reading the data file." or the I/O error.
TWineRec ReadTrial(const std::string& path);

// Saves without ever destroying the previous file; throws CommandError with
// the I/O error on failure.
void SaveTrial(const std::string& path, const TWineRec& rec);

// The warnings the program would show as message boxes, one per line.
void PrintWarnings(const std::vector<std::string>& warnings, CommandIo& io);

}  // namespace vorsant::cli
