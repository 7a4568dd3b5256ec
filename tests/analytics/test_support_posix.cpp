#include <unistd.h>

#include "test_support.h"

namespace plumeta::testing {

bool GiveToAnotherUser(const std::u16string& path) {
  // Only the superuser may; 65534 is the customary "nobody".
  return ::geteuid() == 0 && ::chown(ToFsPath(path).c_str(), 65534, 65534) == 0;
}

}  // namespace plumeta::testing
