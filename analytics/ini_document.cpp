#include "analytics/ini_document.h"

#include "analytics/text.h"

namespace plumeta {
namespace {

// A control character inside a name or value would end its line early (CR,
// LF) or cut the rest of its section when the file is read back (a NUL,
// which the installer's "[~]" formats to, ends the system reader's text),
// so each becomes a blank.
void AppendOneLine(std::u16string& out, std::u16string_view text) {
  for (char16_t c : text) out.push_back(c < u' ' || c == 0x7F ? u' ' : c);
}

bool HasWrittenEntry(const IniSection& section) {
  for (const IniEntry& entry : section.entries()) {
    if (!entry.value.empty()) return true;
  }
  return false;
}

std::string WideBytes(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

const std::u16string* IniSection::Find(std::u16string_view key) const {
  for (const IniEntry& entry : entries_) {
    if (EqualsNoCase(entry.key, key)) return &entry.value;
  }
  return nullptr;
}

void IniSection::Set(std::u16string_view key, std::u16string_view value) {
  for (IniEntry& entry : entries_) {
    if (!EqualsNoCase(entry.key, key)) continue;
    if (!EqualsNoCase(entry.value, value)) entry.value.assign(value);
    return;
  }
  entries_.push_back({std::u16string(key), std::u16string(value)});
}

void IniDocument::Load(ProfileReader& reader) {
  Assign(reader.ReadProfile(path_));
}

void IniDocument::Assign(const std::vector<ProfileSection>& sections) {
  sections_.clear();
  index_.clear();
  for (const ProfileSection& read : sections) {
    IniSection& section = GetSection(read.name);
    for (std::u16string_view entry : read.entries) {
      std::size_t equals = entry.find(u'=');
      if (equals == std::u16string_view::npos) {
        section.Set(entry, u"");
      } else {
        section.Set(entry.substr(0, equals), entry.substr(equals + 1));
      }
    }
  }
}

bool IniDocument::Save(FileSystem& files) const {
  std::u16string text = Text();
  if (text.empty()) return true;
  return files.WriteBytes(path_, wide ? WideBytes(text) : ToEightBit(text));
}

std::string IniDocument::Bytes() const {
  std::u16string text = Text();
  return wide ? WideBytes(text) : ToEightBit(text);
}

std::u16string IniDocument::Text() const {
  std::u16string text;
  bool first = true;
  for (const IniSection& section : sections_) {
    if (!HasWrittenEntry(section)) continue;
    if (!first && !compact) text += u"\r\n";
    first = false;
    text += u'[';
    AppendOneLine(text, section.name());
    text += u"]\r\n";
    for (const IniEntry& entry : section.entries()) {
      if (entry.value.empty()) continue;
      AppendOneLine(text, entry.key);
      text += compact ? u"=" : u" = ";
      AppendOneLine(text, entry.value);
      text += u"\r\n";
    }
  }
  return text;
}

IniSection* IniDocument::FindSection(std::u16string_view name) {
  auto found = index_.find(Folded(name));
  return found == index_.end() ? nullptr : &sections_[found->second];
}

const IniSection* IniDocument::FindSection(std::u16string_view name) const {
  return const_cast<IniDocument*>(this)->FindSection(name);
}

IniSection& IniDocument::GetSection(std::u16string_view name) {
  auto [position, added] = index_.try_emplace(Folded(name), sections_.size());
  if (added) sections_.push_back(IniSection(std::u16string(name)));
  return sections_[position->second];
}

std::u16string IniDocument::Get(std::u16string_view section, std::u16string_view key) const {
  const IniSection* found = FindSection(section);
  const std::u16string* value = found != nullptr ? found->Find(key) : nullptr;
  return value != nullptr ? *value : std::u16string();
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  GetSection(section).Set(key, value);
}

}  // namespace plumeta
