// Serial bit rates without a terminal constant (3600, 7200, 14400, 28800)
// run at exactly that rate, on a pseudo-terminal as on a real port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/SerialPort.h"

namespace quillon {
namespace {

TEST(SerialPort, EveryRateOfTheBitRateTableIsSetExactly) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string slave = ::ptsname(master);
  SerialPort port;
  ASSERT_TRUE(port.Open(slave));
  for (int rate : {300, 600, 1200, 1800, 2400, 3600, 4800, 7200, 9600, 14400, 28800, 38400, 57600, 115200}) {
    ASSERT_TRUE(port.ApplySettings(rate, 8, SerialPort::kParityNone, 0, SerialPort::kFlowOff)) << rate;
    EXPECT_EQ(port.GetBitRate(), rate);
  }
  // Back to a standard rate after an exact one: the constant applies again.
  ASSERT_TRUE(port.ApplySettings(7200, 7, SerialPort::kParityEven, 2, SerialPort::kFlowOff));
  ASSERT_TRUE(port.ApplySettings(9600, 8, SerialPort::kParityNone, 0, SerialPort::kFlowOff));
  EXPECT_EQ(port.GetBitRate(), 9600);
  port.Close();
  ::close(master);
}

}  // namespace
}  // namespace quillon
