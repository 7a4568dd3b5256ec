#include "analytics/profile_reader.h"

#include <unordered_map>

#include "analytics/text.h"

namespace plumeta {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x1A;
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

struct RawSection {
  std::u16string name;
  std::vector<std::u16string> entries;
};

std::vector<RawSection> SplitSections(std::u16string_view text) {
  std::vector<RawSection> sections;
  bool inSection = false;
  while (!text.empty()) {
    std::size_t end = text.find(u'\n');
    std::u16string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.front() == u'[') {
      std::size_t close = line.rfind(u']');
      if (close != std::u16string_view::npos) {
        sections.push_back({std::u16string(line.substr(1, close - 1)), {}});
        inSection = true;
        continue;
      }
      // Without "]" the line is an ordinary entry.
    }
    if (!inSection || line.front() == u';') continue;
    std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) {
      sections.back().entries.emplace_back(line);
      continue;
    }
    std::u16string entry(Trim(line.substr(0, equals)));
    entry.push_back(u'=');
    entry.append(Trim(line.substr(equals + 1)));
    sections.back().entries.push_back(std::move(entry));
  }
  return sections;
}

}  // namespace

std::vector<ProfileSection> ParseProfileText(std::u16string_view text) {
  std::vector<RawSection> raw = SplitSections(text);
  // A name asked for again finds the first section of that name.
  std::unordered_map<std::u16string, const RawSection*> first;
  for (const RawSection& section : raw) first.try_emplace(Folded(section.name), &section);
  std::vector<ProfileSection> result;
  result.reserve(raw.size());
  for (const RawSection& section : raw) {
    // An empty name is listed by nobody.
    if (section.name.empty()) continue;
    result.push_back({section.name, first.at(Folded(section.name))->entries});
  }
  return result;
}

std::u16string DecodeProfileBytes(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) return FromUtf8(bytes.substr(3));
  return FromEightBit(bytes);
}

std::vector<ProfileSection> TextProfileReader::ReadProfile(const std::u16string& path) {
  std::optional<std::string> bytes = files_.ReadBytes(path);
  if (!bytes) return {};
  return ParseProfileText(DecodeProfileBytes(*bytes));
}

}  // namespace plumeta
