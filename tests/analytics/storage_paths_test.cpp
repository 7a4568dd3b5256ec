#include <gtest/gtest.h>

#include <algorithm>

#include "analytics/long_path.h"
#include "analytics/storage_paths.h"
#include "test_support.h"

namespace plumeta {
namespace {

std::u16string DrivePath(std::size_t length) {
  std::u16string path = u"C:\\";
  path.resize(length, u'd');
  return path;
}

TEST(LongPath, AbsolutePathsFromTheThresholdOnGetThePrefix) {
  EXPECT_EQ(LongPathForm(DrivePath(247), kLongFolderPath), DrivePath(247));
  EXPECT_EQ(LongPathForm(DrivePath(248), kLongFolderPath), u"\\\\?\\" + DrivePath(248));
  EXPECT_EQ(LongPathForm(DrivePath(259), kLongFilePath), DrivePath(259));
  EXPECT_EQ(LongPathForm(DrivePath(260), kLongFilePath), u"\\\\?\\" + DrivePath(260));

  std::u16string prefixed = u"\\\\?\\" + DrivePath(300);
  EXPECT_EQ(LongPathForm(prefixed, kLongFolderPath), prefixed) << "an existing prefix is kept, not doubled";

  std::u16string relative(300, u'r');
  EXPECT_EQ(LongPathForm(relative, kLongFolderPath), relative);
  std::u16string posix = u"/" + relative;
  EXPECT_EQ(LongPathForm(posix, kLongFolderPath), posix);
}

TEST(LongPath, NetworkPathsTakeTheUncLongForm) {
  std::u16string unc = u"\\\\server\\share\\" + std::u16string(260, u'u');
  EXPECT_EQ(LongPathForm(unc, kLongFolderPath), u"\\\\?\\UNC\\server\\share\\" + std::u16string(260, u'u'));
}

TEST(SessionFileNames, OnlyTheExtensionSessionInAnyCaseCounts) {
  EXPECT_TRUE(IsSessionFileName(u"{A}.session"));
  EXPECT_TRUE(IsSessionFileName(u".SESSION"));
  EXPECT_TRUE(IsSessionFileName(u"x.Session"));
  EXPECT_FALSE(IsSessionFileName(u"session"));
  EXPECT_FALSE(IsSessionFileName(u"x.session.bak"));
  EXPECT_FALSE(IsSessionFileName(u"x.session.new"));
  EXPECT_FALSE(IsSessionFileName(u"x.sessions"));
  EXPECT_FALSE(IsSessionFileName(u"a.session\\b"));
  EXPECT_FALSE(IsSessionFileName(u"tracking.ini"));
}

TEST(SessionFileNames, ListingOrderIsByNameWithLettersFoldedToUpperCase) {
  std::vector<std::u16string> names = {u"b.session", u"_x.session",  u"A.session",  u"a.session",
                                       u".session",  u"{2}.session", u"{1}.session"};
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return ListedBefore(a, b); });
  // "_" sorts after the letters once they are folded to upper case.
  std::vector<std::u16string> expected = {u".session",   u"A.session",   u"a.session",  u"b.session",
                                          u"_x.session", u"{1}.session", u"{2}.session"};
  EXPECT_EQ(names, expected);
}

TEST(StorageFolder, IsCreatedUnderTheTemporaryFolderByProductAndVersion) {
  testing::ScratchFolder scratch;
  testing::RootedFiles files(scratch.path());
  std::u16string folder = StorageFolder(files, u"Vorsant", u"6.1.0");
  char16_t sep = files.Separator();
  EXPECT_EQ(folder, scratch.path() + u"OrvexAnalytics" + sep + u"Vorsant" + sep + u"6.1.0");
  EXPECT_TRUE(files.ListFolder(folder).has_value());
  EXPECT_EQ(FilePath(files, folder, u"tracking.ini"), folder + sep + u"tracking.ini");
}

TEST(StorageFolder, NamesAreMadeSafeTheWayWindowsKeepsThem) {
  EXPECT_EQ(SafePathName(u"Acme Inc."), u"Acme Inc");
  EXPECT_EQ(SafePathName(u"Vorsant . ."), u"Vorsant");
  EXPECT_EQ(SafePathName(u"A<B>C:D\"E/F\\G|H?I*J\tK"), u"A_B_C_D_E_F_G_H_I_J_K");
  EXPECT_EQ(SafePathName(u"con"), u"_con");
  EXPECT_EQ(SafePathName(u"NUL.txt"), u"_NUL.txt");
  EXPECT_EQ(SafePathName(u"COM1"), u"_COM1");
  EXPECT_EQ(SafePathName(u"COM10"), u"COM10");
  EXPECT_EQ(SafePathName(u"Console"), u"Console");
  EXPECT_EQ(SafePathName(u" .."), u"_");
  // The folder made for a name Windows would rewrite is the one used.
  testing::ScratchFolder scratch;
  testing::RootedFiles files(scratch.path());
  char16_t sep = files.Separator();
  EXPECT_EQ(StorageFolder(files, u"Acme Inc.", u"1.0 "),
            scratch.path() + u"OrvexAnalytics" + sep + u"Acme Inc" + sep + u"1.0");
}

TEST(StorageFolder, SessionFilesAreListedInNameOrderWithoutFoldersOrOtherFiles) {
  testing::ScratchFolder scratch;
  testing::RootedFiles files(scratch.path());
  std::u16string folder = StorageFolder(files, u"P", u"1");
  for (auto name : {u"b.session", u"A.SESSION", u"session", u"x.session.bak", u"tracking.ini", u".session"}) {
    testing::WriteAll(FilePath(files, folder, name), "[x]\r\n");
  }
  ASSERT_TRUE(files.MakeFolders(FilePath(files, folder, u"dir.session")));
  std::vector<std::u16string> expected = {FilePath(files, folder, u".session"),
                                          FilePath(files, folder, u"A.SESSION"),
                                          FilePath(files, folder, u"b.session")};
  EXPECT_EQ(SessionFiles(files, folder), expected);
}

}  // namespace
}  // namespace plumeta
