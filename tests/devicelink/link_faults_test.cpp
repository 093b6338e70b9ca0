// Each fault of the emulator ends the connection run with the events and
// states the worker gives such failures.
#include <gtest/gtest.h>

#include <fstream>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Tcp;
using linktest::Watcher;

class LinkFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { m_dir = linktest::TempDir("faults"); }
  void TearDown() override { m_link.Disconnect(); }

  void UseSettings(const std::map<std::string, std::string>& overrides = {}) {
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir, overrides));
  }

  std::vector<uint32_t> Tail(const Watcher& watch, std::size_t n) {
    const auto kinds = watch.Kinds();
    return std::vector<uint32_t>(kinds.end() - static_cast<std::ptrdiff_t>(std::min(n, kinds.size())), kinds.end());
  }

  std::string m_dir;
  CQVX m_link;
};

TEST_F(LinkFaultsTest, ConnectionClosedDuringIdentificationGivesEvent11ThenEvent4) {
  UseSettings();
  // The greeting (19 bytes) and the "n|" reply (11 bytes) get through, then the device hangs up.
  Emulator emulator({"--close-after", "30"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(Tail(watch, 2), (std::vector<uint32_t>{11, 4}));
  EXPECT_EQ(watch.Last(11)->GetText(), "Read String Timeout");
  EXPECT_EQ(watch.Count(7), 0);
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
}

TEST_F(LinkFaultsTest, ConnectionLostInTheMiddleOfACaptureGivesEvent11ThenEvent4) {
  UseSettings();
  Emulator emulator({"--drop-in-capture", "--first-pulse-ms", "50", "--capture-ms", "50"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(Tail(watch, 2), (std::vector<uint32_t>{11, 4}));
  EXPECT_EQ(watch.Count(9), 0);
  EXPECT_EQ(watch.Last(11)->GetText(), "Read Buffer Timeout");
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
  // The lost connection is reported as state 2 before the end.
  const auto& states = watch.States();
  EXPECT_EQ(states.back(), CQVX::kDisconnected);
}

TEST_F(LinkFaultsTest, SlowRepliesGiveEmptyAnswersOnTcpAndEndWithEvent13) {
  UseSettings({{"gen_query_timeout", "200"}});
  Emulator emulator({"--slow", "1500"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(watch.Count(13), 1);
  EXPECT_EQ(watch.Count(11), 0);
  EXPECT_EQ(Tail(watch, 1), (std::vector<uint32_t>{4}));
  EXPECT_EQ(m_link.GetFirmware(), "");
}

TEST_F(LinkFaultsTest, GarbageRepliesFailTheFirmwareCheck) {
  UseSettings();
  Emulator emulator({"--garbage"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(watch.Count(13), 1);
  EXPECT_EQ(watch.Count(3), 1);
  EXPECT_EQ(m_link.GetDeviceType(), nullptr);
}

TEST_F(LinkFaultsTest, ShortCaptureKeepsTheAnnouncedSizeAndTheConnection) {
  UseSettings();
  const std::string captures = linktest::TempDir("short-captures");
  const std::vector<uint8_t> capture = {0, 0, 0, 4, 0, 0, 0, 0, 0, 9, 0, 21, 0, 0, 6, 0xC8,
                                        0, 0, 0, 0, 0x90, 0xC8, 0, 21, 0, 0, 6, 0xC6};
  {
    std::ofstream out(captures + "/a.bin", std::ios::binary);
    out.write(reinterpret_cast<const char*>(capture.data()), static_cast<std::streamsize>(capture.size()));
  }
  Emulator emulator({"--short-capture", "--captures", captures, "--first-pulse-ms", "50", "--capture-ms", "50"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  m_link.SetRequestBits(CQVX::kRequestCapture);
  ASSERT_TRUE(watch.WaitForEvent(9, 8000)) << watch.Describe();
  auto* record = dynamic_cast<CQVXIrDataQVX*>(watch.Last(9));
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->GetSize(), 28);
  const auto& bytes = record->GetBytes();
  // Two of the four records arrived; the rest of the buffer stays zero.
  EXPECT_TRUE(std::equal(capture.begin(), capture.begin() + 16, bytes.begin()));
  EXPECT_TRUE(std::all_of(bytes.begin() + 16, bytes.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
  std::filesystem::remove_all(captures);
}

// The system's reason a link could not be opened is kept for the window
// and the command line; the "Socket Error" box gets it once, and only while
// showing is on.
TEST_F(LinkFaultsTest, TheReasonALinkCouldNotBeOpenedIsKeptAndShownOnce) {
  UseSettings();
  Watcher watch(m_link);
  m_link.Connect(Tcp(1).get());  // nothing listens on port 1
  ASSERT_TRUE(watch.WaitForEvent(14, 15000)) << watch.Describe();
  EXPECT_EQ(m_link.GetLastSocketError(), "Connection refused");
  EXPECT_FALSE(m_link.TakeSocketErrorToShow().has_value());  // showing is off

  m_link.SetShowSocketErrors(true);
  m_link.Connect(Tcp(1).get());
  ASSERT_TRUE(watch.WaitForEvent(14, 15000, 2)) << watch.Describe();
  EXPECT_EQ(m_link.TakeSocketErrorToShow(), std::optional<std::string>("Connection refused"));
  EXPECT_FALSE(m_link.TakeSocketErrorToShow().has_value());

  Emulator emulator({});
  ASSERT_TRUE(emulator.Ready());
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEvent(7, 15000)) << watch.Describe();
  EXPECT_EQ(m_link.GetLastSocketError(), "");  // a new connection starts clean
}

}  // namespace
}  // namespace quillon
