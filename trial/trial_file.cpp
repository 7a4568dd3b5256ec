#include "trial/trial_file.h"

#include <string>

namespace vorsant {

namespace {

// Distinct temporary names tried before giving up on a crowded folder.
constexpr int kTempNameAttempts = 100;

std::filesystem::path TempNameFor(const std::filesystem::path& target, int attempt) {
  std::filesystem::path name = target.filename();
  name += ".~" + std::to_string(attempt) + ".tmp";
  return target.parent_path() / name;
}

// A link is saved through, so the link itself stays in place.
std::filesystem::path ResolveTarget(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return path;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

}  // namespace

std::string TrialReadResult::Message() const {
  switch (Status) {
    case TrialReadStatus::Ok:
      return {};
    case TrialReadStatus::IoError:
      return ReadIoErrorMessage(ErrorNumber);
    case TrialReadStatus::WrongSize:
      return std::string(kDataFileReadError);
  }
  return {};
}

std::string ReadIoErrorMessage(int errorNumber) {
  return "I/O Error type " + std::to_string(errorNumber) + " occurred while reading file.";
}

TrialReadResult ReadTrialFile(const std::filesystem::path& path, TrialFileSystem& fs) {
  TrialReadResult result;
  const FileHead head = fs.ReadHead(path, kWineRecSize);
  if (head.ErrorNumber != 0) {
    result.Status = TrialReadStatus::IoError;
    result.ErrorNumber = head.ErrorNumber;
    return result;
  }
  // The file is a file of whole records; exactly one is accepted.
  if (head.Size / kWineRecSize != 1 || head.Bytes.size() < kWineRecSize) {
    result.Status = TrialReadStatus::WrongSize;
    return result;
  }
  result.WineRec = DecodeWineRec(head.Bytes);
  return result;
}

int SaveTrialFile(const std::filesystem::path& path, const TWineRec& rec, TrialFileSystem& fs) {
  const auto image = EncodeWineRec(rec);
  return SaveFileSafely(path, image, fs);
}

int SaveFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> image,
                   TrialFileSystem& fs) {
  const std::filesystem::path target = ResolveTarget(path);
  int errorNumber = 0;
  for (int attempt = 1; attempt <= kTempNameAttempts; ++attempt) {
    const std::filesystem::path temp = TempNameFor(target, attempt);
    const CreateOutcome created = fs.CreateNew(temp, image, target);
    errorNumber = created.ErrorNumber;
    if (created.AlreadyExists) continue;  // someone else's file: never touch it
    if (errorNumber == 0) errorNumber = fs.Replace(temp, target);
    if (errorNumber != 0) fs.Remove(temp);
    return errorNumber;
  }
  return errorNumber;  // every temporary name was taken
}

}  // namespace vorsant
