#include "app/collection_readings.h"

#include <ctime>
#include <string>
#include <system_error>

#include "scale/reading_log.h"

namespace vorsant {

std::filesystem::path NewCollectionReadingsPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error) / "Vorsant readings";
  if (error) return {};
  std::filesystem::create_directories(folder, error);
  if (error) return {};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  // Two runs in one second (one cancelled at its dialog) each get a name.
  std::filesystem::path path = folder / ("collection-" + std::string(stamp) + ".csv");
  for (int n = 2; std::filesystem::exists(path, error) && n < 100; ++n)
    path = folder / ("collection-" + std::string(stamp) + "-" + std::to_string(n) + ".csv");
  return path;
}

namespace {

// Copies `from` over `to` through a new file beside `to`, renamed over it:
// a rename replaces a file everywhere, where copy_file with
// overwrite_existing refuses an existing file with one standard library
// for Windows. `to` is never half written.
bool ReplaceWithCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::filesystem::path part = to;
  part += ".part";
  std::error_code error;
  std::filesystem::remove(part, error);
  if (!std::filesystem::copy_file(from, part, error)) return false;
  std::filesystem::rename(part, to, error);
  if (!error) return true;
  std::filesystem::remove(part, error);
  return false;
}

}  // namespace

void MoveCollectionReadings(std::filesystem::path& pending, const std::filesystem::path& trialPath) {
  if (pending.empty()) return;
  std::error_code error;
  if (!std::filesystem::exists(pending, error)) {
    pending.clear();
    return;
  }
  const std::filesystem::path beside = ReadingLogPath(trialPath);
  std::filesystem::rename(pending, beside, error);
  if (error) {
    // Another volume: copy, then remove the temporary file.
    if (!ReplaceWithCopy(pending, beside)) return;
    std::filesystem::remove(pending, error);
  }
  pending.clear();
}

void CopyReadingsBeside(const std::filesystem::path& fromTrial, const std::filesystem::path& toTrial) {
  const std::filesystem::path from = ReadingLogPath(fromTrial);
  std::error_code error;
  if (std::filesystem::is_regular_file(from, error)) ReplaceWithCopy(from, ReadingLogPath(toTrial));
}

}  // namespace vorsant
