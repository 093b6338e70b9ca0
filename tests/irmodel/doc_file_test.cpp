// The driver document's life cycle: new, open, save, the maintained header
// entries and the failures reported on loading and saving.
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "irmodel/CDriverDocText.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "tests/irmodel/doc_test_support.h"

namespace quillon {
namespace {

using doctest::MakeFunction;
using doctest::Names;
using doctest::ScriptedPrompt;
using doctest::TempFolder;
using Entry = TQVXIrHeaderEntry;

constexpr std::time_t kSavedAt = 1796679780;  // Mon, Dec 7, 2026, 09:43PM UTC

class DocFile : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    library_ = doctest::SmallLibrary();
    doc_ = std::make_unique<CDriverDoc>(prompt_, library_.get());
    doc_->SetClock([] { return kSavedAt; });
    doc_->SetAccessTests([this] { return advanced_; }, [this] { return supported_; });
  }

  static std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  // Writes DRIVER as a file the way the model stores it.
  static void WriteDriver(TQVXIr& driver, const std::string& path) {
    std::vector<std::uint8_t> image(static_cast<std::size_t>(driver.ComputeSize(true, TQVXIr::kNoStandardSlots)));
    TQVXIrSaveBuffer stream(image.data(), image.size());
    driver.Save(stream, TQVXIr::kNoStandardSlots);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                static_cast<std::streamsize>(image.size()));
  }

  static TQVXIr ReadDriver(const std::string& path) {
    const std::vector<std::uint8_t> bytes = Bytes(path);
    TQVXIr driver;
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
    return driver;
  }

  TempFolder folder_;
  ScriptedPrompt prompt_;
  std::unique_ptr<CCommandLibrary> library_;
  std::unique_ptr<CDriverDoc> doc_;
  bool advanced_ = false;
  bool supported_ = false;
};

TEST_F(DocFile, NewDocumentHeader) {
  int refreshed = 0;
  doc_->SetUpdateListener([&] { ++refreshed; });
  ASSERT_TRUE(doc_->OnNewDocument());
  const TQVXIrHeader& header = doc_->GetDriver().GetHeader();
  ASSERT_EQ(header.GetEntryCount(), 5);
  EXPECT_EQ(header.GetEntry(0)->GetTag(), Entry::kFlags);
  EXPECT_EQ(header.GetEntry(0)->GetDataLength(), 4);
  EXPECT_EQ(header.GetEntry(0)->GetFlagsWord(), 0u);
  EXPECT_STREQ(header.GetText(Entry::kProgramVersion), "1.0.0");
  EXPECT_STREQ(header.GetText(Entry::kFormatVersion), "1.00");
  EXPECT_STREQ(header.GetText(Entry::kSavedTime), "Mon, Dec 7, 2026, 09:43PM");
  EXPECT_STREQ(header.GetText(Entry::kDriverVersion), "1");
  EXPECT_EQ(doc_->GetDriver().GetFunctionCount(), 0);
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_EQ(refreshed, 1);
}

TEST_F(DocFile, SaveWritesMaintainedEntriesAndClearsFlags) {
  doc_->OnNewDocument();
  doc_->ChooseDeviceType("tiny");
  doc_->GetDriver().GetHeader().SetText(Entry::kProgramVersion, "0.0.1");
  doc_->GetDriver().GetFunction(1)->AddSubFunction(doctest::MakeSub(1736));
  doc_->GetDriver().GetFunction(1)->SetModified(true);
  ASSERT_TRUE(doc_->IsModified());
  const std::string path = folder_.File("Acme_Tiny.vir");
  ASSERT_TRUE(doc_->OnSaveDocument(path)) << (prompt_.boxes.empty() ? "" : prompt_.boxes[0].text);
  EXPECT_TRUE(prompt_.boxes.empty());
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_EQ(doc_->GetPathName(), path);
  for (const auto& function : doc_->GetDriver().Items()) EXPECT_EQ(function->GetFlags() & 3u, 0u);

  const TQVXIr saved = ReadDriver(path);
  EXPECT_STREQ(saved.GetHeader().GetText(Entry::kProgramVersion), "1.0.0");
  EXPECT_STREQ(saved.GetHeader().GetText(Entry::kFormatVersion), "1.00");
  EXPECT_STREQ(saved.GetHeader().GetText(Entry::kSavedTime), "Mon, Dec 7, 2026, 09:43PM");
  EXPECT_STREQ(saved.GetHeader().GetText(Entry::kFileName), "Acme_Tiny.vir");
  EXPECT_STREQ(saved.GetHeader().GetText(Entry::kDeviceType), "tiny");
  // Empty placeholders inside the command list are stored without names.
  EXPECT_EQ(Names(saved), (std::vector<std::string>{"*Empty*", "PLAY", "*Empty*"}));
}

