#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trial/trial_file.h"

namespace vorsant {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A fresh folder per test, removed afterwards.
class TrialFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() /
           ("vorsant_trial_file_" + std::to_string(stamp) + "_" + std::to_string(counter++));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path Path(const char* name) const { return dir_ / name; }

  static void WriteBytes(const fs::path& p, const Bytes& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(byte(gen));
    return b;
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(TrialFileTest, AcceptsExactlyOneWholeRecord) {
  for (std::size_t size : {std::size_t{0}, std::size_t{2180}, kWineRecSize, std::size_t{4361},
                           std::size_t{4362}, std::size_t{9000}}) {
    const Bytes bytes = RandomBytes(size, static_cast<unsigned>(size));
    WriteBytes(Path("t.vrs"), bytes);
    const TrialReadResult result = ReadTrialFile(Path("t.vrs"));
    if (size >= 2181 && size <= 4361) {
      ASSERT_TRUE(result.Ok()) << size;
      EXPECT_EQ(result.Message(), "");
      // Only the first record counts.
      const auto image = EncodeWineRec(result.WineRec);
      EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin())) << size;
    } else {
      EXPECT_EQ(result.Status, TrialReadStatus::WrongSize) << size;
      EXPECT_EQ(result.Message(), "Error reading the data file.");
    }
  }
}

TEST_F(TrialFileTest, AMissingFileGivesTheSystemErrorNumber) {
  const TrialReadResult result = ReadTrialFile(Path("absent.vrs"));
  EXPECT_EQ(result.Status, TrialReadStatus::IoError);
  // "File not found" is 2 both as errno and as a Windows error.
  EXPECT_EQ(result.ErrorNumber, 2);
  EXPECT_EQ(result.Message(), "I/O Error type 2 occurred while reading file.");
}

TEST_F(TrialFileTest, AFolderIsNotATrial) {
  fs::create_directory(Path("folder.vrs"));
  const TrialReadResult result = ReadTrialFile(Path("folder.vrs"));
  EXPECT_EQ(result.Status, TrialReadStatus::IoError);
  EXPECT_NE(result.ErrorNumber, 0);
}

TEST_F(TrialFileTest, AnUneditedTrialSavesByteIdentically) {
  const Bytes original = RandomBytes(kWineRecSize, 7);
  WriteBytes(Path("in.vrs"), original);
  const TrialReadResult read = ReadTrialFile(Path("in.vrs"));
  ASSERT_TRUE(read.Ok());
  ASSERT_EQ(SaveTrialFile(Path("out.vrs"), read.WineRec), 0);
  EXPECT_EQ(ReadBytes(Path("out.vrs")), original);
  // Saving over the file it came from leaves it as it was, and no leftovers.
  ASSERT_EQ(SaveTrialFile(Path("in.vrs"), read.WineRec), 0);
  EXPECT_EQ(ReadBytes(Path("in.vrs")), original);
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"in.vrs", "out.vrs"}));
}

TEST_F(TrialFileTest, SavingReplacesALongerFileWithExactlyOneRecord) {
  WriteBytes(Path("t.vrs"), RandomBytes(4000, 1));
  TWineRec rec;
  rec.Conditions.WineName.Set("Syrah");
  ASSERT_EQ(SaveTrialFile(Path("t.vrs"), rec), 0);
  const Bytes saved = ReadBytes(Path("t.vrs"));
  ASSERT_EQ(saved.size(), kWineRecSize);
  EXPECT_EQ(ReadTrialFile(Path("t.vrs")).WineRec, rec);
}

TEST_F(TrialFileTest, SavingIntoAMissingFolderFailsWithAnErrorNumber) {
  TWineRec rec;
  EXPECT_NE(SaveTrialFile(dir_ / "no such folder" / "t.vrs", rec), 0);
  EXPECT_TRUE(FolderNames().empty());
}

TEST_F(TrialFileTest, ATakenTemporaryNameIsLeftAlone) {
  const fs::path target = Path("t.vrs");
  const Bytes stranger = {1, 2, 3};
  WriteBytes(Path("t.vrs.~1.tmp"), stranger);
  TWineRec rec;
  rec.Model = 1;
  ASSERT_EQ(SaveTrialFile(target, rec), 0);
  EXPECT_EQ(ReadBytes(Path("t.vrs.~1.tmp")), stranger);
  EXPECT_EQ(ReadTrialFile(target).WineRec.Model, 1);
}

// Passes every call to the real file system, except the one told to fail.
class FailingFileSystem : public TrialFileSystem {
 public:
  enum class Fail { Write, Replace };
  FailingFileSystem(Fail fail, int errorNumber) : fail_(fail), error_(errorNumber) {}

  FileHead ReadHead(const fs::path& path, std::size_t maxBytes) override {
    return SystemFileSystem().ReadHead(path, maxBytes);
  }
  CreateOutcome CreateNew(const fs::path& path, std::span<const std::uint8_t> bytes,
                          const fs::path& likeFile) override {
    if (fail_ != Fail::Write) return SystemFileSystem().CreateNew(path, bytes, likeFile);
    // The disk fills up half way through the image.
    SystemFileSystem().CreateNew(path, bytes.first(bytes.size() / 2), likeFile);
    tempSeen = path;
    return {error_, false};
  }
  int Replace(const fs::path& from, const fs::path& to) override {
    tempSeen = from;
    if (fail_ == Fail::Replace) return error_;
    return SystemFileSystem().Replace(from, to);
  }
  void Remove(const fs::path& path) noexcept override { SystemFileSystem().Remove(path); }

  fs::path tempSeen;

 private:
  Fail fail_;
  int error_;
};

TEST_F(TrialFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  for (const auto fail : {FailingFileSystem::Fail::Write, FailingFileSystem::Fail::Replace}) {
    const Bytes original = RandomBytes(kWineRecSize, 99);
    WriteBytes(Path("t.vrs"), original);
    FailingFileSystem failing(fail, 28);
    TWineRec rec;
    rec.Conditions.WineName.Set("new content");
    EXPECT_EQ(SaveTrialFile(Path("t.vrs"), rec, failing), 28);
    EXPECT_EQ(ReadBytes(Path("t.vrs")), original);
    // The temporary file sat beside the target and is gone again.
    EXPECT_EQ(failing.tempSeen.parent_path(), dir_);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.vrs"});
  }
}

}  // namespace
}  // namespace vorsant
