// The storage folder as a meeting place: other users who can write to the
// temporary folder, a second process on the same folder, leftovers of
// crashed runs. The link and ownership cases need a file system that makes
// symbolic links and keeps Unix permissions; elsewhere they skip.

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <map>
#include <set>

#include "analytics/storage_paths.h"
#include "install_fakes.h"

namespace plumeta {
namespace {

namespace fs = std::filesystem;

class SharedFolder : public testing::InstallTest {
 protected:
  SharedFolder() { StandardProperties(); }

  // Two session files: the first with the start hit and the 4 machine
  // facts, the second with a start hit; the end hit follows in Finish.
  void TrackTwoSessions() {
    analytics_.OnAnalyticsToggle(installer_);
    analytics_.OnAnalyticsLogStart(installer_);
    analytics_.OnAnalyticsLogMachineInfo(installer_);
    analytics_.OnAnalyticsLogStart(installer_);
  }
  fs::path Path(const std::u16string& path) { return testing::ToFsPath(path); }
  // Every file under the folder with its content.
  std::map<fs::path, std::string> Contents(const fs::path& folder) {
    std::map<fs::path, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
      contents[entry.path().filename()] = testing::ReadAll(entry.path().u16string());
    }
    return contents;
  }
  // The bodies posted; in these tests no two hits have the same.
  std::multiset<std::string> Bodies() {
    std::multiset<std::string> bodies;
    for (const FormRequest& r : requests_) bodies.insert(JoinFields(r.fields));
    return bodies;
  }

  testing::ScratchFolder outside_;
};

TEST_F(SharedFolder, AFolderSwappedForALinkDuringAPostChangesNothingOutsideIt) {
  TrackTwoSessions();
  fs::path folder = Path(Folder());
  // The names the flush deletes and rewrites, planted where the link leads.
  for (const std::u16string& path : SessionFilesLeft()) {
    testing::WriteAll(outside_.File(Path(path).filename().u16string()),
                      "[Activity {bait}]\r\nLabel = bait\r\n");
  }
  testing::WriteAll(outside_.File(u"tracking.ini"), "[General]\r\nActive = true\r\n");
  const auto planted = Contents(Path(outside_.path()));
  int posts = 0;
  onSend_ = [&](const FormRequest& r) -> FormResponse {
    if (++posts == 1) {
      fs::rename(folder, folder.string() + "-moved");
      std::error_code ec;
      fs::create_directory_symlink(Path(outside_.path()), folder, ec);
    }
    // The last hit finds the endpoint gone: its file is partly flushed.
    if (posts == 7) throw ClientExcept(kClientSendRequest, kErrorCannotConnect);
    requests_.push_back(r);
    return FormResponse{200, u""};
  };
  analytics_.OnAnalyticsLogFinish(installer_);
  if (!fs::is_symlink(folder)) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(requests_.size(), 6u);
  EXPECT_EQ(Contents(Path(outside_.path())), planted);
}

TEST_F(SharedFolder, FilesThatAreNotPlainAreLeftAloneAndTheRestIsFlushed) {
  TrackTwoSessions();
  std::u16string folder = Folder();
  testing::WriteAll(outside_.File(u"target"), "[Activity {X}]\r\nLabel = outside\r\n");
  std::error_code ec;
  fs::create_hard_link(Path(outside_.File(u"target")), Path(FilePath(files_, folder, u"hard.session")), ec);
  if (ec) GTEST_SKIP() << "no hard links here";
  fs::create_directory(Path(FilePath(files_, folder, u"folder.session")));
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(requests_.size(), 7u);
  for (const std::string& label : Values("lb")) EXPECT_NE(label, "outside");
  EXPECT_EQ(testing::ReadAll(outside_.File(u"target")), "[Activity {X}]\r\nLabel = outside\r\n");
  EXPECT_EQ(SessionFilesLeft().size(), 1u) << "the hard link stays";
}

TEST_F(SharedFolder, AFolderOnTheWayThatOthersOwnOrMayWriteToIsNotUsed) {
  fs::path root = Path(scratch_.path() + u"OrvexAnalytics");
  fs::create_directories(root / "Vorsant");
  if (!testing::OpenToOthers(root.u16string())) GTEST_SKIP() << "no rights to give here";
  TrackTwoSessions();
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(fs::is_empty(root / "Vorsant"));
  EXPECT_EQ(Folder(), u"");

  fs::remove_all(root);
  fs::create_directories(root / "Vorsant");
  if (!testing::GiveToAnotherUser((root / "Vorsant").u16string())) return;
  TrackTwoSessions();
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_TRUE(requests_.empty());
  EXPECT_EQ(Folder(), u"");
}

TEST_F(SharedFolder, TwoProcessesOnOneFolderPostEveryHitExactlyOnce) {
  testing::CountingGuids otherGuids;
  otherGuids.next = 1000;
  InstallAnalytics other(Platform{files_, clock_, otherGuids, machine_, display_, false,
                                  [this](const std::u16string&) -> std::unique_ptr<FormSender> {
                                    return std::make_unique<testing::ScriptedSender>(onSend_);
                                  },
                                  u"http://default.test"});
  TrackTwoSessions();
  other.OnAnalyticsLogStart(installer_);
  // While the first flush posts, the other process tracks a hit into the
  // session file being flushed (its own session, still in memory), tracks
  // more into the next session, and flushes itself.
  int posts = 0;
  onSend_ = [&](const FormRequest& r) {
    requests_.push_back(r);
    ++posts;
    if (posts == 2) {
      other.store().TrackHit(std::make_unique<PropertyHit>(NewHitStamp(clock_, otherGuids), u"Late", u"1"));
      other.OnAnalyticsLogMachineInfo(installer_);
    }
    if (posts == 4) other.OnAnalyticsLogFinish(installer_);
    return FormResponse{200, u""};
  };
  analytics_.OnAnalyticsLogFinish(installer_);
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  std::multiset<std::string> bodies = Bodies();
  EXPECT_EQ(bodies.size(), analytics_.store().keptHits() + other.store().keptHits());
  EXPECT_EQ(std::set<std::string>(bodies.begin(), bodies.end()).size(), bodies.size()) << "none twice";
  std::vector<std::string> labels = Values("lb");
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "Late"), 1);
  EXPECT_TRUE(SessionFilesLeft().empty());
}

