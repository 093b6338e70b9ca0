// The event, socket and echo stand-ins the device link is built on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Event.h"
#include "platform/IcmpEcho.h"
#include "platform/TcpSocket.h"

namespace quillon {
namespace {

TEST(TransportEvent, ManualResetStaysSetUntilReset) {
  Event event(true, false);
  EXPECT_FALSE(event.Wait(10));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.IsSet());
  event.Reset();
  EXPECT_FALSE(event.IsSet());
}

TEST(TransportEvent, AutoResetReleasesOneWaiter) {
  Event event(false, true);
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(2000));
  setter.join();
  EXPECT_FALSE(event.IsSet());
}

TEST(TransportSocket, DottedAddressesOnly) {
  in_addr address{};
  EXPECT_TRUE(TcpSocket::ParseDotted("127.0.0.1", &address));
  EXPECT_FALSE(TcpSocket::ParseDotted("127.0.0.256", &address));
  EXPECT_FALSE(TcpSocket::ParseDotted("127.0.0", &address));
  EXPECT_FALSE(TcpSocket::ParseDotted("127.0.0.1x", &address));
  EXPECT_FALSE(TcpSocket::ParseDotted("localhost", &address));
}

TEST(TransportSocket, LoopbackConnectionCarriesBytesAndReportsTheCountWaiting) {
  TcpSocket listener;
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
  TcpSocket client;
  ASSERT_TRUE(client.Create());
  ASSERT_TRUE(client.SetLingerZero());
  ASSERT_TRUE(client.SetBufferSizes(512, 512));
  in_addr loopback{};
  ASSERT_TRUE(TcpSocket::ParseDotted("127.0.0.1", &loopback));
  ASSERT_TRUE(client.Connect(loopback, listener.BoundPort(), 2000));
  TcpSocket server = listener.Accept(2000);
  ASSERT_TRUE(server.IsValid());
  ASSERT_TRUE(server.SendAll("hello", 5));
  ASSERT_EQ(client.WaitReadable(2000), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(client.BytesWaiting(), 5);
  char buffer[8];
  EXPECT_EQ(client.Receive(buffer, sizeof buffer), 5);
  server.Close();
  ASSERT_EQ(client.WaitReadable(2000), 1);
  EXPECT_EQ(client.BytesWaiting(), 0);
  EXPECT_EQ(client.Receive(buffer, sizeof buffer), 0);
}

TEST(TransportSocket, ConnectToAClosedPortFails) {
  int port = 0;
  {
    TcpSocket probe;
    ASSERT_TRUE(probe.Listen("127.0.0.1", 0));
    port = probe.BoundPort();
  }
  TcpSocket client;
  ASSERT_TRUE(client.Create());
  in_addr loopback{};
  TcpSocket::ParseDotted("127.0.0.1", &loopback);
  EXPECT_FALSE(client.Connect(loopback, port, 2000));
  EXPECT_NE(client.LastError(), 0);
}

TEST(TransportIcmp, LoopbackAnswersAndNamesAreNotTested) {
  const IcmpEcho::Result local = IcmpEcho::Test("127.0.0.1", 1000);
  // Without the privilege to send echoes at all the test cannot be made.
  EXPECT_TRUE(local == IcmpEcho::Result::Reachable || local == IcmpEcho::Result::CannotTest);
  EXPECT_EQ(IcmpEcho::Test("localhost", 1000), IcmpEcho::Result::Unreachable);
  EXPECT_EQ(IcmpEcho::Test("", 1000), IcmpEcho::Result::Unreachable);
}

TEST(TransportIcmp, ChecksumOfAnEchoRequest) {
  // type 8, code 0, checksum 0, id 1, seq 1: the complement of 0x0802.
  const unsigned char packet[8] = {8, 0, 0, 0, 0, 1, 0, 1};
  const unsigned short sum = IcmpEcho::Checksum(packet, 8);
  unsigned char bytes[2];
  std::memcpy(bytes, &sum, 2);
  EXPECT_EQ(bytes[0], 0xF7);
  EXPECT_EQ(bytes[1], 0xFD);
}

}  // namespace
}  // namespace quillon
