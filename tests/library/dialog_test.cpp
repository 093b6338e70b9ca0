// The "Open Driver" dialog's core over generated library folders: archive
// and resource packages, loose drivers, damaged packages and a nested folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "library/CDlgOpenDriver.h"
#include "library/CVelmorPackageReader.h"
#include "tests/library/LibraryFixture.h"

namespace quillon {
namespace {

using namespace quillon::testing;
using Item = CDlgOpenDriver::ComboItem;

class RecordingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    messages.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;
};

std::vector<std::string> Texts(const std::vector<Item>& items) {
  std::vector<std::string> out;
  for (const auto& i : items) out.push_back(i.m_text);
  return out;
}

int IndexOf(const std::vector<Item>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].m_text == text) return static_cast<int>(i);
  ADD_FAILURE() << "no item " << text;
  return -1;
}

// A library with one package of each kind, damaged packages, a nested
// folder, and loose drivers good and bad.
class MixedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = NewFolder("mixed");
    const std::string functions =
        KeyedSection("main", "type_count", "type", {{3, "DVD"}, {10, "Display"}}) +
        KeyedSection("mfg", "mfg_count", "mfg", {{235, "Sony"}, {327, "???"}});
    const std::string support = "[supported]\r\nNum=2\r\n" + ModelSection(0, 3, 235, "DVP-1", "ABC", "1, 4") +
                                ModelSection(1, 10, 327, "Screen", "SCR", "2") +
                                ModelSection(2, 3, 235, "DVP-2", "DV2", "1, 3 ,7") +
                                ModelSection(3, 3, 235, "Beyond Num", "BN", "1");
    abc4_ = DriverBytes("DVD", "Sony", "DVP-1", "4", 5);
    WriteArchivePackage(dir_ + "/pack1.pkg", {{"irfunction.ini", Bytes(functions)},
                                              {"irsupport.ini", Bytes(support)},
                                              {"ABC_1.vir", DriverBytes("DVD", "Sony", "DVP-1", "1")},
                                              {"ABC_4.vir", abc4_},
                                              {"DV2_3.vir", DriverBytes("DVD", "Sony", "DVP-2", "3")}});
    // The resource package repeats key 3 under another name, which is not
    // taken, and lists its own manufacturers in irsupport.ini.
    const std::string functions2 = KeyedSection("main", "type_count", "type", {{3, "DVD again"}, {4, "VCR"}});
    const std::string support2 = KeyedSection("mfg", "mfg_count", "mfg", {{17, "  Aiwa  "}}) +
                                 "[supported]\r\nNum=3\r\n" + ModelSection(1, 4, 17, "VC-9", "VC9", "2") +
                                 "[model_2]\r\nTypeId=4\r\nBrandId=17\r\nModelName=NoPkg\r\nVersion=1\r\n" +
                                 ModelSection(3, 4, 17, "Lettered", "LT", "v2");
    vc9_ = DriverBytes("VCR", "Aiwa", "VC-9", "2", 3);
    WriteResourcePackage(dir_ + "/pack2.PKG",
                         {{"irfunction.ini", Bytes(functions2)}, {"irsupport.ini", Bytes(support2)}, {"VC9_2.vir", vc9_}});
    // Damaged: a truncated archive, bytes that are no package, a package
    // without its support description.
    const auto whole = ReadFile(dir_ + "/pack1.pkg");
    WriteFile(dir_ + "/cut.pkg", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 40));
    WriteFile(dir_ + "/garbage.pkg", Bytes("this is not a package at all"));
    WriteArchivePackage(dir_ + "/nosupport.pkg", {{"irfunction.ini", Bytes(functions)}});
    // Nested folders are not part of the library.
    std::filesystem::create_directories(dir_ + "/nested.pkg");
    std::filesystem::create_directories(dir_ + "/sub");
    WriteArchivePackage(dir_ + "/sub/inner.pkg", {{"irsupport.ini", Bytes(support)}});
    WriteFile(dir_ + "/loose.vir", DriverBytes("dvd", "SONY", "Loose-1", "3"));
    WriteFile(dir_ + "/newmaker.vir", DriverBytes("Projector", "Acme", "P-1", "x"));
    WriteFile(dir_ + "/noname.vir", DriverBytes("DVD", "Sony", "", "1"));
    WriteFile(dir_ + "/notadriver.vir", Bytes("plain text"));
    WriteFile(dir_ + "/readme.txt", Bytes("not part of the library"));
  }

  CDlgOpenDriver::Host MakeHost() {
    CDlgOpenDriver::Host host;
    host.m_fileOpen = [this] {
      ++fileOpens_;
      return browseLoads_;
    };
    host.m_openLooseDriver = [this](const std::string& path) { opened_.push_back("loose:" + path); };
    host.m_openPackagedDriver = [this](const std::string& name, std::vector<std::uint8_t> bytes) {
      opened_.push_back("packaged:" + name);
      openedBytes_ = std::move(bytes);
    };
    host.m_prompt = &prompt_;
    return host;
  }

  std::string dir_;
  std::vector<std::uint8_t> abc4_, vc9_;
  CVelmorPackageReader reader_;
  RecordingPrompt prompt_;
  int fileOpens_ = 0;
  bool browseLoads_ = false;
  std::vector<std::string> opened_;
  std::vector<std::uint8_t> openedBytes_;
};

