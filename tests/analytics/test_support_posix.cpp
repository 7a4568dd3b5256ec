#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace plumeta::testing {

bool GiveToAnotherUser(const std::u16string& path) {
  // Only the superuser may; 65534 is the customary "nobody".
  return ::geteuid() == 0 && ::chown(ToFsPath(path).c_str(), 65534, 65534) == 0;
}

bool OpenToOthers(const std::u16string& path) {
  struct stat info {};
  return ::stat(ToFsPath(path).c_str(), &info) == 0 &&
         ::chmod(ToFsPath(path).c_str(), info.st_mode | S_IWOTH) == 0;
}

}  // namespace plumeta::testing
