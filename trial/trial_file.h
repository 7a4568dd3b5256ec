#pragma once
// Trial files (.vrs): the raw image of one trial record, no header.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "trial/trial_file_system.h"
#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr std::string_view kDataFileReadError = "Error reading the data file.";

enum class TrialReadStatus {
  Ok,
  IoError,    // the file could not be opened or read: ErrorNumber says why
  WrongSize,  // not exactly one whole record (2181 to 4361 bytes)
};

struct TrialReadResult {
  TrialReadStatus Status = TrialReadStatus::Ok;
  int ErrorNumber = 0;
  TWineRec WineRec{};

  bool Ok() const { return Status == TrialReadStatus::Ok; }
  // The message the user sees; empty when the file was read.
  std::string Message() const;
};

// Reads the first record of a file whose length holds exactly one whole
// record; anything after the first kWineRecSize bytes is ignored.
TrialReadResult ReadTrialFile(const std::filesystem::path& path, TrialFileSystem& fs = SystemFileSystem());

// "I/O Error type <n> occurred while reading file."
std::string ReadIoErrorMessage(int errorNumber);

// Saves `rec` to `path` without ever destroying the previous file before the
// new one is complete: the image goes to a temporary file in the same folder,
// is flushed to the disk, and then replaces the target in one step. Returns 0,
// or the error number of the first failing call, in which case the previous
// file is untouched and the temporary file is gone.
int SaveTrialFile(const std::filesystem::path& path, const TWineRec& rec,
                  TrialFileSystem& fs = SystemFileSystem());

// The same safe save for any other file the program writes (an exported
// graph or report): `bytes` replace the file at `path` only once they are
// complete on the disk. Returns 0 or the error number as SaveTrialFile does.
int SaveFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                   TrialFileSystem& fs = SystemFileSystem());

}  // namespace vorsant
