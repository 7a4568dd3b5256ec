#pragma once
// The trials most recently opened or saved, newest first, as the Wine menu
// lists them. The list is kept by a store of the shell's (the user's part of
// the registry on Windows), so it outlives the program.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorsant {

inline constexpr std::size_t kRecentTrialCount = 4;
// Longest path a menu item shows before it is shortened in the middle.
inline constexpr std::size_t kRecentPathChars = 48;

class RecentTrialsStore {
 public:
  virtual ~RecentTrialsStore() = default;
  virtual std::vector<std::string> Load() = 0;
  virtual void Save(const std::vector<std::string>& paths) = 0;
};

class RecentTrials {
 public:
  // Keeps the first kRecentTrialCount distinct, non-empty paths.
  void Load(const std::vector<std::string>& paths);
  // Moves `path` to the top; a path already listed (in any letter case, as
  // Windows compares file names) is not listed twice.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
};

// "&1 C:\Users\...\Trials\merlot.vrs": the access number, then the path
// shortened in the middle to `maxChars`, with "&" doubled so that it shows.
std::string RecentMenuCaption(std::size_t index, std::string_view path,
                              std::size_t maxChars = kRecentPathChars);
// The path itself when it fits; otherwise its root and as many of its last
// parts as fit, joined by "...". A file name too long on its own keeps its
// beginning and its end.
std::string ShortenedPath(std::string_view path, std::size_t maxChars);

}  // namespace vorsant
