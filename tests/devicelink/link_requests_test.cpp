// The worker's loop against the emulator: queued commands, full-update
// cadence, status polls, the learn cycle and captures of both formats.
#include <gtest/gtest.h>

#include <fstream>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXIrData.h"
#include "devicelink/CQVXIrDataHalvar.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "devicelink/CQVXProtocol.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Tcp;
using linktest::Watcher;

class LinkRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("requests");
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir));
  }
  void TearDown() override { m_link.Disconnect(); }

  void ConnectTo(const Emulator& emulator, Watcher& watch) {
    ASSERT_TRUE(emulator.Ready());
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  }

  void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string m_dir;
  CQVX m_link;
};

TEST_F(LinkRequestsTest, QueuedCommandIsSentInTheNextPassAndItsReplyDropped) {
  Emulator emulator({"--running-events", "3"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetRunningEventCount() == 3; }, 3000));
  m_link.QueueCommand(CQVXProtocol::RunningEventsCommand(false));
  ASSERT_TRUE(watch.WaitFor([&] { return emulator.CountInLog("<ESC>0AE<CR>") == 1; }, 3000)) << emulator.Log();
  // Polled right after it in the same pass: the "OK" reply was not taken for the status.
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetRunningEventCount() == 0; }, 3000));
  EXPECT_EQ(m_link.GetIrStatus(), "IRS 0");
  const std::string log = emulator.Log();
  const std::size_t sent = log.find("<ESC>0AE<CR>");
  EXPECT_LT(sent, log.find("WIL|", sent));
  // Each queued text is sent once.
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(emulator.CountInLog("<ESC>0AE<CR>"), 1);
}

TEST_F(LinkRequestsTest, FullUpdatesRunEveryUpdateIntervalWithTheFileListOnTcp) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  const int before = emulator.CountInLog("Wdf|");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const int after = emulator.CountInLog("Wdf|");
  // update_interval is 400 ms in the test settings.
  EXPECT_GE(after - before, 2);
  EXPECT_LE(after - before, 5);
  EXPECT_GE(emulator.CountInLog("WAE|"), after);
}

TEST_F(LinkRequestsTest, TransfersDisabledSkipsMemoryAndFileList) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetTransferEnable(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const int lists = emulator.CountInLog("Wdf|");
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(emulator.CountInLog("Wdf|"), lists);
  EXPECT_GT(emulator.CountInLog("WIL|"), 2);
}

TEST_F(LinkRequestsTest, LearnCycleGoesThroughStates4_5_2AndCaptureEndsIt) {
  Emulator emulator({"--first-pulse-ms", "300", "--capture-ms", "300"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.IrStatusPollEvent().Set();
  m_link.SetRequestBits(CQVX::kRequestLearnOn);
  std::vector<std::string> seen;
  ASSERT_TRUE(watch.WaitFor(
      [&] {
        const std::string status = m_link.GetIrStatus();
        if (seen.empty() || seen.back() != status) seen.push_back(status);
        return status == "IRS 2";
      },
      5000));
  EXPECT_NE(std::find(seen.begin(), seen.end(), "IRS 4"), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), "IRS 5"), seen.end());
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000)) << watch.Describe();
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetIrStatus() == "IRS 0"; }, 3000));
  m_link.IrStatusPollEvent().Reset();
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
}

TEST_F(LinkRequestsTest, AbortDuringLearnReportsState3) {
  Emulator emulator({"--first-pulse-ms", "5000"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.IrStatusPollEvent().Set();
  m_link.SetRequestBits(CQVX::kRequestLearnOn);
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetIrStatus() == "IRS 4"; }, 3000));
  m_link.SetRequestBits(CQVX::kRequestLearnOff);
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetIrStatus() == "IRS 3"; }, 3000));
  EXPECT_EQ(watch.Count(9), 0);
}

TEST_F(LinkRequestsTest, QvxCaptureArrivesAsReceived) {
  const std::string captures = linktest::TempDir("qvx-captures");
  const std::vector<uint8_t> first = {0, 0, 0, 2, 0, 0, 0, 0, 0, 9, 0, 21, 0, 0, 6, 0xC8};
  const std::vector<uint8_t> empty = {0, 0, 0, 0};
  WriteFile(captures + "/a.bin", first);
  WriteFile(captures + "/b.bin", empty);
  Emulator emulator({"--captures", captures, "--first-pulse-ms", "50", "--capture-ms", "50"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000)) << watch.Describe();
  auto* capture = dynamic_cast<CQVXIrDataQVX*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  EXPECT_EQ(capture->GetText(), "Learned IR Data");
  EXPECT_EQ(capture->GetSize(), 16);
  EXPECT_EQ(capture->GetBytes(), first);
  // A capture announcing 0 samples is a record of 4 bytes.
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000, 2)) << watch.Describe();
  capture = dynamic_cast<CQVXIrDataQVX*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  EXPECT_EQ(capture->GetSize(), 4);
  EXPECT_EQ(capture->GetBytes(), empty);
  std::filesystem::remove_all(captures);
}

TEST_F(LinkRequestsTest, BuiltInSignalsGiveWellFormedQvxCaptures) {
  Emulator emulator({"--first-pulse-ms", "50", "--capture-ms", "50"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000)) << watch.Describe();
  auto* capture = dynamic_cast<CQVXIrDataQVX*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  const auto& bytes = capture->GetBytes();
  ASSERT_GE(bytes.size(), 4u);
  const uint32_t n = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  EXPECT_GT(n, 10u);
  EXPECT_EQ(bytes.size(), 4 + 6 * std::size_t{n});
}

TEST_F(LinkRequestsTest, HalvarCaptureIs2052Bytes) {
  Emulator emulator({"--learner", "halvar", "--first-pulse-ms", "50", "--capture-ms", "50"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000)) << watch.Describe();
  auto* capture = dynamic_cast<CQVXIrDataHalvar*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  EXPECT_EQ(capture->GetText(), "Halvar IR Data");
  EXPECT_EQ(capture->GetSize(), 2052);
  const auto& bytes = capture->GetBytes();
  const uint32_t carrier = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  EXPECT_GT(carrier, 30000u);
  EXPECT_LT(carrier, 62000u);
}

TEST_F(LinkRequestsTest, DeviceThatIsNoLearnerGivesNoIrDataWithoutAsking) {
  Emulator emulator({"--learner", "none", "--part", "71-660-08"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 5000)) << watch.Describe();
  CQVXIrData* capture = dynamic_cast<CQVXIrData*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  EXPECT_EQ(dynamic_cast<CQVXIrDataQVX*>(capture), nullptr);
  EXPECT_EQ(dynamic_cast<CQVXIrDataHalvar*>(capture), nullptr);
  EXPECT_EQ(capture->GetText(), "No IR Data");
  EXPECT_EQ(capture->GetSize(), 0);
  EXPECT_EQ(emulator.CountInLog("W2*0*0IL|"), 0);
}

TEST_F(LinkRequestsTest, FlashRequestPostsEvent2) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestFlash);
  ASSERT_TRUE(watch.WaitForEvent(2, 5000)) << watch.Describe();
  EXPECT_EQ(emulator.CountInLog("W1FF|"), 1);
}

}  // namespace
}  // namespace quillon