TEST_F(MixedLibrary, ListsWhatThePackagesAndLooseDriversDescribe) {
  CDlgOpenDriver dlg(reader_, dir_, MakeHost());
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  EXPECT_EQ(dlg.GetScan().m_packages,
            (std::vector<std::string>{"cut.pkg", "garbage.pkg", "nosupport.pkg", "pack1.pkg", "pack2.PKG"}));

  // Keyed lists: merged in package order, a known key not taken twice, names
  // trimmed, "???" shown as "Other", loose names found without regard to
  // case or given synthetic keys.
  EXPECT_EQ(dlg.GetTypeItems(), (std::vector<Item>{{"DVD", 3}, {"Display", 10}, {"VCR", 4}, {"Projector", -1}}));
  EXPECT_EQ(dlg.GetManufacturerItems(), (std::vector<Item>{{"Sony", 235}, {"Other", 327}, {"Aiwa", 17}, {"Acme", -1}}));

  // Models: every model of the packages in list order, then the loose ones.
  EXPECT_EQ(Texts(dlg.GetModelItems()),
            (std::vector<std::string>{"DVP-1", "Screen", "DVP-2", "VC-9", "Loose-1", "P-1"}));
  const auto& models = dlg.GetModels().GetModels();
  std::vector<int> versions;
  for (const auto& instance : models[2].m_instances) versions.push_back(instance.m_version);
  EXPECT_EQ(versions, (std::vector<int>{1, 3, 7}));
  EXPECT_EQ(models[4].m_typeKey, 3);
  EXPECT_EQ(models[4].m_mfgKey, 235);
  EXPECT_EQ(models[4].m_instances.at(0).m_version, 3);
  EXPECT_EQ(models[4].m_instances.at(0).m_loosePath, dir_ + "/loose.vir");
  EXPECT_EQ(models[5].m_instances.at(0).m_version, 0);  // "x" is no number

  // Everything left out is said, with the file and the reason.
  std::vector<std::string> skipped;
  for (const auto& s : dlg.GetSkipped()) skipped.push_back(std::filesystem::path(s.m_path).filename().string() + ": " + s.m_reason);
  auto has = [&](const std::string& text) {
    return std::any_of(skipped.begin(), skipped.end(), [&](const std::string& s) { return s.find(text) == 0; });
  };
  EXPECT_TRUE(has("cut.pkg: irsupport.ini")) << ::testing::PrintToString(skipped);
  EXPECT_TRUE(has("garbage.pkg: irsupport.ini"));
  EXPECT_TRUE(has("nosupport.pkg: irsupport.ini"));
  EXPECT_TRUE(has("pack2.PKG: irsupport.ini [model_2]: Drvpkg is missing"));
  EXPECT_TRUE(has("pack2.PKG: irsupport.ini [model_3]: Version \"v2\" does not start with a digit"));
  EXPECT_TRUE(has("noname.vir: the driver does not name"));
  EXPECT_TRUE(has("notadriver.vir: not a driver"));
  EXPECT_EQ(skipped.size(), 7u) << ::testing::PrintToString(skipped);
}

