// Links planted in the storage folder, which may lie in a temporary folder
// other users can write to: nothing is written, read back or deleted
// through them. Needs a file system that makes symbolic links.

#include <gtest/gtest.h>

#include <filesystem>

#include "analytics/storage_paths.h"
#include "install_fakes.h"

namespace plumeta {
namespace {

namespace fs = std::filesystem;

class PlantedLinks : public testing::InstallTest {
 protected:
  PlantedLinks() : elsewhere_(testing::ToFsPath(outside_.path())) { StandardProperties(); }

  void RunInstall() {
    analytics_.OnAnalyticsToggle(installer_);
    analytics_.OnAnalyticsLogStart(installer_);
    analytics_.OnAnalyticsLogFinish(installer_);
  }
  // Links `at` to `target`; false where the system makes no links.
  bool Link(const std::u16string& at, const fs::path& target, bool folder) {
    std::error_code ec;
    if (folder) {
      fs::create_directory_symlink(target, testing::ToFsPath(at), ec);
    } else {
      fs::create_symlink(target, testing::ToFsPath(at), ec);
    }
    // Wine answers yes and makes nothing.
    return !ec && fs::is_symlink(testing::ToFsPath(at));
  }
  std::u16string Versioned() {
    std::u16string sep(1, files_.Separator());
    return scratch_.path() + u"OrvexAnalytics" + sep + u"Vorsant" + sep + u"6.1.0";
  }

  testing::ScratchFolder outside_;
  fs::path elsewhere_;
};

TEST_F(PlantedLinks, ALinkedFolderOnTheWayIsNeverWrittenInto) {
  for (std::u16string at : {scratch_.path() + u"OrvexAnalytics", Versioned()}) {
    fs::remove_all(testing::ToFsPath(scratch_.path() + u"OrvexAnalytics"));
    fs::create_directories(testing::ToFsPath(at).parent_path());
    if (!Link(at, elsewhere_, true)) GTEST_SKIP() << "no symbolic links here";
    RunInstall();
    EXPECT_TRUE(requests_.empty());
    EXPECT_TRUE(fs::is_empty(elsewhere_)) << testing::ToFsPath(at);
    EXPECT_EQ(Folder(), u"");
  }
}

TEST_F(PlantedLinks, LinkedFilesStopTheCallAndAreLeftAsTheyAre) {
  analytics_.OnAnalyticsToggle(installer_);
  std::u16string folder = Folder();
  const std::string hit = "[Activity {X}]\r\nHit Type = property\r\nLabel = planted\r\n";
  fs::path target = elsewhere_ / "target";
  for (std::u16string name : {u"planted.session", u"tracking.ini", u"tracking.ini.new"}) {
    testing::WriteAll(outside_.File(u"target"), hit);
    std::u16string at = FilePath(files_, folder, name);
    std::error_code ignored;
    fs::remove(testing::ToFsPath(at), ignored);
    if (!Link(at, target, false)) GTEST_SKIP() << "no symbolic links here";
    RunInstall();
    EXPECT_EQ(testing::ReadAll(outside_.File(u"target")), hit) << testing::ToFsPath(at);
    for (const auto& label : Values("lb")) EXPECT_NE(label, "planted");
    fs::remove(testing::ToFsPath(at), ignored);
  }
  // A planted session file is left alone while its run's two hits go out;
  // a planted "tracking.ini" stops every call (nothing stored); a link under
  // the old pending name is never used, so the last run posts its hits.
  EXPECT_EQ(requests_.size(), 4u);
}

}  // namespace
}  // namespace plumeta
