// quillon-cli's driver commands keep the command-line conventions: outputs
// are not replaced without --force, a symbolic link to a driver stays a link,
// values out of range and unknown names fail with exit status 1 and a message
// naming the file and the reason, import messages fail unless --lenient,
// "-" is standard input and output, and listings say what they left out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "tests/support/CliRun.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testsupport::CliResult;
using testsupport::Quote;
using testsupport::ReadWhole;
using testsupport::WriteWhole;

class CliConventions : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!cli_.Available()) GTEST_SKIP() << "quillon-cli is not built";
  }
  CliResult Run(const std::string& args, const std::string& input = "") { return cli_.Run(args, input); }
  std::string P(const std::string& name) const { return cli_.Path(name); }

  TQVXIr Load(const std::string& path) {
    const std::string bytes = ReadWhole(path);
    TQVXIr driver;
    TQVXIrLoadBuffer in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    driver.Load(in);
    return driver;
  }

  testsupport::CliRunner cli_{QUILLON_BINARY_DIR "/tools/cli/quillon-cli"};
};

TEST_F(CliConventions, OutputsAreReplacedOnlyWithForceAndALinkedDriverStaysALink) {
  ASSERT_EQ(Run("driver new tv.vir --type DVD").status, 0);
  const std::string learned = ReadWhole(P("tv.vir"));
  CliResult again = Run("driver new tv.vir --type VCR");
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "quillon-cli: tv.vir: file exists (use --force to replace it)\n");
  EXPECT_EQ(ReadWhole(P("tv.vir")), learned);
  EXPECT_EQ(Run("driver new tv.vir --type VCR --force").status, 0);
  EXPECT_NE(ReadWhole(P("tv.vir")), learned);

  ASSERT_EQ(Run("driver export tv.vir tv.ini").status, 0);
  EXPECT_EQ(Run("driver export tv.vir tv.ini").status, 1);
  EXPECT_EQ(Run("driver import tv.ini tv.vir").status, 1);
  EXPECT_EQ(Run("driver copy tv.vir block.bin").status, 0);
  EXPECT_EQ(Run("driver copy tv.vir block.bin").status, 1);
  EXPECT_EQ(Run("driver rename tv.vir PLAY PLAY2 -o tv.vir.copy").status, 0);
  EXPECT_EQ(Run("driver rename tv.vir PLAY PLAY3 -o tv.vir.copy").status, 1);
  EXPECT_EQ(Run("config write-defaults conf").status, 0);
  CliResult defaults = Run("config write-defaults conf");
  EXPECT_EQ(defaults.status, 1);
  EXPECT_NE(defaults.err.find("irfunctions.ini: file exists (use --force"), std::string::npos) << defaults.err;
  EXPECT_EQ(Run("config write-defaults conf --force").status, 0);

  // A driver kept elsewhere and linked into place is edited through the
  // link, which stays a link; no temporary file is left behind.
  fs::create_directory(P("store"));
  fs::rename(P("tv.vir"), P("store/real.vir"));
  fs::create_symlink("store/real.vir", P("tv.vir"));
  ASSERT_EQ(Run("driver add tv.vir EXTRA").status, 0);
  EXPECT_TRUE(fs::is_symlink(P("tv.vir")));
  EXPECT_NE(Load(P("store/real.vir")).FindFunction("EXTRA"), nullptr);
  EXPECT_EQ(std::distance(fs::directory_iterator(P("store")), fs::directory_iterator()), 1);

  // A folder that cannot be written is refused before anything is done,
  // with the system's reason.
  fs::create_directory(P("locked"));
  ::chmod(P("locked").c_str(), 0500);
  if (::access(P("locked").c_str(), W_OK) != 0) {  // root may write anyway
    CliResult locked = Run("driver new locked/new.vir --type DVD");
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.err, "quillon-cli: locked/new.vir: Permission denied\n");
  }
  ::chmod(P("locked").c_str(), 0700);
}

TEST_F(CliConventions, BadValuesAndNamesFailNamingWhatIsWrong) {
  ASSERT_EQ(Run("driver new tv.vir --type DVD").status, 0);
  const std::string before = ReadWhole(P("tv.vir"));
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {"driver set-repeat tv.vir abc", "quillon-cli: COUNT: 'abc' is not a number\n"},
      {"driver set-repeat tv.vir 16", "quillon-cli: COUNT: 16 is not in 0..15\n"},
      {"driver set-header tv.vir --version 300", "quillon-cli: --version: 300 is not in 1..255\n"},
      {"driver rename tv.vir PLAY POWER", "quillon-cli: tv.vir: a function named POWER exists already\n"},
      {"driver add tv.vir power", "quillon-cli: tv.vir: a function named power exists already\n"},
      {"driver delete tv.vir NOSUCH", "quillon-cli: tv.vir: no function named NOSUCH\n"},
      {"driver show missing.vir", "quillon-cli: missing.vir: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.err, c.message) << c.args;
  }
  EXPECT_EQ(ReadWhole(P("tv.vir")), before);

  const CliResult type = Run("driver new other.vir --type TV");
  EXPECT_EQ(type.status, 1);
  EXPECT_NE(type.err.find("--type: unknown device type 'TV' (did you mean Tv Tuner?); known types: "), std::string::npos)
      << type.err;
  EXPECT_NE(type.err.find("DVD"), std::string::npos);
  EXPECT_FALSE(fs::exists(P("other.vir")));

  // --lenient takes what the header pane would: the clamped value.
  EXPECT_EQ(Run("driver set-header tv.vir --version 300 --lenient").status, 0);
  EXPECT_NE(Run("driver show tv.vir").out.find("driver_version (0x84): 255"), std::string::npos);
  const CliResult twice = Run("driver add tv.vir X1 x1");
  EXPECT_EQ(twice.status, 2);
}

