#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/CMemINI.h"
#include "tests/app/TempDir.h"

namespace quillon {
namespace {

using quillon::testing::TempDir;

CMemINI Parse(const std::string& text, int* stored = nullptr) {
  CMemINI ini;
  int n = ini.LoadBuffer(text);
  if (stored) *stored = n;
  return ini;
}

TEST(MemIniParsing, BlanksAroundKeyAndValueAreTrimmed) {
  int stored = 0;
  CMemINI ini = Parse("[S]\n   key   =  \t value with  inner  \t \r\n", &stored);
  EXPECT_EQ(stored, 1);
  ASSERT_NE(ini.GetValue("S", "key"), nullptr);
  EXPECT_EQ(ini.GetValue("S", "key")->GetValue(), "value with  inner");
  EXPECT_EQ(ini.GetAt(0)->GetAt(0)->GetKey(), "key");
}

TEST(MemIniParsing, TabBeforeEqualsStaysPartOfKey) {
  CMemINI ini = Parse("[S]\nkey\t=1\nother \t =2\n");
  EXPECT_EQ(ini.GetValue("S", "key"), nullptr);
  ASSERT_NE(ini.GetValue("S", "key\t"), nullptr);
  ASSERT_NE(ini.GetValue("S", "other \t"), nullptr);
  EXPECT_EQ(ini.GetInt("S", "other \t", 0), 2);
}

TEST(MemIniParsing, EmptyValueStoresNothing) {
  int stored = -1;
  CMemINI ini = Parse("[S]\ncount=\nblank=  \t \n", &stored);
  EXPECT_EQ(stored, 0);
  EXPECT_EQ(ini.GetInt("S", "count", 42), 42);
  EXPECT_EQ(ini.FindSection("S")->GetCount(), 0);
}

TEST(MemIniParsing, NoInlineCommentsOrEscapes) {
  CMemINI ini = Parse("[S]\na=x;y=z \"q\"\n");
  EXPECT_EQ(ini.GetString("S", "a", ""), "x;y=z \"q\"");
}

TEST(MemIniParsing, RepeatedSectionsMergeAndKeysOverwriteInPlace) {
  CMemINI ini = Parse("[Main]\nAlpha=1\nBeta=2\n[Other]\nx=1\n[MAIN]\nALPHA=3\ngamma=4\n");
  ASSERT_EQ(ini.GetCount(), 2);
  const CMemINISection* main = ini.GetAt(0);
  EXPECT_EQ(main->GetName(), "Main");
  ASSERT_EQ(main->GetCount(), 3);
  EXPECT_EQ(main->GetAt(0)->GetKey(), "Alpha");
  EXPECT_EQ(main->GetAt(0)->GetValue(), "3");
  EXPECT_EQ(main->GetAt(1)->GetKey(), "Beta");
  EXPECT_EQ(main->GetAt(2)->GetKey(), "gamma");
  EXPECT_EQ(ini.GetInt("main", "alpha", 0), 3);
}

TEST(MemIniParsing, BrokenAndEmptyHeadersKeepCurrentSection) {
  CMemINI ini = Parse("[A]\n[B\nx=1\n[]\ny=2\n[  ]\n");
  ASSERT_EQ(ini.GetCount(), 2);
  EXPECT_EQ(ini.GetInt("A", "x", 0), 1);
  EXPECT_EQ(ini.GetInt("A", "y", 0), 2);
  // The first character after "[" is never trimmed, so "[  ]" names " ".
  EXPECT_EQ(ini.GetAt(1)->GetName(), " ");
}

TEST(MemIniParsing, HeaderNamesLoseTrailingSpacesOnly) {
  CMemINI ini = Parse("  [ Name  ]  trailing\n[Tabbed\t]\n");
  ASSERT_EQ(ini.GetCount(), 2);
  EXPECT_EQ(ini.GetAt(0)->GetName(), " Name");
  EXPECT_EQ(ini.GetAt(1)->GetName(), "Tabbed\t");
}

TEST(MemIniParsing, CommentsAndPairsBeforeFirstSectionAreIgnored) {
  int stored = -1;
  CMemINI ini = Parse("early=1\n[S]\n;c=1\n/d=2\n  ;e=3\n=f\ng\nh=8\n", &stored);
  EXPECT_EQ(stored, 1);
  ASSERT_EQ(ini.GetCount(), 1);
  EXPECT_EQ(ini.GetAt(0)->GetCount(), 1);
  EXPECT_EQ(ini.GetInt("S", "h", 0), 8);
}

TEST(MemIniParsing, IntegersFollowAtoi) {
  CMemINI ini = Parse("[S]\na=12abc\nb=abc\nc= -7\nd=99999999999999\ne=+5\n");
  EXPECT_EQ(ini.GetInt("S", "a", -1), 12);
  EXPECT_EQ(ini.GetInt("S", "b", -1), 0);
  EXPECT_EQ(ini.GetInt("S", "c", 0), -7);
  EXPECT_EQ(ini.GetInt("S", "d", 0), 2147483647);
  EXPECT_EQ(ini.GetInt("S", "e", 0), 5);
  EXPECT_EQ(ini.GetInt("S", "missing", -1), -1);
  EXPECT_EQ(ini.GetInt("missing", "a", -2), -2);
}

TEST(MemIniParsing, DoublesFollowAtofWithSinglePrecisionDefault) {
  CMemINI ini = Parse("[S]\nmoe=25.5x\nbad=x1\nexp=1e3\n");
  EXPECT_DOUBLE_EQ(ini.GetDouble("S", "moe", 0.0f), 25.5);
  EXPECT_DOUBLE_EQ(ini.GetDouble("S", "bad", 1.0f), 0.0);
  EXPECT_DOUBLE_EQ(ini.GetDouble("S", "exp", 0.0f), 1000.0);
  EXPECT_DOUBLE_EQ(ini.GetDouble("S", "none", 0.1f), static_cast<double>(0.1f));
  EXPECT_TRUE(std::isinf(AtofText("1e999")));
  EXPECT_EQ(AtofText("-1e-999"), 0.0);
  EXPECT_EQ(AtofText("+-3"), 0.0);
}

TEST(MemIniParsing, CopiesAreDeepAndMovesLeaveAnEmptyStore) {
  CMemINI ini = Parse("[S]\na=1\n");
  CMemINI copy = ini;
  copy.SetString("S", "a", "2");
  EXPECT_EQ(ini.GetString("S", "a", ""), "1");
  CMemINI moved = std::move(ini);
  EXPECT_EQ(moved.GetString("s", "A", ""), "1");
  EXPECT_EQ(ini.GetCount(), 0);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(ini.FindSection("S"), nullptr);
}

TEST(MemIniParsing, NulEndsTheLineItOccursIn) {
  std::string text("[S]\na=1\0junk=2\nb=2\n", 19);
  CMemINI ini = Parse(text);
  EXPECT_EQ(ini.GetString("S", "a", ""), "1");
  EXPECT_EQ(ini.GetValue("S", "junk"), nullptr);
  EXPECT_EQ(ini.GetInt("S", "b", 0), 2);
}

TEST(MemIniParsing, BufferCutsLongStretchesInto4096BytePieces) {
  // key=<4094 x> is 4096 bytes without the LF: the LF becomes its own piece.
  std::string text = "[S]\nk=" + std::string(4094, 'x') + "\nafter=1\n";
  CMemINI ini = Parse(text);
  EXPECT_EQ(ini.GetString("S", "k", "").size(), 4094u);
  EXPECT_EQ(ini.GetInt("S", "after", 0), 1);

  // A longer stretch continues as a new line: its second piece is a pair.
  std::string cut = "[S]\nk=" + std::string(4094, 'x') + "next=2\n";
  CMemINI second = Parse(cut);
  EXPECT_EQ(second.GetString("S", "k", "").size(), 4094u);
  EXPECT_EQ(second.GetInt("S", "next", 0), 2);

  // Leading blanks that push the text 4095 or more characters in drop the piece.
  std::string deep = "[S]\n" + std::string(4095, ' ') + "z\n";
  EXPECT_EQ(Parse(deep).GetValue("S", "z"), nullptr);
}

TEST(MemIniFile, LongLineIsCutAndEndsReading) {
  TempDir dir;
  std::string exact = "[S]\nk=" + std::string(4093, 'x') + "\nafter=1\n";  // line of 4095
  CMemINI ini;
  ASSERT_TRUE(ini.LoadFile(dir.Write("exact.ini", exact)));
  EXPECT_EQ(ini.GetString("S", "k", "").size(), 4093u);
  EXPECT_EQ(ini.GetInt("S", "after", 0), 1);

  std::string longer = "[S]\nk=" + std::string(5000, 'y') + "\nafter=1\n";
  ASSERT_TRUE(ini.LoadFile(dir.Write("long.ini", longer)));
  EXPECT_EQ(ini.GetString("S", "k", "").size(), 4093u);
  EXPECT_EQ(ini.GetValue("S", "after"), nullptr);
}

TEST(MemIniFile, LoadReadsCrLfAndKeepsStoreOnFailure) {
  TempDir dir;
  CMemINI ini;
  ASSERT_TRUE(ini.LoadFile(dir.Write("a.ini", "[S]\r\na=1\r\n")));
  EXPECT_EQ(ini.GetName(), dir.File("a.ini"));
  EXPECT_EQ(ini.GetString("S", "a", ""), "1");
  EXPECT_FALSE(ini.LoadFile(""));
  EXPECT_FALSE(ini.LoadFile(dir.File("missing.ini")));
  EXPECT_FALSE(ini.LoadFile(dir.Path()));
  EXPECT_EQ(ini.GetString("S", "a", ""), "1");
  EXPECT_EQ(ini.GetName(), dir.File("a.ini"));
}

TEST(MemIniFile, SaveWritesCrLfLinesWithBlankSeparators) {
  TempDir dir;
  CMemINI ini;
  ini.GetOrAddSection("A")->SetString("k", "v");
  ini.GetOrAddSection("B");
  ASSERT_TRUE(ini.SaveFile(dir.File("out.ini")));
  EXPECT_EQ(TempDir::Read(dir.File("out.ini")), "[A]\r\nk=v\r\n\r\n[B]\r\n\r\n\r\n");
  EXPECT_EQ(ini.GetName(), dir.File("out.ini"));

  CMemINI empty;
  ASSERT_TRUE(empty.SaveFile(dir.File("empty.ini")));
  EXPECT_EQ(TempDir::Read(dir.File("empty.ini")), "\r\n");
  EXPECT_FALSE(empty.SaveFile(""));
  EXPECT_FALSE(empty.SaveFile(dir.File("no/such/folder/x.ini")));
}

TEST(MemIniFile, SaveAndReloadRoundTrip) {
  TempDir dir;
  CMemINI ini = Parse("[One]\na=1\nB=two words\n[Two]\nc=;x\n");
  ASSERT_TRUE(ini.SaveFile(dir.File("rt.ini")));
  CMemINI back;
  ASSERT_TRUE(back.LoadFile(dir.File("rt.ini")));
  EXPECT_EQ(back.SaveText(), ini.SaveText());
}

}  // namespace
}  // namespace quillon
