#pragma once
// The in-memory model of "tracking.ini" and the session files: ordered
// sections of ordered (key, value) entries, names and keys compared without
// regard to case.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analytics/file_system.h"
#include "analytics/profile_reader.h"

namespace plumeta {

struct IniEntry {
  std::u16string key;
  std::u16string value;
};

class IniSection {
 public:
  explicit IniSection(std::u16string name) : name_(std::move(name)) {}

  const std::u16string& name() const { return name_; }
  const std::vector<IniEntry>& entries() const { return entries_; }

  // The value of the key, or nothing when the key is absent.
  const std::u16string* Find(std::u16string_view key) const;
  // A new key is appended; an existing key gets the new value unless the
  // two values are equal without regard to case.
  void Set(std::u16string_view key, std::u16string_view value);

 private:
  std::u16string name_;
  std::vector<IniEntry> entries_;
};

class IniDocument {
 public:
  explicit IniDocument(std::u16string path) : path_(std::move(path)) {}

  const std::u16string& path() const { return path_; }
  const std::vector<IniSection>& sections() const { return sections_; }

  // Entries as key "=" value without blank lines between sections.
  bool compact = false;
  // Written as UTF-16 with the byte-order mark FF FE instead of 8-bit text.
  bool wide = false;

  // Replaces the content by what the reader finds in the file; a missing
  // file gives an empty document.
  void Load(ProfileReader& reader);
  // Replaces the content by what a profile reader delivered.
  void Assign(const std::vector<ProfileSection>& sections);
  // Writes Text() over the file. An empty text leaves the file as it is and
  // counts as saved.
  bool Save(FileSystem& files) const;
  // Text() as the file's bytes.
  std::string Bytes() const;
  // The file text: "[name]", then "key = value" lines, CR LF line ends, one
  // empty line between sections; entries with an empty value and sections
  // without such entries are left out.
  std::u16string Text() const;

  IniSection* FindSection(std::u16string_view name);
  const IniSection* FindSection(std::u16string_view name) const;
  // The section of that name, appended at the end when it is new.
  IniSection& GetSection(std::u16string_view name);

  // Empty when the section or key is missing.
  std::u16string Get(std::u16string_view section, std::u16string_view key) const;
  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

 private:
  std::u16string path_;
  std::vector<IniSection> sections_;
  // Section positions by folded name: a session file has a section per hit.
  std::unordered_map<std::u16string, std::size_t> index_;
};

}  // namespace plumeta
