// The transport of the device worker on real loopback sockets and a
// pseudo-terminal, and the small protocol rules.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>

#include "app/CMemINI.h"
#include "devicelink/CQVX.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXProtocol.h"
#include "devicelink/CQVXSettings.h"
#include "devicelink/CQVXSocket.h"
#include "devicelink/CQVXSocketException.h"
#include "platform/TcpSocket.h"

namespace quillon {
namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A TCP peer on 127.0.0.1 and a transport connected to it.
class TcpTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_listener.Listen("127.0.0.1", 0));
    m_link.SetTarget("127.0.0.1", m_listener.BoundPort(), "");
    m_socket.SetTCP("127.0.0.1", m_listener.BoundPort());
    ASSERT_TRUE(m_socket.Open());
    m_peer = m_listener.Accept(2000);
    ASSERT_TRUE(m_peer.IsValid());
  }

  TcpSocket m_listener;
  CQVX m_link;
  CQVXSocket m_socket{&m_link};
  TcpSocket m_peer;
};

TEST_F(TcpTransportTest, ReadBytesReturnsWhatArrivedWhenTheRestDoesNotCome) {
  ASSERT_TRUE(m_peer.SendAll("abcd", 4));
  uint8_t buffer[10] = {};
  const auto start = Clock::now();
  EXPECT_EQ(m_socket.ReadBytes(buffer, 10, 1000, 100), 4);
  EXPECT_LT(MsSince(start), 900);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "abcd");
}

TEST_F(TcpTransportTest, ReadWithoutReplyWithinT1IsEmptyNotAnError) {
  const auto start = Clock::now();
  EXPECT_EQ(m_socket.ReadString(150, 20), "");
  EXPECT_GE(MsSince(start), 140);
  uint8_t buffer[4];
  EXPECT_EQ(m_socket.ReadBytes(buffer, 4, 50, 20), 0);
}

TEST_F(TcpTransportTest, ReplyIsCompleteAfterTheEndOfDataGap) {
  std::thread peer([this] {
    m_peer.SendAll("first ", 6);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    m_peer.SendAll("second\r\n", 8);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_peer.SendAll("late", 4);
  });
  EXPECT_EQ(m_socket.ReadLine(1000, 150), "first second");
  EXPECT_EQ(m_socket.ReadString(1000, 50), "late");
  peer.join();
}

TEST_F(TcpTransportTest, PeerThatClosedRaisesReadTimeouts) {
  m_peer.Close();
  try {
    m_socket.ReadString(500, 50);
    FAIL() << "no exception";
  } catch (const CQVXSocketException& e) {
    EXPECT_EQ(e.GetMessage(), "Read String Timeout");
  }
  uint8_t buffer[4];
  try {
    m_socket.ReadBytes(buffer, 4, 500, 50);
    FAIL() << "no exception";
  } catch (const CQVXSocketException& e) {
    EXPECT_EQ(e.GetMessage(), "Read Buffer Timeout");
  }
}