TEST_F(DocFile, OpenAppliesCommandListAndAddsMissingEntries) {
  TQVXIr driver;
  driver.GetHeader().SetText(Entry::kDeviceType, "TINY");
  driver.Append(MakeFunction("EXTRA"));
  driver.Append(MakeFunction("stop"));
  const std::string path = folder_.File("in.vir");
  WriteDriver(driver, path);

  ASSERT_TRUE(doc_->OnOpenDocument(path));
  EXPECT_FALSE(doc_->LoadFailed());
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_EQ(doc_->GetFileLength(), Bytes(path).size());
  EXPECT_EQ(Names(doc_->GetDriver()), (std::vector<std::string>{"POWER", "PLAY", "stop", "EXTRA"}));
  EXPECT_STREQ(doc_->GetDriver().GetFileName(), path.c_str());
  const TQVXIrHeader& header = doc_->GetDriver().GetHeader();
  EXPECT_STREQ(header.GetText(Entry::kFormatVersion), "1.00");
  EXPECT_STREQ(header.GetText(Entry::kDriverVersion), "1");
  ASSERT_NE(header.FindEntry(Entry::kFlags), nullptr);
  EXPECT_EQ(header.FindEntry(Entry::kFlags)->GetDataLength(), 4);

  // The added flags entry is written by the next save.
  ASSERT_TRUE(doc_->OnSaveDocument(path));
  ASSERT_NE(ReadDriver(path).GetHeader().FindEntry(Entry::kFlags), nullptr);
}

TEST_F(DocFile, CorruptFileKeepsHeaderAndDropsFunctions) {
  TQVXIr driver;
  driver.Append(MakeFunction("A"));
  const std::string path = folder_.File("bad.vir");
  WriteDriver(driver, path);
  std::vector<std::uint8_t> bytes = Bytes(path);
  bytes[4] ^= 0x40;  // the slot-table marker no longer unscrambles to 0x12
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));

  ASSERT_TRUE(doc_->OnOpenDocument(path));
  EXPECT_TRUE(doc_->LoadFailed());
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Error loading " + path + "\nErrorID - 2\nCause: Corrupt File");
  EXPECT_EQ(prompt_.boxes[0].caption, "Error Loading File");
  EXPECT_EQ(doc_->GetDriver().GetFunctionCount(), 0);
  EXPECT_STREQ(doc_->GetDriver().GetHeader().GetText(Entry::kDriverVersion), "1");
}

TEST_F(DocFile, BytesFromADeviceOrPackageOpenLikeAFileWithoutOne) {
  TQVXIr driver;
  driver.GetHeader().SetText(Entry::kDeviceType, "TINY");
  driver.Append(MakeFunction("EXTRA"));
  const std::string path = folder_.File("in.vir");
  WriteDriver(driver, path);
  const std::vector<std::uint8_t> image = Bytes(path);

  doc_->OnOpenBytes(image, "12.vir");
  EXPECT_FALSE(doc_->LoadFailed());
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_TRUE(doc_->GetPathName().empty());
  EXPECT_EQ(doc_->GetFileLength(), image.size());
  EXPECT_EQ(Names(doc_->GetDriver()), (std::vector<std::string>{"POWER", "PLAY", "STOP", "EXTRA"}));
  EXPECT_STREQ(doc_->GetDriver().GetFileName(), "12.vir");
  EXPECT_NE(doc_->GetDriver().GetHeader().FindEntry(Entry::kFlags), nullptr);

  std::vector<std::uint8_t> damaged = image;
  damaged[4] ^= 0x40;
  doc_->OnOpenBytes(damaged, "ABC_4.vir");
  EXPECT_TRUE(doc_->LoadFailed());
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Error loading ABC_4.vir\nErrorID - 2\nCause: Corrupt File");
  EXPECT_EQ(doc_->GetDriver().GetFunctionCount(), 0);
}

