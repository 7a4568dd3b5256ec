#include "app/recent_trials.h"

#include <algorithm>

#include "app/system_text.h"

namespace vorsant {
namespace {

constexpr std::string_view kEllipsis = "...";

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// "C:\", "\\server\share\" or "/": what stays at the front of a shortened path.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return 3;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t server = path.find_first_of("\\/", 2);
    if (server == std::string_view::npos) return path.size();
    std::size_t share = path.find_first_of("\\/", server + 1);
    return share == std::string_view::npos ? path.size() : share + 1;
  }
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

// Cuts a UTF-8 text to at most `n` bytes without splitting a character.
std::string_view Head(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

std::string_view Tail(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s;
  std::size_t start = s.size() - n;
  while (start < s.size() && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) ++start;
  return s.substr(start);
}

}  // namespace

void RecentTrials::Load(const std::vector<std::string>& paths) {
  paths_.clear();
  for (const std::string& p : paths) {
    if (paths_.size() == kRecentTrialCount) break;
    if (p.empty()) continue;
    bool listed = std::any_of(paths_.begin(), paths_.end(),
                              [&](const std::string& q) { return SameFileNameText(p, q); });
    if (!listed) paths_.push_back(p);
  }
}

void RecentTrials::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kRecentTrialCount) paths_.resize(kRecentTrialCount);
}

void RecentTrials::Remove(const std::string& path) {
  std::erase_if(paths_, [&](const std::string& q) { return SameFileNameText(path, q); });
}

std::string ShortenedPath(std::string_view path, std::size_t maxChars) {
  if (path.size() <= maxChars) return std::string(path);
  std::string_view root = path.substr(0, RootLength(path));
  // The parts after the root, from the last one back, while they fit.
  std::size_t budget =
      maxChars > root.size() + kEllipsis.size() ? maxChars - root.size() - kEllipsis.size() : 0;
  std::size_t cut = path.size();
  std::size_t kept = path.size();
  while (cut > root.size()) {
    std::size_t sep = path.find_last_of("\\/", cut - 1);
    if (sep == std::string_view::npos || sep < root.size()) break;
    if (path.size() - sep > budget) break;
    kept = sep;
    cut = sep;
  }
  if (kept < path.size()) return std::string(root) + std::string(kEllipsis) + std::string(path.substr(kept));
  // Not even the file name fits: keep the beginning and the end of it.
  std::string_view name =
      path.substr(path.find_last_of("\\/") == std::string_view::npos ? 0 : path.find_last_of("\\/") + 1);
  std::size_t room = maxChars > kEllipsis.size() ? maxChars - kEllipsis.size() : 0;
  return std::string(Head(name, room - room / 2)) + std::string(kEllipsis) +
         std::string(Tail(name, room / 2));
}

std::string RecentMenuCaption(std::size_t index, std::string_view path, std::size_t maxChars) {
  std::string caption = "&" + std::to_string(index + 1) + " ";
  for (char c : ShortenedPath(path, maxChars)) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

}  // namespace vorsant
