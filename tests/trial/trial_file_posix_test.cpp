// Trial-file behaviour that only POSIX file systems can show.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "trial/trial_file.h"

namespace vorsant {
namespace {

namespace fs = std::filesystem;

TEST(TrialFilePosix, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
  const fs::path dir = fs::temp_directory_path() / ("vorsant_fifo_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path pipe = dir / "pipe.vrs";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const TrialReadResult result = ReadTrialFile(pipe);
  EXPECT_EQ(result.Status, TrialReadStatus::WrongSize);
  fs::remove_all(dir);
}

TEST(TrialFilePosix, SavingKeepsTheFilesPermissions) {
  const fs::path dir = fs::temp_directory_path() / ("vorsant_mode_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path file = dir / "t.vrs";
  TWineRec rec;
  ASSERT_EQ(SaveTrialFile(file, rec), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  rec.Model = 1;
  ASSERT_EQ(SaveTrialFile(file, rec), 0);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadTrialFile(file).WineRec.Model, 1);
  fs::remove_all(dir);
}

TEST(TrialFilePosix, SavingThroughALinkKeepsTheLink) {
  const fs::path dir = fs::temp_directory_path() / ("vorsant_link_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TWineRec rec;
  ASSERT_EQ(SaveTrialFile(dir / "real.vrs", rec), 0);
  fs::create_symlink(dir / "real.vrs", dir / "link.vrs");
  rec.Model = 1;
  ASSERT_EQ(SaveTrialFile(dir / "link.vrs", rec), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.vrs"));
  EXPECT_EQ(ReadTrialFile(dir / "real.vrs").WineRec.Model, 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vorsant