TEST_F(MixedLibrary, SelectionsFilterModelsAndFillVersionsAndFields) {
  int changes = 0;
  CDlgOpenDriver dlg(reader_, dir_, MakeHost());
  dlg.SetChangeListener([&] { ++changes; });
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  EXPECT_GT(changes, 0);
  EXPECT_TRUE(dlg.IsModelListEnabled());

  dlg.SelectType(IndexOf(dlg.GetTypeItems(), "DVD"));
  EXPECT_EQ(Texts(dlg.GetModelItems()), (std::vector<std::string>{"DVP-1", "DVP-2", "Loose-1"}));
  dlg.SelectManufacturer(IndexOf(dlg.GetManufacturerItems(), "Other"));
  EXPECT_TRUE(dlg.GetModelItems().empty());
  EXPECT_FALSE(dlg.IsModelListEnabled());
  dlg.SelectManufacturer(IndexOf(dlg.GetManufacturerItems(), "Sony"));

  // A model with several versions: the list is shown and nothing is chosen
  // until a version is.
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "DVP-1"));
  EXPECT_TRUE(dlg.IsVersionListVisible());
  EXPECT_EQ(dlg.GetVersionItems(), (std::vector<Item>{{"1", 0}, {"4", 1}}));
  EXPECT_EQ(dlg.GetFilenameText(), "");
  EXPECT_EQ(dlg.OnOK(), CDlgOpenDriver::EndResult::kStayOpen);
  EXPECT_TRUE(opened_.empty());
  dlg.SelectVersion(1);
  EXPECT_EQ(dlg.GetFilenameText(), "ABC_4.vir");
  EXPECT_EQ(dlg.GetLocationText(), dir_ + "/pack1.pkg");

  // Changing the type empties the model selection, the versions and fields.
  dlg.SelectType(-1);
  EXPECT_EQ(dlg.GetModelSelection(), -1);
  EXPECT_FALSE(dlg.IsVersionListVisible());
  EXPECT_EQ(dlg.GetFilenameText(), "");

  // One version: no list, the fields show it at once; a loose driver shows
  // its own name and folder.
  dlg.SelectManufacturer(-1);
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "VC-9"));
  EXPECT_FALSE(dlg.IsVersionListVisible());
  EXPECT_EQ(dlg.GetFilenameText(), "VC9_2.vir");
  EXPECT_EQ(dlg.GetLocationText(), dir_ + "/pack2.PKG");
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "Loose-1"));
  EXPECT_EQ(dlg.GetFilenameText(), "loose.vir");
  EXPECT_EQ(dlg.GetLocationText(), dir_ + "/");
}

