// Interchange files as the driver windows take them: tests/data's .ir file of
// corpus signals read and imported as one edit, every failure naming the file
// and the reason, export of a selection to each format, and the protocol
// codes a function list shows, decoded once per signal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/IPrompt.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "signals/TIrCodeCache.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrInterchangeFile.h"

namespace {

using namespace quillon;
using File = TIrInterchangeFile;

class SilentPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

const std::string kRemotes = std::string(QUILLON_TEST_DATA_DIR) + "/signals/remotes.ir";

class InterchangeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("quillon-ifile-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
    m_doc.OnNewDocument();
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  // The message of the error READ throws.
  template <typename Run>
  static std::string Failure(Run run) {
    try {
      run();
    } catch (const File::Error& e) {
      return e.what();
    }
    return "no error";
  }

  std::filesystem::path m_dir;
  SilentPrompt m_prompt;
  CDriverDoc m_doc{m_prompt};
};

TEST_F(InterchangeFile, FiltersComeFromTheFormats) {
  EXPECT_EQ(File::ImportFilter(),
            "IR interchange files (*.ir *.pronto *.txt *.conf *.raw);;IR signal files (*.ir);;"
            "Pronto Hex codes (*.pronto *.txt);;LIRC remote definitions (*.conf);;Raw timing text (*.raw);;"
            "All Files (*)");
  EXPECT_EQ(File::FormatOfFilter("LIRC remote definitions (*.conf)"), TIrFormat::Lirc);
  EXPECT_EQ(File::FormatOfFilter("All Files (*)"), std::nullopt);
  EXPECT_EQ(File::ExportPath("/x/codes", TIrFormat::Pronto), "/x/codes.pronto");
  EXPECT_EQ(File::ExportPath("/x/codes.ir", TIrFormat::Pronto), "/x/codes.ir");  // the name decides
  EXPECT_EQ(File::ExportPath("/x/tv.vir", TIrFormat::Raw), "/x/tv.vir.raw");
}

TEST_F(InterchangeFile, TheCorpusFileImportsAsOneEditWithItsNotes) {
  std::vector<CDriverEdit> edits;
  m_doc.SetEditRecorder([&edits](const CDriverEdit& edit) { edits.push_back(edit); });
  const File::Source source = File::Read(kRemotes);
  EXPECT_EQ(source.format, TIrFormat::Signals);
  ASSERT_EQ(source.parsed.entries.size(), 10u);
  const TIrInterchange::Outcome outcome = File::Import(m_doc, source);
  EXPECT_EQ(outcome.functions, 10);
  EXPECT_TRUE(outcome.warnings.empty());
  ASSERT_EQ(outcome.notes.size(), 1u);
  EXPECT_EQ(outcome.notes[0], "remotes.ir:46: \"POWER\": stored as \"POWER_0\" (a function of that name exists)");
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0].label, "Import remotes.ir");
  EXPECT_TRUE(m_doc.IsModified());
  EXPECT_EQ(File::ImportSummary(outcome, kRemotes), "10 functions imported from remotes.ir. 1 name changed.");
  const TQVXIrFunction* up = m_doc.GetDriver().FindFunction("Up");
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(TIrDecoder::DecodeFunction(*up), (TIrCode{"NEC", 62, 45}));
}

TEST_F(InterchangeFile, EveryFailureNamesTheFileAndTheReason) {
  EXPECT_EQ(Failure([&] { File::Read(Path("gone.ir")); }), Path("gone.ir") + ": No such file or directory");
  EXPECT_EQ(Failure([&] { File::Read(Write("tv.vir", "x")); }),
            Path("tv.vir") + ": a driver, not an interchange file (open it with File > Open)");
  const std::string codes = Write("codes.dat", "0000 006D 0002 0000 0157 00AC 0015 0689\n");
  EXPECT_EQ(Failure([&] { File::Read(codes); }),
            codes + ": not a file Quillon can import (.ir, .pronto, .txt, .conf or .raw)");
  // The filter chosen in the dialog says what a name does not.
  EXPECT_EQ(File::Read(codes, TIrFormat::Pronto).parsed.entries.size(), 1u);
  EXPECT_EQ(Failure([&] { File::Read(Write("bad.ir", "Filetype: IR signals file\nVersion: 1\nname: A\ntype: raw\n"
                                                        "frequency: 38000\ndata: 9000 x\n")); }),
            Path("bad.ir") + ":6: data: \"x\" is not a duration in microseconds (at most 10000000)");

  // Nothing usable at all: the error carries what was left out.
  const std::string unknown = Write("unknown.ir", "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\n"
                                                  "protocol: XYZ\naddress: 00 00 00 00\ncommand: 00 00 00 00\n");
  try {
    File::Read(unknown);
    ADD_FAILURE() << "no error";
  } catch (const File::Error& e) {
    EXPECT_EQ(std::string(e.what()), unknown + ": holds no IR signal that could be read");
    ASSERT_EQ(e.Details().size(), 1u);
    EXPECT_NE(e.Details()[0].find("unknown.ir:5: \"A\": unknown protocol"), std::string::npos) << e.Details()[0];
  }
}

