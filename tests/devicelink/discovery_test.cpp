// Device discovery: the ask datagram, answer parsing, and the finder's
// listener against discovery answerers on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "app/CMemINI.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CQVXIrFinder.h"
#include "platform/UdpSocket.h"
#include "tools/emulator/DiscoveryResponder.h"

// The answerer is part of the emulator program; the tests run it in-process.
#include "tools/emulator/DiscoveryResponder.cpp"

namespace quillon {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;

TEST(DiscoveryAsk, IsThirtySevenBytesByteForByte) {
  const auto ask = CQVXIrFinder::BuildAsk("");
  const std::string expected = std::string("UDPC\xFF\xFF\xFF\xFF", 8) + std::string(12, ' ') + " " +
                               "\x1B" "BC\r" "\x1B" "CG\r" "\x1B" "CS\r" "\x1B" "CN\r";
  ASSERT_EQ(expected.size(), 37u);
  EXPECT_EQ(std::string(ask.begin(), ask.end()), expected);

  const auto filtered = CQVXIrFinder::BuildAsk("71-2204");
  EXPECT_EQ(std::string(filtered.begin() + 8, filtered.begin() + 20), std::string("71-2204\0\0\0\0\0", 12));
  EXPECT_EQ(filtered[20], ' ');
  const auto cut = CQVXIrFinder::BuildAsk("ABCDEFGHIJKLMNOP");
  EXPECT_EQ(std::string(cut.begin() + 8, cut.begin() + 21), "ABCDEFGHIJKL ");
}

TEST(DiscoveryAnswer, MissingTextsAreEmpty) {
  const std::string full("71-2204-01\0" "2.10\0" "Lab\0", 20);
  auto d = CQVXDatagram::FromAnswer(reinterpret_cast<const uint8_t*>(full.data()), full.size(), 0xC0A80105, 77);
  EXPECT_EQ(d.m_PartNumber, "71-2204-01");
  EXPECT_EQ(d.m_Firmware, "2.10");
  EXPECT_EQ(d.m_Name, "Lab");
  EXPECT_EQ(d.m_TimeReceived, 77u);
  EXPECT_EQ(d.FormatAddress(), "192.168.1.5");

  const std::string partOnly("71-2204-01\0", 11);
  auto p = CQVXDatagram::FromAnswer(reinterpret_cast<const uint8_t*>(partOnly.data()), partOnly.size(), 1, 0);
  EXPECT_EQ(p.m_PartNumber, "71-2204-01");
  EXPECT_EQ(p.m_Firmware, "");
  EXPECT_EQ(p.m_Name, "");

  // Texts end at the datagram's end even without their terminator.
  const std::string unterminated("71-1\0" "fw", 7);
  auto u = CQVXDatagram::FromAnswer(reinterpret_cast<const uint8_t*>(unterminated.data()), unterminated.size(), 1, 0);
  EXPECT_EQ(u.m_Firmware, "fw");
  EXPECT_EQ(u.m_Name, "");
  auto none = CQVXDatagram::FromAnswer(nullptr, 0, 1, 0);
  EXPECT_EQ(none.m_PartNumber, "");

  CQVXDatagram other = d;
  other.m_Firmware = "9.9";
  other.m_TimeReceived = 1;
  EXPECT_TRUE(d.IsSameDevice(other));
  other.m_Name = "lab";
  EXPECT_FALSE(d.IsSameDevice(other));
}

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    CMemINI ini;
    ini.LoadBuffer(
        "[supported_learners]\nlearner_count=2\nlearner0=Learner\nlearner1=Switch\n"
        "[Learner]\npartnumber=71-2204-01\nlearntype=QVX\nfirstPort=1\nlastPort=4\n"
        "[Switch]\npartnumber=71-500-01\nfirstPort=1\nlastPort=2\n");
    types.Load(ini);
    finder = std::make_unique<CQVXIrFinder>(&types);
    finder->SetPorts(0, 0);
    ASSERT_EQ(finder->Start(), 1);
    ASSERT_NE(finder->GetListenPort(), 0);
  }

  // Starts an answerer on a free loopback port that answers the finder.
  DiscoveryResponder& Answerer(const std::string& part, const std::string& name, int answers = 1) {
    responders.push_back(std::make_unique<DiscoveryResponder>());
    DiscoveryResponder::Options options;
    options.partNumber = part;
    options.firmware = "3.01";
    options.name = name;
    options.askPort = 0;
    options.answerPort = finder->GetListenPort();
    options.bindAddress = kLoopback;
    options.answerCount = answers;
    EXPECT_TRUE(responders.back()->Start(options)) << responders.back()->LastError();
    return *responders.back();
  }

  void Ask(const DiscoveryResponder& responder) {
    finder->SetPorts(responder.AskPort(), 0);
    ASSERT_EQ(finder->SendAsk("127.0.0.1"), 1);
  }

  // Waits (at most a second) until the finder holds COUNT records.
  std::vector<CQVXDatagram> WaitFor(size_t count) {
    std::vector<CQVXDatagram> records;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < end) {
      finder->CopyRecords(records);
      if (records.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return records;
  }

  void SendRaw(const std::string& bytes) {
    UdpSocket socket;
    ASSERT_TRUE(socket.Open());
    ASSERT_TRUE(socket.SendTo(kLoopback, finder->GetListenPort(), bytes.data(), bytes.size()));
  }

  CQVXDeviceTypeList types;
  std::vector<std::unique_ptr<DiscoveryResponder>> responders;
  std::unique_ptr<CQVXIrFinder> finder;
};