TEST_F(MixedLibrary, OkOpensTheDriverStraightOutOfItsPackage) {
  CDlgOpenDriver dlg(reader_, dir_, MakeHost());
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "DVP-1"));
  dlg.SelectVersion(IndexOf(dlg.GetVersionItems(), "4"));
  EXPECT_EQ(dlg.OnOK(), CDlgOpenDriver::EndResult::kOk);
  EXPECT_EQ(opened_, std::vector<std::string>{"packaged:ABC_4.vir"});
  EXPECT_EQ(openedBytes_, abc4_);

  // From the resource package, and a loose driver by its path.
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "VC-9"));
  EXPECT_EQ(dlg.OnOK(), CDlgOpenDriver::EndResult::kOk);
  EXPECT_EQ(openedBytes_, vc9_);
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "Loose-1"));
  EXPECT_EQ(dlg.OnOK(), CDlgOpenDriver::EndResult::kOk);
  EXPECT_EQ(opened_.back(), "loose:" + dir_ + "/loose.vir");

  // A listed driver missing from its package opens nothing and says so.
  dlg.SelectModel(IndexOf(dlg.GetModelItems(), "Screen"));
  EXPECT_EQ(dlg.OnOK(), CDlgOpenDriver::EndResult::kStayOpen);
  EXPECT_EQ(opened_.size(), 3u);
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], "The driver SCR_2.vir could not be read from the package " + dir_ + "/pack1.pkg.");
}

TEST_F(MixedLibrary, LoadsInSlicesAndOnAThreadAlike) {
  CDlgOpenDriver whole(reader_, dir_, MakeHost());
  whole.OnInitDialog();
  whole.LoadAll();

  CDlgOpenDriver sliced(reader_, dir_, MakeHost());
  sliced.OnInitDialog();
  EXPECT_EQ(sliced.GetLoadTotal(), 9u);
  EXPECT_FALSE(sliced.LoadStep(4));
  EXPECT_EQ(sliced.GetLoadDone(), 4u);
  EXPECT_TRUE(sliced.GetModelItems().empty());
  while (!sliced.LoadStep(2)) {
  }
  EXPECT_FALSE(sliced.IsLoading());
  EXPECT_EQ(sliced.GetModelItems(), whole.GetModelItems());

  CDlgOpenDriver threaded(reader_, dir_, MakeHost());
  threaded.OnInitDialog();
  std::atomic<bool> done{false};
  threaded.StartBackgroundLoad([&] { done = true; });
  threaded.FinishBackgroundLoad();  // joins the loading thread
  EXPECT_TRUE(done);
  EXPECT_EQ(threaded.GetModelItems(), whole.GetModelItems());
  EXPECT_EQ(threaded.GetManufacturerItems(), whole.GetManufacturerItems());

  // Cancel stops a load; the next opening loads afresh.
  threaded.OnInitDialog();
  threaded.StartBackgroundLoad(nullptr);
  EXPECT_EQ(threaded.OnCancel(), CDlgOpenDriver::EndResult::kCancel);
  EXPECT_FALSE(threaded.IsLoading());
  threaded.OnInitDialog();
  threaded.LoadAll();
  EXPECT_EQ(threaded.GetModelItems(), whole.GetModelItems());
}

TEST_F(MixedLibrary, TheFolderIsListedOnceAndThePackagesReadAtEveryOpening) {
  CDlgOpenDriver dlg(reader_, dir_, MakeHost());
  dlg.OnInitDialog();
  dlg.LoadAll();
  std::filesystem::remove(dir_ + "/loose.vir");
  WriteArchivePackage(dir_ + "/pack1.pkg",
                      {{"irsupport.ini", Bytes("[supported]\r\nNum=1\r\n" + ModelSection(0, 3, 235, "Only", "O", "1"))}});
  WriteArchivePackage(dir_ + "/zz-new.pkg",
                      {{"irsupport.ini", Bytes("[supported]\r\nNum=1\r\n" + ModelSection(0, 3, 235, "New", "N", "1"))}});
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  EXPECT_EQ(Texts(dlg.GetModelItems()), (std::vector<std::string>{"Only", "VC-9", "P-1"}));
}

TEST_F(MixedLibrary, BrowseClosesOnlyWhenADriverWasLoaded) {
  CDlgOpenDriver dlg(reader_, dir_, MakeHost());
  dlg.OnInitDialog();
  dlg.LoadAll();
  EXPECT_EQ(dlg.OnBrowse(), CDlgOpenDriver::EndResult::kStayOpen);
  browseLoads_ = true;
  EXPECT_EQ(dlg.OnBrowse(), CDlgOpenDriver::EndResult::kCancel);
  EXPECT_EQ(fileOpens_, 2);
}

