// The device link over a serial line: the emulator's pseudo-terminal.
#include <gtest/gtest.h>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "devicelink/CQVXUploadable.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Watcher;

class LinkSerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("serial");
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir));
  }
  void TearDown() override { m_link.Disconnect(); }

  void ConnectTo(const Emulator& emulator, Watcher& watch, int flow = 0) {
    ASSERT_FALSE(emulator.PtyPath().empty());
    CQVXConnectionSerial serial;
    serial.SetBitRate(115200);
    serial.SetFlowControl(flow);
    m_link.SetSerialDevicePath(emulator.PtyPath());
    m_link.Connect(&serial);
    ASSERT_TRUE(watch.WaitForEvent(7, 15000, 2)) << watch.Describe();
  }

  std::string m_dir;
  CQVX m_link;
};

TEST_F(LinkSerialTest, SerialNumberReplyOfDigitsReportsConnected) {
  Emulator emulator({"--no-tcp"}, true);
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
  EXPECT_EQ(m_link.IsSerialLink(), 1);
  // No greeting on a serial line: "connected" comes from the "n|" reply.
  const auto kinds = watch.Kinds();
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kinds[0], 1u);
  EXPECT_EQ(kinds[1], 0u);
  EXPECT_EQ(m_link.GetPartNumber(), "71-650-04");
  ASSERT_NE(m_link.GetDeviceType(), nullptr);
  EXPECT_EQ(m_link.GetDeviceType()->GetName(), "QVX-CP4");
}

TEST_F(LinkSerialTest, FileListIsAskedOnlyOnTheFirstUpdateOrOnRequest) {
  Emulator emulator({"--no-tcp"}, true);
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(emulator.CountInLog("Wdf|"), 1);
  EXPECT_GE(emulator.CountInLog("4I"), 2);
  m_link.SetRequestBits(CQVX::kRequestFileList);
  ASSERT_TRUE(watch.WaitFor([&] { return emulator.CountInLog("Wdf|") == 2; }, 5000));
  ASSERT_TRUE(watch.WaitForEvent(7, 3000, 3));
}

TEST_F(LinkSerialTest, CaptureUploadAndDownloadOverSerial) {
  Emulator emulator({"--no-tcp", "--first-pulse-ms", "50", "--capture-ms", "50"}, true);
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 10000)) << watch.Describe();
  auto* capture = dynamic_cast<CQVXIrDataQVX*>(watch.Last(9));
  ASSERT_NE(capture, nullptr);
  EXPECT_GT(capture->GetSize(), 4);

  // 600 bytes go out in three chunks with a pause after each.
  std::vector<uint8_t> data(600);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>('A' + i % 26);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(m_link.AddUpload(std::make_unique<CQVXUploadable>(data.data(), 600, "21.vir")));
  ASSERT_TRUE(watch.WaitForEvent(6, 10000)) << watch.Describe();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("21.vir", CQVXDownloadable::kKindPlayback)));
  ASSERT_TRUE(watch.WaitForEvent(10, 10000)) << watch.Describe();
  auto* received = dynamic_cast<CQVXEventFile*>(watch.Last(10));
  ASSERT_NE(received, nullptr);
  ASSERT_NE(received->GetObject<CQVXDownloadable>(), nullptr);
  EXPECT_EQ(received->GetObject<CQVXDownloadable>()->GetData(), data);
}

TEST_F(LinkSerialTest, LostLineInTheMiddleOfACaptureGivesEvent11ThenEvent4) {
  Emulator emulator({"--no-tcp", "--drop-in-capture", "--first-pulse-ms", "50", "--capture-ms", "50"}, true);
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEnd(15000)) << watch.Describe();
  const auto kinds = watch.Kinds();
  ASSERT_GE(kinds.size(), 2u);
  EXPECT_EQ(kinds[kinds.size() - 2], 11u);
  EXPECT_EQ(kinds.back(), 4u);
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
}

TEST_F(LinkSerialTest, PortThatCannotBeOpenedGivesEvent15) {
  CQVXConnectionSerial serial;
  m_link.SetSerialDevicePath(m_dir + "/no-such-port");
  Watcher watch(m_link);
  m_link.Connect(&serial);
  ASSERT_TRUE(watch.WaitForEnd(5000)) << watch.Describe();
  const auto kinds = watch.Kinds();
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kinds[0], 15u);
  EXPECT_EQ(kinds[1], 14u);
  EXPECT_EQ(kinds.back(), 4u);
}

}  // namespace
}  // namespace quillon
