// quillon-cli's signal commands as a user runs them: convert between .ir,
// drivers, Pronto, LIRC and raw text, decode and render functions, and the
// exit statuses and one-line messages of bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

const std::string kIr =
    "Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00 00\n"
    "command: 08 00 00 00\n#\nname: Mute\ntype: parsed\nprotocol: RC5\naddress: 00 00 00 00\ncommand: 0D 00 00 00\n"
    "#\nname: Sound Effect\ntype: raw\nfrequency: 38000\nduty_cycle: 0.330000\n"
    "data: 2000 1000 500 500 500 1500 500 500 500 1500 500\n";

class SignalCli : public testing::Test {
 protected:
  void SetUp() override {
    m_cli = fs::path(QUILLON_BINARY_DIR) / "tools" / "cli" / "quillon-cli";
    if (!fs::exists(m_cli)) GTEST_SKIP() << "quillon-cli not built";
    m_dir = fs::temp_directory_path() / ("quillon-signal-cli-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    Write("tv.ir", kIr);
  }
  void TearDown() override {
    if (!m_dir.empty()) fs::remove_all(m_dir);
  }

  CliRun Cli(const std::string& args, const std::string& input = "/dev/null") {
    const std::string err = (m_dir / "stderr").string();
    const std::string command = "cd '" + m_dir.string() +
                                "' && QUILLON_MACHINE_REGISTRY=machine.ini QUILLON_USER_REGISTRY=user.ini timeout 60 '" +
                                m_cli.string() + "' " + args + " <" + input + " 2>'" + err + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = Read("stderr");
    return run;
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(m_dir / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(m_dir / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& name) { return fs::exists(m_dir / name); }

  fs::path m_cli;
  fs::path m_dir;
};

TEST_F(SignalCli, IrFileBecomesADriverThatDecodesAndRenders) {
  const CliRun made = Cli("signal convert tv.ir tv.vir");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err, "");
  const CliRun decoded = Cli("signal decode tv.vir --json");
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(nlohmann::json::parse(decoded.out),
            nlohmann::json::parse(R"([{"function":"Power","protocol":"NEC","address":4,"command":8},
                                      {"function":"Mute","protocol":"RC5","address":0,"command":13},
                                      {"function":"Sound Effect","protocol":"unknown","address":null,"command":null}])"));
  const CliRun one = Cli("signal decode tv.vir --function mute");
  EXPECT_EQ(one.out, "Mute: RC5 address 0 command 13\n");

  const CliRun rendered = Cli("signal render tv.vir --function 'Sound Effect' --json");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  const auto j = nlohmann::json::parse(rendered.out);
  EXPECT_EQ(j["carrier_hz"], 37996);
  const auto durations = j["durations_us"].get<std::vector<uint32_t>>();
  ASSERT_EQ(durations.size(), 12u);
  for (std::size_t i = 0; i < 11; ++i) {
    const double want = std::vector<double>{2000, 1000, 500, 500, 500, 1500, 500, 500, 500, 1500, 500}[i];
    EXPECT_NEAR(durations[i], want, want * 0.1) << i;
  }
  const CliRun text = Cli("signal render tv.vir --function Power");
  EXPECT_EQ(text.out.rfind("# Raw IR signals", 0), 0u);
  EXPECT_NE(text.out.find("name: Power\ncarrier: 37996\n+900"), std::string::npos) << text.out;
}

TEST_F(SignalCli, DriverExportsToEveryFormatAndBack) {
  ASSERT_EQ(Cli("signal convert tv.ir tv.vir").status, 0);
  const CliRun ir = Cli("signal convert tv.vir out.ir");
  ASSERT_EQ(ir.status, 0) << ir.err;
  EXPECT_NE(Read("out.ir").find("name: Power\ntype: parsed\nprotocol: NEC\naddress: 04 00 00 00\n"), std::string::npos);
  EXPECT_NE(Read("out.ir").find("name: Sound Effect\ntype: raw\n"), std::string::npos);
  ASSERT_EQ(Cli("signal convert tv.vir raw.ir --raw").status, 0);
  EXPECT_EQ(Read("raw.ir").find("type: parsed"), std::string::npos);
  for (const char* out : {"out.pronto", "out.txt", "lircd.conf", "out.raw"}) {
    const CliRun run = Cli(std::string("signal convert tv.vir ") + out);
    ASSERT_EQ(run.status, 0) << out << ": " << run.err;
    const CliRun back = Cli(std::string("signal convert ") + out + " back.vir --force");
    ASSERT_EQ(back.status, 0) << out << ": " << back.err;
    // LIRC names cannot hold blanks.
    if (std::string(out) == "lircd.conf") {
      EXPECT_NE(run.err.find("\"Sound_Effect\""), std::string::npos) << run.err;
    }
    EXPECT_NE(Cli("signal decode back.vir").out.find(": NEC address 4 command 8\n"), std::string::npos) << out;
  }
}

TEST_F(SignalCli, StandardInputAndOutput) {
  const CliRun run = Cli("signal convert - - --from ir --to pronto", (m_dir / "tv.ir").string());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Power\n0000 006D 0022 0002 ", 0), 0u) << run.out;
  const CliRun noFormat = Cli("signal convert - out.ir", (m_dir / "tv.ir").string());
  EXPECT_EQ(noFormat.status, 2);
  EXPECT_NE(noFormat.err.find("give --from"), std::string::npos);
}

TEST_F(SignalCli, ReplacesAnExistingOutputOnlyWithForce) {
  Write("tv.vir", "keep me");
  const CliRun refused = Cli("signal convert tv.ir tv.vir");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "quillon-cli: tv.vir: file exists (use --force to replace it)\n");
  EXPECT_EQ(Read("tv.vir"), "keep me");
  EXPECT_EQ(Cli("signal convert tv.ir tv.vir --force").status, 0);
  EXPECT_NE(Read("tv.vir"), "keep me");
}

TEST_F(SignalCli, BadInputNamesFileAndLine) {
  Write("bad.ir", "Filetype: IR signals file\nVersion: 1\nname: X\ntype: raw\nfrequency: 38000\ndata: 100 x 100\n");
  const CliRun bad = Cli("signal convert bad.ir out.vir");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "quillon-cli: bad.ir:6: data: \"x\" is not a duration in microseconds (at most 10000000)\n");
  EXPECT_FALSE(Exists("out.vir"));
  EXPECT_EQ(Cli("signal convert tv.ir out.csv").status, 2);
  EXPECT_EQ(Cli("signal convert tv.ir out.ir --type TV").status, 2);
  EXPECT_EQ(Cli("signal convert tv.ir out.vir --kind sony").status, 2);
  const CliRun missing = Cli("signal decode nothing.vir");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nothing.vir"), std::string::npos);
}

TEST_F(SignalCli, LeftOutSignalsFailUnlessLenientButTheRestIsWritten) {
  Write("mixed.ir", kIr + "#\nname: Odd\ntype: parsed\nprotocol: Teletext\naddress: 00 00 00 00\ncommand: 00 00 00 00\n");
  const CliRun strict = Cli("signal convert mixed.ir a.vir");
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("mixed.ir:24: \"Odd\": unknown protocol \"Teletext\"; entry skipped\n"), std::string::npos)
      << strict.err;
  EXPECT_TRUE(Exists("a.vir"));
  EXPECT_EQ(Cli("signal convert mixed.ir b.vir --lenient").status, 0);
}

TEST_F(SignalCli, DeviceTypeLaysTheDriverOut) {
  const CliRun run = Cli("signal convert tv.ir tv.vir --type tv");
  ASSERT_EQ(run.status, 0) << run.err;
  const CliRun shown = Cli("driver show tv.vir --json");
  EXPECT_NE(shown.out.find("{\"tag\":131,\"text\":\"TV\"}"), std::string::npos) << shown.out;
}

}  // namespace