TEST_F(Discovery, FindsAnAnswererOnceHoweverOftenItAnswers) {
  DiscoveryResponder& responder = Answerer("71-2204-01", "Rack", 5);
  const auto start = std::chrono::steady_clock::now();
  Ask(responder);
  auto records = WaitFor(1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].m_PartNumber, "71-2204-01");
  EXPECT_EQ(records[0].m_Firmware, "3.01");
  EXPECT_EQ(records[0].m_Name, "Rack");
  EXPECT_EQ(records[0].FormatAddress(), "127.0.0.1");

  Ask(responder);
  Ask(responder);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (responder.AsksAnswered() < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(finder->CopyRecords(records), 1);
  std::string context;
  EXPECT_EQ(finder->GetLastError(&context), 0) << context;
}

TEST_F(Discovery, RenewsTimeAndTellsDevicesApartByName) {
  uint32_t now = 1000;
  std::mutex clockLock;
  finder->SetClock([&] {
    std::lock_guard<std::mutex> guard(clockLock);
    return now;
  });
  SendRaw(std::string("71-2204-01\0" "1.0\0" "Rack\0", 21));
  ASSERT_EQ(WaitFor(1).size(), 1u);
  {
    std::lock_guard<std::mutex> guard(clockLock);
    now = 2000;
  }
  SendRaw(std::string("71-2204-01\0" "1.1\0" "Rack\0", 21));
  SendRaw(std::string("71-2204-01\0" "1.0\0" "Desk\0", 21));
  auto records = WaitFor(2);
  ASSERT_EQ(records.size(), 2u);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  finder->CopyRecords(records);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].m_Name, "Rack");
  EXPECT_EQ(records[0].m_TimeReceived, 2000u);
  EXPECT_EQ(records[0].m_Firmware, "1.0");  // only the time is renewed
  EXPECT_EQ(records[1].m_Name, "Desk");
}

TEST_F(Discovery, UnknownPartNumbersAreDroppedAndMissingTextsKept) {
  SendRaw(std::string("99-999-99\0" "1.0\0" "Stranger\0", 23));
  SendRaw(std::string("", 0));
  SendRaw(std::string("71-500-01", 9));  // known, not a learner, no further texts
  auto records = WaitFor(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  finder->CopyRecords(records);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].m_PartNumber, "71-500-01");
  EXPECT_EQ(records[0].m_Firmware, "");
  EXPECT_EQ(records[0].m_Name, "");
  EXPECT_TRUE(finder->IsRunning());
}

TEST_F(Discovery, RecordsSurviveRestartUntilCleared) {
  SendRaw(std::string("71-2204-01\0" "1.0\0" "Rack\0", 21));
  ASSERT_EQ(WaitFor(1).size(), 1u);
  finder->Stop();
  EXPECT_FALSE(finder->IsRunning());
  EXPECT_EQ(finder->GetListenPort(), 0);
  std::vector<CQVXDatagram> records;
  EXPECT_EQ(finder->CopyRecords(records), 1);
  ASSERT_EQ(finder->Start(), 1);
  EXPECT_EQ(finder->Start(), 1);  // already running
  EXPECT_EQ(finder->CopyRecords(records), 1);
  finder->ClearRecords();
  EXPECT_EQ(finder->CopyRecords(records), 0);
}

