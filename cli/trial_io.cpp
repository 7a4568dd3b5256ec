#include "cli/trial_io.h"

#include "trial/trial_file.h"

namespace vorsant::cli {

TWineRec ReadTrial(const std::string& path) {
  TrialReadResult result = ReadTrialFile(PathArg(path));
  if (!result.Ok()) throw CommandError(result.Message());
  return result.WineRec;
}

void SaveTrial(const std::string& path, const TWineRec& rec) {
  const int error = SaveTrialFile(PathArg(path), rec);
  if (error != 0) {
    throw CommandError("I/O Error type " + std::to_string(error) +
                       " occurred while saving the wine file. Your data was not saved!");
  }
}

void PrintWarnings(const std::vector<std::string>& warnings, CommandIo& io) {
  for (const std::string& w : warnings) io.err << w << "\n";
}

}  // namespace vorsant::cli
