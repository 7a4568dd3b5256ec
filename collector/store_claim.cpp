#include "collector/store_claim.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace collector {
namespace {

// SQLite locks bytes from 1 GiB on; this one is never part of a file.
constexpr off_t kClaimByte = off_t{1} << 40;
// The advisory lock's key; the schema's migration uses 7215001.
constexpr const char* kClaimKey = "7215002";

}  // namespace

std::unique_ptr<StoreClaim> StoreClaim::TryTake(SqlConnection& db, Kind kind) {
  const bool exclusive = kind == Kind::kImporting;
  if (db.dialect() == SqlDialect::kPostgres) {
    bool held = false;
    db.Run(std::string("SELECT ") + (exclusive ? "pg_try_advisory_lock(" : "pg_try_advisory_lock_shared(") +
               kClaimKey + ")",
           {}, [&](const SqlRow& row) { held = row[0] == "t"; });
    return held ? std::unique_ptr<StoreClaim>(new StoreClaim(-1)) : nullptr;
  }
  const std::string path = db.Describe().substr(7);  // "sqlite:PATH"
  int fd = ::open(path.c_str(), (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) throw SqlError("cannot open " + path + ": " + std::strerror(errno));
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kClaimByte;
  lock.l_len = 1;
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return std::unique_ptr<StoreClaim>(new StoreClaim(fd));
  int error = errno;
  ::close(fd);
  if (error == EAGAIN || error == EACCES) return nullptr;
  throw SqlError("cannot lock " + path + ": " + std::strerror(error));
}

StoreClaim::~StoreClaim() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace collector