TEST_F(SharedFolder, OversizedFilesAndOldLeftoversGoUnreadAndFlushingGoesOn) {
  TrackTwoSessions();
  std::u16string folder = Folder();
  std::string big = "[Activity {big}]\r\nLabel = big\r\n" + std::string(2 * 1024 * 1024, ';') + "\r\n";
  testing::WriteAll(FilePath(files_, folder, u"big.session"), big);
  testing::WriteAll(FilePath(files_, folder, u"x.session.1-2-3.new"), "old");
  files_.SetModifiedTime(FilePath(files_, folder, u"x.session.1-2-3.new"), files_.Now() - 120);
  testing::WriteAll(FilePath(files_, folder, u"y.session.9-9-9.new"), "being written");
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(requests_.size(), 7u);
  std::vector<std::u16string> left;
  for (const auto& entry : fs::directory_iterator(Path(folder)))
    left.push_back(entry.path().filename().u16string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::u16string>{u"tracking.ini", u"tracking.lock", u"y.session.9-9-9.new"}));
}

TEST_F(SharedFolder, AClaimLeftByAFlushThatNeverEndedIsTakenOverAfterAMinute) {
  TrackTwoSessions();
  std::u16string folder = Folder();
  std::u16string session = Path(SessionFilesLeft()[0]).filename().u16string();
  fs::rename(Path(FilePath(files_, folder, session)),
             Path(FilePath(files_, folder, ClaimName(session, files_.Now(), u"1-1-1"))));
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(requests_.size(), 2u) << "a claim of a running flush is not touched";
  files_.nowShift = 120;
  analytics_.OnAnalyticsLogStart(installer_);
  analytics_.OnAnalyticsLogFinish(installer_);
  EXPECT_EQ(requests_.size(), 2u + 5u + 2u);
}

}  // namespace
}  // namespace plumeta
