#include "analytics/profile_reader.h"

namespace plumeta {

// There is no system profile reader here; the file is parsed by the library.
std::unique_ptr<ProfileReader> MakeSystemProfileReader(FileSystem& files) {
  return std::make_unique<TextProfileReader>(files);
}

}  // namespace plumeta
