#include <gtest/gtest.h>

#include "analytics/ini_document.h"
#include "test_support.h"

namespace plumeta {
namespace {

class IniDocumentTest : public ::testing::Test {
 protected:
  IniDocumentTest() : files_(MakeSystemFileSystem()), reader_(MakeSystemProfileReader(*files_)) {}

  testing::ScratchFolder scratch_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<ProfileReader> reader_;
};

TEST_F(IniDocumentTest, WritesSectionsEntriesAndSeparatorsExactly) {
  IniDocument doc(scratch_.File(u"t.ini"));
  doc.Set(u"General", u"Active", u"true");
  doc.Set(u"General", u"Current Session", u"{S}");
  doc.Set(u"Empty", u"Nothing", u"");
  doc.Set(u"Activity {A}", u"Hit Type", u"lifecycle");
  doc.Set(u"Activity {A}", u"Content Description", u"");
  ASSERT_TRUE(doc.Save(*files_));
  EXPECT_EQ(testing::ReadAll(doc.path()),
            "[General]\r\nActive = true\r\nCurrent Session = {S}\r\n"
            "\r\n"
            "[Activity {A}]\r\nHit Type = lifecycle\r\n");
}

TEST_F(IniDocumentTest, CompactAndWideForms) {
  IniDocument doc(scratch_.File(u"c.ini"));
  doc.Set(u"A", u"k", u"v");
  doc.Set(u"B", u"k", u"\u20AC");
  doc.compact = true;
  EXPECT_EQ(doc.Text(), u"[A]\r\nk=v\r\n[B]\r\nk=\u20AC\r\n");
  doc.compact = false;
  doc.wide = true;
  ASSERT_TRUE(doc.Save(*files_));
  std::string bytes = testing::ReadAll(doc.path());
  EXPECT_EQ(bytes.substr(0, 8), std::string("\xFF\xFE[\0A\0]\0", 8));
  IniDocument back(doc.path());
  back.Load(*reader_);
  EXPECT_EQ(back.Get(u"B", u"k"), u"\u20AC");
}

TEST_F(IniDocumentTest, RoundTripKeepsOrderAndValues) {
  IniDocument doc(scratch_.File(u"r.ini"));
  doc.Set(u"Activity {2}", u"Hit Type", u"property");
  doc.Set(u"Activity {2}", u"Label", u"INSTALLFOLDER");
  doc.Set(u"Activity {2}", u"Value", u"C:\\Program Files (x86)\\Vorsant\\");
  doc.Set(u"Activity {1}", u"Value", u"J\u00FCrgen");
  ASSERT_TRUE(doc.Save(*files_));

  IniDocument back(doc.path());
  back.Load(*reader_);
  ASSERT_EQ(back.sections().size(), 2u);
  EXPECT_EQ(back.sections()[0].name(), u"Activity {2}");
  EXPECT_EQ(back.sections()[1].name(), u"Activity {1}");
  ASSERT_EQ(back.sections()[0].entries().size(), 3u);
  EXPECT_EQ(back.sections()[0].entries()[2].key, u"Value");
  EXPECT_EQ(back.sections()[0].entries()[2].value, u"C:\\Program Files (x86)\\Vorsant\\");
  EXPECT_EQ(back.Get(u"activity {1}", u"VALUE"), u"J\u00FCrgen");
  EXPECT_EQ(back.Text(), doc.Text());
}

TEST_F(IniDocumentTest, ReplacementKeepsAValueEqualApartFromCase) {
  IniDocument doc(u"");
  doc.Set(u"G", u"Active", u"True");
  doc.Set(u"g", u"ACTIVE", u"true");
  EXPECT_EQ(doc.Get(u"G", u"Active"), u"True");
  doc.Set(u"G", u"active", u"false");
  EXPECT_EQ(doc.Get(u"G", u"Active"), u"false");
  ASSERT_EQ(doc.sections().size(), 1u);
  EXPECT_EQ(doc.sections()[0].entries()[0].key, u"Active") << "the key keeps its first spelling";
  doc.Set(u"G", u"New", u"x");
  doc.Set(u"H", u"k", u"y");
  EXPECT_EQ(doc.sections()[0].entries().back().key, u"New");
  EXPECT_EQ(doc.sections().back().name(), u"H");
}

TEST_F(IniDocumentTest, EmptyTextLeavesTheFileUntouchedAndCountsAsSaved) {
  std::u16string path = scratch_.File(u"keep.ini");
  testing::WriteAll(path, "[Old]\r\nk = v\r\n");
  IniDocument doc(path);
  doc.Set(u"General", u"Current Session", u"");
  EXPECT_TRUE(doc.Save(*files_));
  EXPECT_EQ(testing::ReadAll(path), "[Old]\r\nk = v\r\n");
  EXPECT_TRUE(IniDocument(scratch_.File(u"none.ini")).Save(*files_));
  EXPECT_FALSE(files_->ReadBytes(scratch_.File(u"none.ini")).has_value());
}

TEST_F(IniDocumentTest, ControlCharactersInsideAValueBecomeBlanksSoTheFileStaysIntact) {
  IniDocument doc(scratch_.File(u"crlf.ini"));
  // The installer formats "[~]" to a NUL.
  doc.Set(u"Activity {A}", u"Exception Details",
          std::u16string(u"Error 1603.\r\nFatal error\nduring [installation]\r a\0b\x1A\x1F c", 55));
  doc.Set(u"Activity {A}", u"Exception Fatal", u"1");
  ASSERT_TRUE(doc.Save(*files_));
  EXPECT_EQ(
      testing::ReadAll(doc.path()),
      "[Activity {A}]\r\nException Details = Error 1603.  Fatal error during [installation]  a b   c\r\n"
      "Exception Fatal = 1\r\n");
  IniDocument back(doc.path());
  back.Load(*reader_);
  EXPECT_EQ(back.Get(u"Activity {A}", u"Exception Details"),
            u"Error 1603.  Fatal error during [installation]  a b   c");
  EXPECT_EQ(back.Get(u"Activity {A}", u"Exception Fatal"), u"1");
}

TEST_F(IniDocumentTest, CharactersBeyondEightBitsAreWrittenAsQuestionMarks) {
  IniDocument doc(scratch_.File(u"8bit.ini"));
  doc.Set(u"G", u"name", u"\u00E9\u65E5\U0001F600");
  ASSERT_TRUE(doc.Save(*files_));
  EXPECT_EQ(testing::ReadAll(doc.path()), "[G]\r\nname = \xE9??\r\n");
}

TEST_F(IniDocumentTest, AFailedWriteKeepsThePreviousFile) {
  std::u16string path = scratch_.File(u"safe.ini");
  testing::WriteAll(path, "[Old]\r\nk = v\r\n");
  // A folder in the way of the pending file makes the write fail.
  ASSERT_TRUE(files_->MakeFolders(PendingWritePath(path)));
  IniDocument doc(path);
  doc.Set(u"New", u"k", u"v");
  EXPECT_FALSE(doc.Save(*files_));
  EXPECT_EQ(testing::ReadAll(path), "[Old]\r\nk = v\r\n");
}

}  // namespace
}  // namespace plumeta