TEST_F(InterchangeFile, ExportWritesTheSelectionInTheFormatItsNameTells) {
  File::Import(m_doc, File::Read(kRemotes));
  m_doc.GetDriver().GetHeader().SetText(TQVXIrHeaderEntry::kDeviceManufacturer, "Sony");
  EXPECT_EQ(File::RemoteName(m_doc.GetDriver(), "tv"), "Sony");
  const std::vector<int> chosen = {m_doc.GetDriver().IndexOfFunction("Up"),
                                   m_doc.GetDriver().IndexOfFunction("Fan_2")};
  for (const char* name : {"two.ir", "two.pronto", "two.conf", "two.raw"}) {
    SCOPED_TRACE(name);
    const TIrInterchange::Outcome outcome = File::Export(m_doc.GetDriver(), Path(name), chosen, "Sony");
    EXPECT_EQ(outcome.functions, 2);
    const File::Source back = File::Read(Path(name));
    ASSERT_EQ(back.parsed.entries.size(), 2u);
    EXPECT_EQ(File::ExportSummary(outcome, Path(name)).rfind(std::string("2 functions exported to ") + name + ".", 0),
              0u);
  }
  // The .ir file keeps the recognised function as its code.
  const File::Source ir = File::Read(Path("two.ir"));
  ASSERT_TRUE(ir.parsed.entries[0].code.has_value());
  EXPECT_EQ(ir.parsed.entries[0].code->protocol, "NEC");
  EXPECT_FALSE(ir.parsed.entries[1].code.has_value());

  // Failures: no format in the name, nothing to export, a folder that is not there.
  EXPECT_EQ(Failure([&] { File::Export(m_doc.GetDriver(), Path("two.vir"), chosen, ""); }),
            Path("two.vir") + ": not a file Quillon can export to (.ir, .pronto, .txt, .conf or .raw)");
  CDriverDoc empty(m_prompt);
  empty.OnNewDocument();
  EXPECT_EQ(Failure([&] { File::Export(empty.GetDriver(), Path("none.ir"), {}, ""); }),
            Path("none.ir") + ": no function with IR data to export");
  EXPECT_FALSE(std::filesystem::exists(Path("none.ir")));
  EXPECT_EQ(Failure([&] { File::Export(m_doc.GetDriver(), Path("no/such/all.ir"), {}, ""); }).rfind(
                Path("no/such/all.ir") + ": ", 0),
            0u);
}

TEST_F(InterchangeFile, ProtocolCodesAreDecodedOncePerSignal) {
  File::Import(m_doc, File::Read(kRemotes));
  const TQVXIr& driver = m_doc.GetDriver();
  TIrCodeCache cache;
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < driver.GetFunctionCount(); ++i)
      EXPECT_EQ(cache.Of(*driver.GetFunction(i)), TIrDecoder::DecodeFunction(*driver.GetFunction(i)));
  }
  EXPECT_EQ(cache.Decodes(), 10u);
  // A copy of a function hits the cache; changed data is decoded afresh.
  TQVXIrFunction copy(*driver.FindFunction("Up"));
  EXPECT_EQ(cache.Of(copy).protocol, "NEC");
  EXPECT_EQ(cache.Decodes(), 10u);
  copy.GetSubFunction(0)->SetDivider(static_cast<std::uint16_t>(copy.GetSubFunction(0)->GetDivider() * 2));
  cache.Of(copy);
  EXPECT_EQ(cache.Decodes(), 11u);
  TQVXIrFunction placeholder;
  EXPECT_FALSE(cache.Of(placeholder).Known());
}

}  // namespace
