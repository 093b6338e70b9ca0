#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/CCommandLibrary.h"
#include "app/CConfigFiles.h"
#include "app/CEmbeddedResources.h"
#include "app/CMemINI.h"
#include "app/CMfgList.h"
#include "app/CQuillonException.h"
#include "app/CReferenceLists.h"
#include "app/CRegistry.h"
#include "app/IPrompt.h"
#include "tests/app/CurrentDir.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

using quillon::testing::CurrentDir;
using quillon::testing::RegistryEnv;
using quillon::testing::TempDir;

class RecordingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    messages.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;
};

std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CQuillonException& e) {
    return e.GetText();
  }
  return "(no error)";
}

CMemINI Ini(const std::string& text) {
  CMemINI ini;
  ini.LoadBuffer(text);
  return ini;
}

TEST(ReferenceDefaults, EmbeddedListsHaveTheStandardSizes) {
  CCommandLibrary library;
  CMfgList manufacturers;
  CReferenceLists::LoadEmbedded(library, manufacturers);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Am/Fm Tuner", 38}, {"Audio Processor", 71}, {"Cable Box", 30}, {"Camera", 31},
      {"Cassette", 13}, {"CD", 40}, {"DAT", 22}, {"Display", 46}, {"Document Camera", 20},
      {"DVD", 52}, {"DVD/VCR", 59}, {"Lighting Control", 17}, {"Mini Disc", 23}, {"Other", 0},
      {"Receiver", 63}, {"Satellite Receiver", 40}, {"Slide Projector", 14}, {"Tv Tuner", 33},
      {"VCR", 37}, {"Video Conference", 78}, {"Video Disc Player", 39}, {"Video Processor", 42},
      {"Video Projector", 32}, {"Web Tv", 26}, {"Switcher", 0}, {"Scaler", 33}};
  ASSERT_EQ(library.GetCount(), 26);
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(library.GetAt(i)->GetTypeName(), expected[static_cast<std::size_t>(i)].first);
    EXPECT_EQ(library.GetAt(i)->GetCount(), expected[static_cast<std::size_t>(i)].second)
        << expected[static_cast<std::size_t>(i)].first;
  }
  EXPECT_EQ(manufacturers.GetCount(), 349);
  EXPECT_EQ(manufacturers.GetAt(0), "3M");
  EXPECT_EQ(manufacturers.GetAt(90), "Velmor");
  EXPECT_EQ(manufacturers.GetAt(348), "Analog Way");

  // Scaler names carry trailing blanks in the file; the store trims them.
  auto raw = CEmbeddedResources::Find(CEmbeddedResources::kIrFunctionsIni);
  EXPECT_NE(raw->find("cmd32=PIP ON/OFF \r\n"), std::string_view::npos);
  const CCommandList* scaler = library.Find("scaler");
  ASSERT_NE(scaler, nullptr);
  EXPECT_EQ(scaler->GetAt(0), "INFO");
  EXPECT_EQ(scaler->GetAt(26), "VOL -");
  EXPECT_EQ(scaler->GetAt(32), "PIP ON/OFF");

  EXPECT_EQ(library.Find("video projector"), library.GetAt(22));
  EXPECT_EQ(library.Find("Toaster"), nullptr);
  EXPECT_EQ(library.Find("Video Conference")->GetAt(77), "VIEW_NEAR/FAR");
  EXPECT_EQ(library.Find("DVD")->IndexOf("open/close"), 18);
}

TEST(ReferenceDefaults, ComboBoxShowsOtherForUnknownMaker) {
  CCommandLibrary library;
  CMfgList manufacturers;
  CReferenceLists::LoadEmbedded(library, manufacturers);
  auto entries = manufacturers.GetComboBoxEntries();
  ASSERT_EQ(entries.size(), 349u);
  EXPECT_EQ(entries[325], "Other");

  CMfgList odd;
  odd.Load(Ini("[mfg]\nmfg_count=4\nmfg0=12abc\nmfg1=12,\nmfg2=Acme,Inc\nmfg3=7,???\n"));
  EXPECT_EQ(odd.GetNames(), (std::vector<std::string>{"12abc", "12,", "Acme,Inc", "???"}));
  EXPECT_EQ(odd.GetComboBoxEntries(), (std::vector<std::string>{"12abc", "12,", "Acme,Inc", "Other"}));
}