TEST_F(Discovery, AnswererHonoursTheFilter) {
  DiscoveryResponder& responder = Answerer("71-2204-01", "Rack");
  finder->SetPorts(responder.AskPort(), 0);
  ASSERT_EQ(finder->SendAsk("127.0.0.1", "72-"), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::vector<CQVXDatagram> records;
  EXPECT_EQ(finder->CopyRecords(records), 0);
  ASSERT_EQ(finder->SendAsk("127.0.0.1", "71-2204"), 1);
  EXPECT_EQ(WaitFor(1).size(), 1u);
}

// The emulator program answering on loopback, started for one test.
class EmulatorProcess {
 public:
  // Starts qvx-emulator with ARGS and waits for its "DISCOVERY <port>" line.
  bool Start(const std::vector<std::string>& args) {
    const std::string path = std::string(QUILLON_BINARY_DIR) + "/tools/emulator/qvx-emulator";
    if (!std::filesystem::exists(path)) return false;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(pipeFds[1], 1);
      ::close(pipeFds[0]);
      ::close(pipeFds[1]);
      ::execv(path.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (m_pid < 0) {
      ::close(pipeFds[0]);
      return false;
    }
    m_out = ::fdopen(pipeFds[0], "r");
    char line[256];
    while (m_out && std::fgets(line, sizeof line, m_out)) {
      unsigned port = 0;
      if (std::sscanf(line, "DISCOVERY %u", &port) == 1) m_askPort = static_cast<uint16_t>(port);
      if (std::string(line).rfind("READY", 0) == 0) break;
    }
    return m_askPort != 0;
  }
  ~EmulatorProcess() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      ::waitpid(m_pid, nullptr, 0);
    }
    if (m_out) std::fclose(m_out);
  }
  uint16_t AskPort() const { return m_askPort; }

 private:
  pid_t m_pid = -1;
  FILE* m_out = nullptr;
  uint16_t m_askPort = 0;
};

TEST(DiscoveryEmulator, FoundOnLoopbackWithinASecond) {
  CMemINI ini;
  ini.LoadBuffer(
      "[supported_learners]\nlearner_count=1\nlearner0=Bench\n"
      "[Bench]\npartnumber=71-4444-01\nlearntype=QVX\nfirstPort=1\nlastPort=2\n");
  CQVXDeviceTypeList types;
  types.Load(ini);
  CQVXIrFinder finder(&types);
  finder.SetPorts(0, 0);
  ASSERT_EQ(finder.Start(), 1);
  EmulatorProcess emulator;
  if (!emulator.Start({"--no-tcp", "--discovery", "--ask-port", "0", "--answer-port",
                       std::to_string(finder.GetListenPort()), "--part", "71-4444-01", "--name", "Bench",
                       "--lifetime", "20"}))
    GTEST_SKIP() << "qvx-emulator is not built or did not start";
  finder.SetPorts(emulator.AskPort(), 0);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(finder.SendAsk("127.0.0.1"), 1);
  ASSERT_EQ(finder.SendAsk("127.0.0.1"), 1);
  std::vector<CQVXDatagram> records;
  while (finder.CopyRecords(records) == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(1))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].m_Name, "Bench");
  EXPECT_EQ(records[0].m_PartNumber, "71-4444-01");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(finder.CopyRecords(records), 1);
}

TEST(DiscoveryErrors, BindFailureAndBadTargetAreReported) {
  CQVXDeviceTypeList types;
  UdpSocket holder;
  ASSERT_TRUE(holder.Open());
  ASSERT_TRUE(holder.Bind(kLoopback, 0));  // held without address sharing
  CQVXIrFinder finder(&types);
  finder.SetPorts(0, holder.LocalPort());
  EXPECT_EQ(finder.Start(), 0);
  EXPECT_FALSE(finder.IsRunning());
  std::string context, text;
  EXPECT_NE(finder.GetLastError(&context, &text), 0);
  EXPECT_EQ(context, "Error binding socket");
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(finder.SendAsk("not-an-address"), 0);
  finder.Stop();  // stopping a finder that never ran returns at once
}

}  // namespace
}  // namespace quillon