TEST_F(CliConventions, ImportMessagesFailUnlessLenientAndEveryWrittenDriverOpens) {
  WriteWhole(P("hand.ini"),
             "[HEADER]\nfunction_count=2\n[function_0]\nfunction_name=POWER\nsub0_divider=1736\n"
             "sub0_times=0x10,0x20\nsub0_body_selectors=0x01\n[function_1]\nfunction_name=PLAY\n"
             "sub0_divider=1736\nsub0_times=;;\nsub0_body_selectors=0x01\n");
  const CliResult strict = Run("driver import hand.ini hand.vir");
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err.substr(0, strict.err.find('\n') + 1), "sub of fcn 1: Bad Time Information\n");
  EXPECT_NE(strict.err.find("quillon-cli: hand.ini: 2 import messages; hand.vir was written but may not be usable"),
            std::string::npos)
      << strict.err;
  // The result is written all the same, and it opens: the sub-function
  // without time values was left out (and PLAY, left empty, is a slot).
  const TQVXIr imported = Load(P("hand.vir"));
  ASSERT_EQ(imported.GetFunctionCount(), 2);
  EXPECT_EQ(imported.GetFunction(1)->GetSubFunctionCount(), 0);
  EXPECT_EQ(imported.FindFunction("POWER")->GetSubFunctionCount(), 1);

  EXPECT_EQ(Run("driver import hand.ini hand.vir --force --lenient").status, 0);
  EXPECT_EQ(Run("driver import no-such.ini x.vir").err, "quillon-cli: no-such.ini: No such file or directory\n");
}

TEST_F(CliConventions, DashIsStandardInputAndOutputAndFunctionsDoesNotTakeTheNextArgument) {
  ASSERT_EQ(Run("driver new tv.vir --type DVD").status, 0);
  const std::string image = ReadWhole(P("tv.vir"));
  const CliResult shown = Run("driver show - --json", image);
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out.rfind("{\"kind\":0,", 0), 0u);
  const CliResult built = Run("driver build - - --standard-slots 52", shown.out);
  ASSERT_EQ(built.status, 0) << built.err;
  EXPECT_EQ(Run("driver show - --json", built.out).out, shown.out);

  // --functions takes one argument: the output file after it stays a file.
  ASSERT_EQ(Run("driver add tv.vir EXTRA").status, 0);
  const CliResult exported = Run("driver export tv.vir --functions EXTRA out.ini");
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(ReadWhole(P("out.ini")).find("function_name=EXTRA"), std::string::npos);

  const CliResult lz = Run("lzss encode - -", std::string(100, 'q'));
  ASSERT_EQ(lz.status, 0);
  EXPECT_EQ(Run("lzss decode - -", lz.out).out, std::string(100, 'q'));
  const CliResult folder = Run("lzss encode " + Quote(cli_.Dir()) + " x.lz");
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "quillon-cli: " + cli_.Dir() + ": Is a directory\n");
}

TEST_F(CliConventions, ShowLeavesEmptySlotsOutAndMergeFillsThemWithASummary) {
  ASSERT_EQ(Run("driver new source.vir --type OTHER").status, 0);
  ASSERT_EQ(Run("driver add source.vir POWER PLAY MYKEY").status, 0);
  // Give POWER, PLAY and MYKEY signals through the JSON form.
  std::string json = Run("driver show source.vir --json").out;
  const std::string sub =
      "[{\"flags\":1,\"divider\":1736,\"times\":[16,32],\"header_selectors\":[1],\"body_selectors\":[16]}]";
  for (const std::string name : {"POWER", "PLAY", "MYKEY"}) {
    const std::string key = "\"name\":\"" + name + "\",\"subfunctions\":[]";
    json.replace(json.find(key), key.size(), "\"name\":\"" + name + "\",\"subfunctions\":" + sub);
  }
  ASSERT_EQ(Run("driver build - source.vir --force", json).status, 0);

  ASSERT_EQ(Run("driver new dvd.vir --type DVD").status, 0);
  const CliResult listing = Run("driver show dvd.vir");
  EXPECT_NE(listing.out.find("Functions: 52, 0 with signals (52 empty slots not shown; --all lists them)\n"),
            std::string::npos)
      << listing.out;
  EXPECT_EQ(listing.out.find("(empty)"), std::string::npos);
  EXPECT_NE(Run("driver show dvd.vir --all").out.find("  51. *Empty* (empty)\n"), std::string::npos);

  // The new DVD driver has empty slots named POWER and PLAY: they are
  // filled in place, MYKEY is added, nothing is skipped.
  const CliResult merged = Run("driver merge dvd.vir source.vir");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, "1 added (MYKEY), 2 filled empty slots (POWER, PLAY)\n");
  const TQVXIr dvd = Load(P("dvd.vir"));
  EXPECT_EQ(dvd.IndexOfFunction("POWER"), 0);
  EXPECT_EQ(dvd.FindFunction("POWER")->GetSubFunctionCount(), 1);
  EXPECT_EQ(dvd.FindFunction("PLAY")->GetSubFunctionCount(), 1);
  EXPECT_EQ(dvd.GetFunctionCount(), 53);

  const CliResult again = Run("driver merge dvd.vir source.vir");
  EXPECT_EQ(again.out, "3 skipped (POWER, PLAY, MYKEY)\n");
  EXPECT_EQ(Run("driver merge dvd.vir source.vir --on-conflict rename-new").out,
            "3 renamed (POWER -> NewPOWER, PLAY -> NewPLAY, MYKEY -> NewMYKEY)\n");
}

}  // namespace
}  // namespace quillon
