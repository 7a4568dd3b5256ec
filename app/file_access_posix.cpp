// A file without any write permission counts as read-only even for a user
// the system would let through (root), as it would on Windows.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/file_access.h"
#include "app/trial_window.h"

namespace vorsant {

int SaveOverError(const std::string& path) {
  const std::string name = PathFromText(path).string();
  struct stat st {};
  if (stat(name.c_str(), &st) != 0) return 0;  // no file yet: the save creates it
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
  const int fd = open(name.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  close(fd);
  return 0;
}

}  // namespace vorsant