TEST_F(TcpTransportTest, LongWritesArriveWhole) {
  std::string text(3000, 'x');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  std::string got;
  std::thread reader([&] {
    char buffer[512];
    while (got.size() < text.size() && m_peer.WaitReadable(2000) == 1) {
      const ssize_t n = m_peer.Receive(buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
  });
  m_socket.WriteText(text, 1000, 1000);
  reader.join();
  EXPECT_EQ(got, text);
}

TEST(TransportOpen, TcpNeedsItsDeviceLink) {
  CQVXSocket socket(nullptr);
  try {
    socket.Open();
    FAIL() << "no exception";
  } catch (const CQVXSocketException& e) {
    EXPECT_EQ(e.GetMessage(), "TCP Connect setup error");
    EXPECT_EQ(e.GetCode(), 1359u);
  }
}

TEST(TransportOpen, AddressThatIsNotDottedIsUnreachable) {
  CQVX link;
  link.SetTarget("localhost", 23, "");
  CQVXSocket socket(&link);
  EXPECT_FALSE(socket.Open());
  EXPECT_FALSE(socket.IsOpen());
  CQVXEventList events;
  link.TakeEvents(events);
  ASSERT_EQ(events.GetCount(), 1);
  EXPECT_EQ(events.At(0)->GetType(), 16u);
}

TEST(TransportException, MessagesAreNeverEmptyAndAtMost255Characters) {
  EXPECT_EQ(CQVXSocketException("", 0).GetMessage(), "Unknown Error");
  EXPECT_EQ(CQVXSocketException(std::string(300, 'm'), 1).GetMessage().size(), 255u);
}

// A pseudo-terminal: the test holds the master side, the transport the slave.
class SerialTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(m_master, 0);
    ASSERT_EQ(::grantpt(m_master), 0);
    ASSERT_EQ(::unlockpt(m_master), 0);
    m_path = ::ptsname(m_master);
    m_socket.SetSerialDevicePath(m_path);
  }
  void TearDown() override {
    m_socket.Close();
    ::close(m_master);
  }

  std::string ReadMaster(int waitMs) {
    std::string got;
    char buffer[1024];
    pollfd p{m_master, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
      const ssize_t n = ::read(m_master, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  int m_master = -1;
  std::string m_path;
  CQVX m_link;
  CQVXSocket m_socket{&m_link};
};

TEST_F(SerialTransportTest, ParametersAreValidatedBeforeThePortIsTouched) {
  EXPECT_EQ(m_socket.SetSerial(1, 9600, 0, 8, 1, 0), 0);  // one stop bit is code 0
  EXPECT_EQ(m_socket.SetSerial(1, 9600, 5, 8, 0, 0), 0);
  EXPECT_EQ(m_socket.SetSerial(1, 9600, 0, 8, 0, 6), 0);
  EXPECT_FALSE(m_socket.Open());
  EXPECT_EQ(m_socket.SetSerial(1, 384001, 0, 8, 0, 0), 1);
  EXPECT_FALSE(m_socket.Open());
  EXPECT_EQ(m_socket.SetSerial(1, 9600, 0, 6, 0, 0), 1);
  EXPECT_FALSE(m_socket.Open());
  EXPECT_FALSE(m_socket.IsOpen());
  CQVXEventList events;
  m_link.TakeEvents(events);
  EXPECT_EQ(events.GetCount(), 0);  // the port was never tried
  EXPECT_EQ(m_socket.SetSerial(1, 384000, 4, 7, 2, 5), 1);
  EXPECT_TRUE(m_socket.Open());
}

TEST_F(SerialTransportTest, EveryFlowControlModeOpensThePort) {
  for (int flow = 0; flow <= 5; ++flow) {
    ASSERT_EQ(m_socket.SetSerial(1, 9600, 0, 8, 0, flow), 1);
    EXPECT_TRUE(m_socket.Open()) << flow;
    termios t{};
    ASSERT_EQ(::tcgetattr(m_master, &t), 0);
    EXPECT_EQ((t.c_iflag & IXON) != 0, flow == 5) << flow;
    EXPECT_TRUE(m_socket.Close());
    EXPECT_FALSE(m_socket.Close());
  }
}

TEST_F(SerialTransportTest, FirstByteTimeOutRaisesOnSerial) {
  ASSERT_EQ(m_socket.SetSerial(1, 9600, 0, 8, 0, 0), 1);
  ASSERT_TRUE(m_socket.Open());
  try {
    m_socket.ReadString(100, 20);
    FAIL() << "no exception";
  } catch (const CQVXSocketException& e) {
    EXPECT_EQ(e.GetMessage(), "serial port timeout");
    EXPECT_EQ(e.GetCode(), 0u);
  }
  EXPECT_FALSE(m_socket.WaitReadable(50, false));
  ASSERT_EQ(::write(m_master, "1234", 4), 4);
  uint8_t buffer[10] = {};
  EXPECT_EQ(m_socket.ReadBytes(buffer, 10, 500, 100), 4);
}

TEST_F(SerialTransportTest, WritesGoOutIn256ByteChunksWithPauses) {
  ASSERT_EQ(m_socket.SetSerial(1, 115200, 0, 8, 0, 0), 1);
  ASSERT_TRUE(m_socket.Open());
  std::string text(600, 'z');
  std::string got;
  std::thread reader([&] {
    while (got.size() < text.size()) {
      const std::string piece = ReadMaster(400);
      if (piece.empty()) break;
      got += piece;
    }
  });
  const auto start = Clock::now();
  m_socket.WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), 600, 1000, 1000);
  EXPECT_GE(MsSince(start), 3 * CQVXSocket::kSerialChunkPauseMs - 10);
  reader.join();
  EXPECT_EQ(got, text);
}

TEST_F(SerialTransportTest, CommandIsSentASecondTimeWhenNoReplyBeginsWithinTheResendWait) {
  ASSERT_EQ(m_socket.SetSerial(1, 115200, 0, 8, 0, 0), 1);
  ASSERT_TRUE(m_socket.Open());
  m_socket.SetResendWait(200);
  m_socket.WriteText("Q", 1000, 1000);
  EXPECT_EQ(ReadMaster(100), "QQ");
  EXPECT_EQ(m_socket.GetResendWait(), 0);
  // With a reply under way the text goes out once.
  std::thread device([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(::write(m_master, "1.05\r\n", 6), 6);
  });
  m_socket.SetResendWait(2000);
  m_socket.WriteText("N", 1000, 1000);
  device.join();
  EXPECT_EQ(ReadMaster(100), "N");
  EXPECT_EQ(m_socket.ReadLine(500, 50), "1.05");
}

TEST(LinkProtocol, FreeSpaceFollowsTheMemoryText) {
  EXPECT_EQ(CQVXProtocol::FreeSpace(""), 12000000);
  EXPECT_EQ(CQVXProtocol::FreeSpace("0 kB used of 1000\r\n"), 1000);
  EXPECT_EQ(CQVXProtocol::FreeSpace("2 kB used of 10000"), 10000 - 2048);
  EXPECT_EQ(CQVXProtocol::FreeSpace("1 M of 3000000"), 3000000 - 1048576);
  EXPECT_EQ(CQVXProtocol::FreeSpace("500 bytes"), 12000000 - 500);   // no number after the last blank
  EXPECT_EQ(CQVXProtocol::FreeSpace("500"), 12000000 - 500);         // no blank at all
  EXPECT_EQ(CQVXProtocol::FreeSpace("500 of "), 12000000 - 500);     // nothing after the last blank
  // Absurd numbers do not overflow: the result is simply negative (no room).
  EXPECT_LT(CQVXProtocol::FreeSpace("99999999999999999999 k of 5"), 0);
}

TEST(LinkProtocol, FirmwareGateAndParsing) {
  EXPECT_FLOAT_EQ(CQVXProtocol::ParseFirmware("1.03\r\n"), 1.03f);
  EXPECT_EQ(CQVXProtocol::ParseFirmware("v1"), 0.0f);
  EXPECT_TRUE(CQVXProtocol::IsFirmwareGated(CQVXProtocol::ParseFirmware("1.02"), "71-629-86"));
  EXPECT_FALSE(CQVXProtocol::IsFirmwareGated(CQVXProtocol::ParseFirmware("1.03"), "71-629-86"));
  EXPECT_FALSE(CQVXProtocol::IsFirmwareGated(CQVXProtocol::ParseFirmware("1.02"), "71-629-87"));
  EXPECT_FALSE(CQVXProtocol::IsFirmwareGated(CQVXProtocol::ParseFirmware("1.02"), "71-629-86 "));
}

TEST(LinkProtocol, CommandTexts) {
  EXPECT_EQ(CQVXProtocol::UploadCommand(1300, "12.vir"), "\x1b+UF1300,12.vir\r");
  EXPECT_EQ(CQVXProtocol::DownloadCommand("12.vir"), "\x1b" "12.virSF\r");
  EXPECT_EQ(CQVXProtocol::DeleteCommand("12.vir"), "\x1b" "12.virEF\r");
  EXPECT_EQ(CQVXProtocol::RunningEventsCommand(false), "\x1b" "0AE\r");
  EXPECT_EQ(CQVXProtocol::RunningEventsCommand(true), "\x1b" "1AE\r");
}

TEST(LinkTiming, IntervalPassesOnAnotherCalendarDay) {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 59;
  t.tm_isdst = -1;
  const int64_t beforeMidnight = static_cast<int64_t>(std::mktime(&t)) * 1000;
  EXPECT_FALSE(CQVXSocket::IntervalPassed(beforeMidnight, beforeMidnight + 500, 5000));
  EXPECT_TRUE(CQVXSocket::IntervalPassed(beforeMidnight, beforeMidnight + 1500, 5000));  // past midnight
  EXPECT_TRUE(CQVXSocket::IntervalPassed(beforeMidnight - 10000, beforeMidnight - 5000, 5000));
  EXPECT_FALSE(CQVXSocket::IntervalPassed(beforeMidnight - 10000, beforeMidnight - 5001, 5000));
}

TEST(LinkSettings, EighteenKeysInOrderWithTheirDefaults) {
  CQVXSettings settings;
  ASSERT_EQ(CQVXSettings::kCount, 18);
  EXPECT_STREQ(CQVXSettings::KeyAt(0), "irs_interval");
  EXPECT_STREQ(CQVXSettings::KeyAt(17), "download_ack_timeout");
  EXPECT_EQ(*settings.FieldAt(2), 2000);
  EXPECT_EQ(*settings.FieldAt(3), 20);
  EXPECT_EQ(settings.FieldAt(18), nullptr);
  CMemINI ini;
  ini.SetString("programsettings", "GEN_QUERY_TIMEOUT", "3000");
  settings.bleed_timeout = 99;
  settings.Read(ini);
  EXPECT_EQ(settings.gen_query_timeout, 3000);
  EXPECT_EQ(settings.bleed_timeout, 10);
}

}  // namespace
}  // namespace quillon
