#include <gtest/gtest.h>

#include "analytics/ini_document.h"
#include "analytics/profile_reader.h"
#include "test_support.h"

namespace plumeta {
namespace {

using Sections = std::vector<std::pair<std::u16string, std::vector<std::u16string>>>;

// The same hand-written files go through the library's own reader and the
// system's reader (which on Windows is the system's profile API): both must
// see them alike.
class ProfileReaders : public ::testing::TestWithParam<bool> {
 protected:
  ProfileReaders()
      : files_(MakeSystemFileSystem()),
        reader_(GetParam() ? MakeSystemProfileReader(*files_)
                           : std::make_unique<TextProfileReader>(*files_)) {}

  Sections Read(std::string_view content) {
    std::u16string path = scratch_.File(u"hand.ini");
    testing::WriteAll(path, content);
    Sections out;
    for (ProfileSection& s : reader_->ReadProfile(path)) out.emplace_back(s.name, s.entries);
    return out;
  }

  testing::ScratchFolder scratch_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<ProfileReader> reader_;
};

TEST_P(ProfileReaders, BlanksAroundKeysAndValuesAreRemovedAndTheSplitIsAtTheFirstEquals) {
  Sections s = Read("[General]\r\n  Active   =   true  \r\nCurrent Session={A}\r\n\tPath = C:\\x=y \r\n");
  Sections expected = {{u"General", {u"Active=true", u"Current Session={A}", u"Path=C:\\x=y"}}};
  EXPECT_EQ(s, expected);
}

TEST_P(ProfileReaders, DuplicateKeysAreAllDeliveredInFileOrder) {
  Sections s = Read("[S]\r\nKey = first\r\nkey = second\r\n");
  Sections expected = {{u"S", {u"Key=first", u"key=second"}}};
  EXPECT_EQ(s, expected);
}

TEST_P(ProfileReaders, BareLinesEmptyLinesAndLinesBeforeTheFirstSection) {
  Sections s = Read("orphan = 1\r\n\r\n[A]\r\n\r\nflag\r\nempty =\r\n\r\n[B]\r\nk=v\n[C]\r\n");
  Sections expected = {{u"A", {u"flag", u"empty="}}, {u"B", {u"k=v"}}, {u"C", {}}};
  EXPECT_EQ(s, expected);
}

TEST_P(ProfileReaders, ASectionNameRepeatedInAnotherCaseReadsTheFirstSection) {
  Sections s = Read("[Dup]\r\na=1\r\n[other]\r\nb=2\r\n[DUP]\r\nc=3\r\n");
  Sections expected = {{u"Dup", {u"a=1"}}, {u"other", {u"b=2"}}, {u"DUP", {u"a=1"}}};
  EXPECT_EQ(s, expected);
}

TEST_P(ProfileReaders, MissingOrEmptyFileHasNoSections) {
  EXPECT_TRUE(reader_->ReadProfile(scratch_.File(u"absent.ini")).empty());
  EXPECT_TRUE(Read("").empty());
}

TEST_P(ProfileReaders, LatinLettersOfEightBitFilesAreRead) {
  Sections s = Read("[G]\r\nuser = J\xFCrgen\r\n");
  Sections expected = {{u"G", {u"user=J\u00FCrgen"}}};
  EXPECT_EQ(s, expected);
}

TEST_P(ProfileReaders, ARewriteIsSeenAtOnce) {
  // Two rewrites within one clock tick must not be answered from a cache.
  for (int i = 0; i < 20; ++i) {
    std::string digit(1, static_cast<char>('0' + i % 10));
    Sections s = Read("[G]\r\nn = " + digit + "\r\n");
    ASSERT_EQ(s.size(), 1u);
    ASSERT_EQ(s[0].second, std::vector<std::u16string>{u"n=" + std::u16string(1, char16_t(u'0' + i % 10))});
  }
}

TEST_P(ProfileReaders, IniDocumentLoadSplitsEntriesAndLaterDuplicatesReplace) {
  std::u16string path = scratch_.File(u"doc.ini");
  testing::WriteAll(path, "[General]\r\nActive = false\r\nACTIVE = true\r\nflag\r\n[Missing]\r\n");
  IniDocument doc(path);
  doc.Load(*reader_);
  EXPECT_EQ(doc.Get(u"general", u"active"), u"true");
  EXPECT_EQ(doc.Get(u"General", u"flag"), u"");
  EXPECT_EQ(doc.Get(u"Missing", u"Active"), u"");
  EXPECT_EQ(doc.Get(u"Nowhere", u"Active"), u"");
  ASSERT_EQ(doc.sections().size(), 2u);
  EXPECT_EQ(doc.sections()[0].entries().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Readers, ProfileReaders, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "System" : "Text"; });

TEST(ProfileText, WideAndUtf8MarkedFilesAreDecoded) {
  EXPECT_EQ(DecodeProfileBytes(std::string("\xFF\xFE[\0A\0]\0", 8)), u"[A]");
  EXPECT_EQ(DecodeProfileBytes("\xEF\xBB\xBFk=\xE2\x82\xAC"), u"k=\u20AC");
  EXPECT_EQ(DecodeProfileBytes("k=\xE2"), u"k=\u00E2");
}

}  // namespace
}  // namespace plumeta
