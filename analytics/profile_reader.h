#pragma once
// Reading an ini file the way the system's profile reader does: the
// section names in file order, and for each name the entries of the first
// section of that name (compared without regard to case), each as one
// "key=value" text with the blanks around key and value removed. Lines
// before the first section, empty lines and lines starting with ";" are
// not entries; a line without "=" is delivered as it is.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/file_system.h"

namespace plumeta {

struct ProfileSection {
  std::u16string name;
  std::vector<std::u16string> entries;  // "key=value" or a bare key
};

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;
  // A missing or unreadable file has no sections.
  virtual std::vector<ProfileSection> ReadProfile(const std::u16string& path) = 0;
};

// The profile reader's view of a file's decoded text.
std::vector<ProfileSection> ParseProfileText(std::u16string_view text);

// Decodes a file's bytes: UTF-16 with the byte-order mark FF FE, UTF-8 with
// its mark, otherwise 8-bit text.
std::u16string DecodeProfileBytes(std::string_view bytes);

// Reads the file through a FileSystem and parses it here.
class TextProfileReader final : public ProfileReader {
 public:
  explicit TextProfileReader(FileSystem& files) : files_(files) {}
  std::vector<ProfileSection> ReadProfile(const std::u16string& path) override;

 private:
  FileSystem& files_;
};

// The system's own profile reader where there is one (Windows); elsewhere
// a TextProfileReader over `files`. `files` must outlive the reader.
std::unique_ptr<ProfileReader> MakeSystemProfileReader(FileSystem& files);

}  // namespace plumeta