TEST(ReferenceLoading, TypesSectionsAndCommandErrors) {
  CCommandLibrary library;
  CMemINI ini = Ini("[main]\ntype_count=3\ntype0=Bare\ntype1=5,Missing\ntype2=9,Listed\n"
                    "[bare]\ncount=1\ncmd0=GO\n[LISTED]\ncount=2\ncmd0=A\ncmd1=B\n");
  library.Load(ini);
  ASSERT_EQ(library.GetCount(), 3);
  EXPECT_EQ(library.GetAt(0)->GetTypeName(), "bare");  // the section's spelling
  EXPECT_EQ(library.GetAt(0)->GetCount(), 1);
  EXPECT_EQ(library.GetAt(1)->GetCount(), 0);
  EXPECT_EQ(ini.GetString("Missing", "count", ""), "0");  // added to the store
  EXPECT_EQ(library.Find("listed")->GetCommands(), (std::vector<std::string>{"A", "B"}));

  CMemINI gap = Ini("[main]\ntype_count=1\ntype0=1,T\n[T]\ncount=3\ncmd0=A\ncmd2=C\n");
  EXPECT_EQ(ErrorOf([&] { library.Load(gap); }), "Error while loading Device Command List");
  EXPECT_EQ(library.GetCount(), 0);

  CMemINI emptyCmd = Ini("[main]\ntype_count=1\ntype0=1,T\n[T]\ncount=1\n");
  emptyCmd.SetString("T", "cmd0", "");
  EXPECT_EQ(ErrorOf([&] { library.Load(emptyCmd); }), "Invalid entry in Device Command List");

  for (const char* bad : {"[x]\na=1\n", "[main]\ntypes=1\n", "[main]\ntype_count=2\ntype0=1,A\n"}) {
    CMemINI invalid = Ini(bad);
    EXPECT_EQ(ErrorOf([&] { library.Load(invalid); }), "Invalid IR Command INI file") << bad;
  }
  CMemINI none = Ini("[main]\ntype_count=0\n");
  library.Load(none);
  EXPECT_EQ(library.GetCount(), 0);

  CMfgList manufacturers;
  for (const char* bad : {"[main]\na=1\n", "[mfg]\nmfg_count=2\nmfg0=1,A\n"}) {
    EXPECT_EQ(ErrorOf([&] { manufacturers.Load(Ini(bad)); }), "Invalid IR Command INI file") << bad;
  }
}

TEST(ReferenceLoading, NamedFileErrors) {
  TempDir dir;
  CCommandLibrary library;
  CMfgList manufacturers;
  EXPECT_EQ(ErrorOf([&] { library.LoadFile(""); }), "Invalid IR Command INI filename");
  EXPECT_EQ(ErrorOf([&] { manufacturers.LoadFile(""); }), "Invalid IR Command INI filename");
  EXPECT_EQ(ErrorOf([&] { library.LoadFile(dir.File("none.ini")); }), "Invalid IR Command INI file");
  EXPECT_EQ(ErrorOf([&] { library.LoadFile(dir.Write("c.ini", "; only a comment\n")); }),
            "Invalid IR Command INI file");
}

TEST(ReferenceStartup, InvalidExternalFileFallsBackToEmbeddedCopy) {
  RegistryEnv env;
  TempDir work;
  CurrentDir cwd(work.Path());
  ASSERT_TRUE(cwd.Ok());
  const std::string common = env.Dir().Path() + "/common";
  ASSERT_TRUE(CConfigFiles::CreateFolderLevels(common));
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, "path", common));

  CCommandLibrary library;
  CMfgList manufacturers;
  RecordingPrompt prompt;
  // A valid external copy is used as it is.
  std::string good = "[main]\ntype_count=1\ntype0=1,Gadget\n[Gadget]\ncount=1\ncmd0=ZAP\n"
                     "[mfg]\nmfg_count=1\nmfg0=1,Acme\n";
  { std::ofstream(common + "/irfunctions.ini") << good; }
  EXPECT_EQ(CReferenceLists::Load(library, manufacturers, &prompt), common + "/irfunctions.ini");
  EXPECT_EQ(library.GetCount(), 1);
  EXPECT_EQ(manufacturers.GetNames(), (std::vector<std::string>{"Acme"}));
  EXPECT_TRUE(prompt.messages.empty());

  // A copy whose manufacturer list is broken: both lists come from the embedded copy.
  { std::ofstream(common + "/irfunctions.ini") << "[main]\ntype_count=1\ntype0=1,Gadget\n"; }
  std::string message;
  EXPECT_EQ(CReferenceLists::Load(library, manufacturers, &prompt, &message), "");
  const std::string expected = common + "/irfunctions.ini is invalid/corrupted.\nUsing internal copy.";
  EXPECT_EQ(message, expected);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], expected);
  EXPECT_EQ(library.GetCount(), 26);
  EXPECT_EQ(manufacturers.GetCount(), 349);
}

}  // namespace
}  // namespace quillon
