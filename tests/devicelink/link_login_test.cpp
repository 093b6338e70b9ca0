// Log-in, identification, firmware gating and the connection lifecycle of
// the device link against the emulator over TCP.
#include <gtest/gtest.h>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Tcp;
using linktest::Watcher;

class LinkLoginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("login");
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir));
  }
  void TearDown() override { m_link.Disconnect(); }

  std::string m_dir;
  CQVX m_link;
};

TEST_F(LinkLoginTest, RightPasswordLogsInAndIdentifiesTheDevice) {
  Emulator emulator({"--password", "s3cret", "--firmware", "1.04", "--name", "Rack A"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  EXPECT_EQ(m_link.Connect(Tcp(emulator.Port(), "s3cret").get()), CQVX::kConnecting);
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
  EXPECT_EQ(m_link.GetInfo1(), "Rack A");
  EXPECT_EQ(m_link.GetInfo2(), "QVX Control Processor");
  EXPECT_EQ(m_link.GetInfo3(), "Build 2026.12");
  EXPECT_EQ(m_link.GetFirmware(), "1.04");
  EXPECT_EQ(m_link.GetPartNumber(), "71-650-04");
  EXPECT_EQ(m_link.GetMemoryText(), "0 kB used of 12000000\r\n");  // raw reply, not trimmed
  auto type = m_link.GetDeviceType();
  ASSERT_TRUE(type);
  EXPECT_EQ(type->GetName(), "QVX-CP4");
  EXPECT_TRUE(type->IsQVXLearner());
  // Events in order: link opened, connected (greeting), then identification.
  const auto kinds = watch.Kinds();
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kinds[0], 1u);
  EXPECT_EQ(kinds[1], 0u);
  EXPECT_EQ(kinds[2], 7u);
  // Identification queries go out in their fixed order.
  const std::string log = emulator.Log();
  std::size_t at = 0;
  for (const char* command : {"password accepted", "n|", "Wcn|", "1I", "2I", " Q", "4I", " N\n", "WIL|", "WAE|", "Wdf|"}) {
    const std::size_t next = log.find(command, at);
    ASSERT_NE(next, std::string::npos) << command << "\n" << log;
    at = next;
  }
  EXPECT_EQ(m_link.Disconnect(), CQVX::kDisconnected);
  watch.Poll();
  EXPECT_FALSE(m_link.IsRunning());
  ASSERT_TRUE(watch.WaitForEvent(4, 2000));
  EXPECT_EQ(watch.Count(3), 1);
}

TEST_F(LinkLoginTest, WrongPasswordEndsWithEvent17) {
  Emulator emulator({"--password", "s3cret"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port(), "guess").get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(watch.Count(17), 1);
  EXPECT_EQ(watch.Count(7), 0);
  const auto kinds = watch.Kinds();
  EXPECT_EQ(kinds.back(), 4u);
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
  // Nothing is asked of a device that refused the log-in.
  EXPECT_EQ(emulator.CountInLog("Wcn|"), 0);
}

TEST_F(LinkLoginTest, LoginWithoutAdministratorRightsEndsWithEvent18) {
  Emulator emulator({"--password", "s3cret", "--no-admin"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port(), "s3cret").get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(watch.Count(18), 1);
  EXPECT_EQ(watch.Count(17), 0);
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
}

TEST_F(LinkLoginTest, DeviceWithoutGreetingNeedsNoPasswordAndStaysConnectingOnTcp) {
  Emulator emulator({"--no-greeting", "--password", "unused"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port(), "whatever").get());
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  EXPECT_EQ(watch.Count(0), 0);
  EXPECT_EQ(m_link.GetState(), CQVX::kConnecting);
  EXPECT_EQ(m_link.GetPartNumber(), "71-650-04");
}

TEST_F(LinkLoginTest, FirmwareGateRefusesOldFirmwareOnListedModels) {
  {
    Emulator emulator({"--part", "71-518-01", "--firmware", "1.02"});
    ASSERT_TRUE(emulator.Ready());
    Watcher watch(m_link);
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
    EXPECT_EQ(watch.Count(26), 1);
    EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
  }
  {
    Emulator emulator({"--part", "71-518-01", "--firmware", "1.03"});
    ASSERT_TRUE(emulator.Ready());
    Watcher watch(m_link);
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
    EXPECT_EQ(watch.Count(26), 0);
    EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
    m_link.Disconnect();
  }
  {
    // Old firmware on a model that is not listed is fine.
    Emulator emulator({"--part", "71-650-04", "--firmware", "1.02"});
    ASSERT_TRUE(emulator.Ready());
    Watcher watch(m_link);
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
    EXPECT_EQ(watch.Count(26), 0);
  }
}

TEST_F(LinkLoginTest, FirmwareThatIsNotANumberEndsWithEvent13) {
  for (const char* firmware : {"0", "abc"}) {
    Emulator emulator({"--firmware", firmware});
    ASSERT_TRUE(emulator.Ready());
    Watcher watch(m_link);
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEnd(10000)) << firmware << " " << watch.Describe();
    EXPECT_EQ(watch.Count(13), 1) << firmware;
    EXPECT_EQ(watch.Count(3), 1) << firmware;
  }
}

TEST_F(LinkLoginTest, UnknownPartNumberHasNoDeviceType) {
  Emulator emulator({"--part", "99-999-99"});
  ASSERT_TRUE(emulator.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(emulator.Port()).get());
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  EXPECT_EQ(m_link.GetDeviceType(), nullptr);
  // Family numbers match derivative devices.
  m_link.Disconnect();
  Emulator derivative({"--part", "71-6910-07"});
  ASSERT_TRUE(derivative.Ready());
  m_link.Connect(Tcp(derivative.Port()).get());
  Watcher again(m_link);
  ASSERT_TRUE(again.WaitForEvent(7, 10000, 2)) << again.Describe();
  auto type = m_link.GetDeviceType();
  ASSERT_TRUE(type);
  EXPECT_EQ(type->GetName(), "QVX-ZRN-LT");
}

TEST_F(LinkLoginTest, ConnectWhileConnectedStopsTheOldWorkerFirst) {
  Emulator first({"--name", "First"});
  Emulator second({"--name", "Second"});
  ASSERT_TRUE(first.Ready() && second.Ready());
  Watcher watch(m_link);
  m_link.Connect(Tcp(first.Port()).get());
  ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  EXPECT_EQ(m_link.Connect(Tcp(second.Port()).get()), CQVX::kConnecting);
  // The old run has ended completely: its last events are in, the new one starts at 5.
  const auto kinds = watch.Kinds();
  watch.Poll();
  EXPECT_GE(watch.Count(3), 1);
  EXPECT_GE(watch.Count(4), 1);
  ASSERT_TRUE(watch.WaitFor([&] { return m_link.GetInfo1() == "Second"; }, 10000)) << watch.Describe();
  EXPECT_TRUE(m_link.IsRunning());
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
  (void)kinds;
}

TEST_F(LinkLoginTest, DisconnectWithoutWorkerGivesNoConnection) {
  EXPECT_EQ(m_link.GetState(), CQVX::kNoConnection);
  EXPECT_EQ(m_link.Disconnect(), CQVX::kNoConnection);
  EXPECT_FALSE(m_link.IsRunning());
}

TEST_F(LinkLoginTest, UnusableDescriptionsFailAtOnce) {
  EXPECT_EQ(m_link.Connect(nullptr), CQVX::kConnectionFailed);
  CQVXConnectionTCP notValid;  // 0.0.0.0 and not valid until an address is set
  EXPECT_EQ(m_link.Connect(&notValid), CQVX::kConnectionFailed);
  CQVXConnectionSerial badSerial;
  badSerial.SetFlowControl(9);
  EXPECT_EQ(m_link.Connect(&badSerial), CQVX::kConnectionFailed);
  EXPECT_FALSE(m_link.IsRunning());
}

TEST_F(LinkLoginTest, NobodyListeningGivesEvent14ThenEvent4) {
  int port = 0;
  {
    TcpSocket probe;
    ASSERT_TRUE(probe.Listen("127.0.0.1", 0));
    port = probe.BoundPort();
  }
  Watcher watch(m_link);
  m_link.Connect(Tcp(port).get());
  ASSERT_TRUE(watch.WaitForEnd(10000)) << watch.Describe();
  EXPECT_EQ(watch.Kinds().front(), 14u);
  EXPECT_EQ(watch.Count(1), 0);
  EXPECT_EQ(m_link.GetState(), CQVX::kDisconnected);
}

TEST_F(LinkLoginTest, SettingsAreReadAgainAtEveryConnect) {
  const std::string file = linktest::WriteSettings(m_dir, {{"update_interval", "1234"}});
  m_link.SetSettingsFile(file);
  CQVXConnectionTCP notValid;
  m_link.Connect(&notValid);
  EXPECT_EQ(m_link.GetSettings().update_interval, 1234);
  EXPECT_EQ(m_link.GetSettings().gen_query_timeout, 1500);
  // Keys absent from the file fall back to the defaults, not to older values.
  CMemINI ini;
  ini.SetString("ProgramSettings", "irs_interval", "77");
  ASSERT_TRUE(ini.SaveFile(file));
  m_link.Connect(&notValid);
  EXPECT_EQ(m_link.GetSettings().irs_interval, 77);
  EXPECT_EQ(m_link.GetSettings().update_interval, 5000);
  EXPECT_EQ(m_link.GetSettings().gen_query_timeout, 2000);
  EXPECT_EQ(m_link.GetSettings().download_ack_timeout, 5000);
}

}  // namespace
}  // namespace quillon