TEST_F(DocFile, UnreadableFileIsNotOpened) {
  EXPECT_FALSE(doc_->OnOpenDocument(folder_.File("missing.vir")));
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Error loading " + folder_.File("missing.vir") + "\nErrorID - 3\nCause: Can't open file");
  EXPECT_FALSE(doc_->OnOpenDocument(folder_.Path().string()));  // a folder is no driver file
}

TEST_F(DocFile, SupportedMarkKeptOnlyInAdvancedModeWithTheCode) {
  doc_->OnNewDocument();
  doc_->GetDriver().Append(MakeFunction("A"));
  supported_ = true;
  doc_->SetVelmorFlag(true);
  ASSERT_TRUE(doc_->GetVelmorFlag());
  const std::string path = folder_.File("mark.vir");
  ASSERT_TRUE(doc_->OnSaveDocument(path));
  EXPECT_EQ(ReadDriver(path).GetHeader().FindEntry(Entry::kFlags)->GetFlagsWord(), 0u);
  EXPECT_FALSE(doc_->GetVelmorFlag());

  advanced_ = true;
  doc_->SetVelmorFlag(true);
  ASSERT_TRUE(doc_->OnSaveDocument(path));
  EXPECT_EQ(ReadDriver(path).GetHeader().FindEntry(Entry::kFlags)->GetFlagsWord(), 1u);
}

TEST_F(DocFile, ModelErrorOnSaveLeavesOldFile) {
  const std::string path = folder_.File("keep.vir");
  std::ofstream(path, std::ios::binary) << "old contents";
  doc_->OnNewDocument();
  // A header entry too long for its length byte cannot be written.
  doc_->GetDriver().GetHeader().SetText(Entry::kComments, std::string(254, 'c').c_str());
  EXPECT_FALSE(doc_->OnSaveDocument(path));
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Error saving " + path + "\nErrorID - 5\nCause: Runtime Error");
  EXPECT_EQ(prompt_.boxes[0].caption, "Error Saving File");
  const std::vector<std::uint8_t> kept = Bytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1);
}

TEST_F(DocFile, FileSystemFailuresLeaveOldFileAndNoTemporary) {
  const std::string path = folder_.File("keep.vir");
  std::ofstream(path, std::ios::binary) << "old contents";
  doc_->OnNewDocument();
  for (int i = 0; i < 20; ++i) doc_->GetDriver().Append(MakeFunction("F" + std::to_string(i)));

  // A full disk: the file-size limit stops the write part-way, as root too.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = doc_->OnSaveDocument(path);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved);
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Unexpected CFileException");
  EXPECT_EQ(prompt_.boxes[0].caption, "save error");
  // The box keeps its fixed text; the document also says what went wrong.
  EXPECT_EQ(doc_->GetLastError(), path + ": File too large");
  const std::vector<std::uint8_t> kept = Bytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1);

  // A folder that is a file: nothing can be created in it.
  std::ofstream(folder_.File("notafolder")) << "x";
  EXPECT_FALSE(doc_->OnSaveDocument(folder_.File("notafolder") + "/x.vir"));
  EXPECT_EQ(prompt_.boxes.back().text, "Unexpected CFileException");
  EXPECT_EQ(doc_->GetLastError(), folder_.File("notafolder") + "/x.vir: Not a directory");
  // A target that is a folder is not replaced.
  std::filesystem::create_directory(folder_.File("adir"));
  EXPECT_FALSE(doc_->OnSaveDocument(folder_.File("adir")));
  EXPECT_TRUE(std::filesystem::is_directory(folder_.File("adir")));
  EXPECT_NE(doc_->GetPathName(), folder_.File("adir"));
}

TEST_F(DocFile, ReplacedFileKeepsPermissions) {
  const std::string path = folder_.File("perm.vir");
  std::ofstream(path) << "old";
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  doc_->OnNewDocument();
  ASSERT_TRUE(doc_->OnSaveDocument(path));
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

TEST_F(DocFile, LongFileNameEntryKeepsTheLast250Characters) {
  doc_->OnNewDocument();
  const std::string name = std::string(236, 'a') + "_tail_of_name.vir";
  const std::string path = folder_.File(name);
  ASSERT_TRUE(doc_->OnSaveDocument(path));
  const std::string stored = ReadDriver(path).GetHeader().GetText(Entry::kFileName);
  EXPECT_EQ(stored, name.substr(name.size() - 250));
}

}  // namespace
}  // namespace quillon