TEST_F(MixedLibrary, OnlyLooseDriversStillMakeALibrary) {
  const std::string dir = NewFolder("loose-only");
  WriteFile(dir + "/a.VIR", DriverBytes("DVD", "Sony", "A-1", "2"));
  WriteFile(dir + "/b.vir", DriverBytes("VCR", "???", "B-1", "1"));
  WriteFile(dir + "/c.vir", DriverBytes("dvd", "Aiwa", "C-1", "1"));
  CDlgOpenDriver dlg(reader_, dir, MakeHost());
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  EXPECT_EQ(dlg.GetTypeItems(), (std::vector<Item>{{"DVD", -1}, {"VCR", -2}}));
  EXPECT_EQ(dlg.GetManufacturerItems(), (std::vector<Item>{{"Sony", -1}, {"Other", -2}, {"Aiwa", -3}}));
  dlg.SelectType(0);
  EXPECT_EQ(Texts(dlg.GetModelItems()), (std::vector<std::string>{"A-1", "C-1"}));
  EXPECT_EQ(fileOpens_, 0);
}

TEST_F(MixedLibrary, ASupportFileClaimingAbsurdSizeIsNotRead) {
  // A plain (level 0) resource package whose table claims 2 GiB for
  // irsupport.ini, its first member.
  const std::string dir = NewFolder("absurd");
  WriteResourcePackage(dir + "/huge.pkg", {{"irsupport.ini", Bytes("[supported]\r\nNum=0\r\n")}}, 0);
  auto bytes = ReadFile(dir + "/huge.pkg");
  auto le32 = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
  };
  const std::size_t user = le32(20), data = le32(24 + user), fat = 32 + user + data;
  ASSERT_LT(fat + 4, bytes.size());
  bytes[fat + 3] = 0x7F;
  WriteFile(dir + "/huge.pkg", bytes);
  CDlgOpenDriver dlg(reader_, dir, MakeHost());
  ASSERT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kLoading);
  dlg.LoadAll();
  ASSERT_EQ(dlg.GetSkipped().size(), 1u);
  EXPECT_NE(dlg.GetSkipped()[0].m_reason.find("more than a support file holds"), std::string::npos)
      << dlg.GetSkipped()[0].m_reason;
}

TEST_F(MixedLibrary, NoLibraryFallsBackToTheFileOpenCommandFromThenOn) {
  const std::string empty = NewFolder("empty");
  WriteFile(empty + "/notes.txt", Bytes("nothing here"));
  for (const std::string& folder : {empty, empty + "/missing", std::string()}) {
    fileOpens_ = 0;
    CDlgOpenDriver dlg(reader_, folder, MakeHost());
    EXPECT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kCancel) << folder;
    EXPECT_EQ(fileOpens_, 1);
    EXPECT_TRUE(dlg.FoundNoLibrary());
    // Drivers that appear later are not looked for again in this run.
    WriteFile(empty + "/late.vir", DriverBytes("DVD", "Sony", "Late", "1"));
    EXPECT_EQ(dlg.OnInitDialog(), CDlgOpenDriver::InitResult::kCancel);
    EXPECT_EQ(fileOpens_, 2);
    std::filesystem::remove(empty + "/late.vir");
  }
  EXPECT_FALSE(library::CDriverLibraryScan::CheckLibrary(empty));
  EXPECT_FALSE(library::CDriverLibraryScan::CheckLibrary(""));
  EXPECT_TRUE(library::CDriverLibraryScan::CheckLibrary(dir_));
  const std::string indexOnly = NewFolder("index-only");
  WriteFile(indexOnly + "/velmor.PKI", Bytes("x"));
  EXPECT_TRUE(library::CDriverLibraryScan::CheckLibrary(indexOnly));
}

}  // namespace
}  // namespace quillon
