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
    error.clear();
    std::filesystem::copy_file(pending, beside, std::filesystem::copy_options::overwrite_existing, error);
    if (error) return;
    std::filesystem::remove(pending, error);
  }
  pending.clear();
}

void CopyReadingsBeside(const std::filesystem::path& fromTrial, const std::filesystem::path& toTrial) {
  const std::filesystem::path from = ReadingLogPath(fromTrial), to = ReadingLogPath(toTrial);
  std::error_code error;
  if (!std::filesystem::is_regular_file(from, error) || std::filesystem::equivalent(from, to, error)) return;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
}

}  // namespace vorsant
