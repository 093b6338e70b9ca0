#include <gtest/gtest.h>

#include <cstdint>

#include "devicelink/CQVXProtocol.h"

namespace quillon {
namespace {

TEST(ProtocolReplies, FreeSpaceFromTheMemoryReply) {
  EXPECT_EQ(CQVXProtocol::FreeSpace("2 M used of 3000000"), 3000000 - 2 * 1048576);
  EXPECT_EQ(CQVXProtocol::FreeSpace("10 k used of 20000"), 20000 - 10 * 1024);
  // An absurd used figure saturates instead of overflowing.
  EXPECT_LT(CQVXProtocol::FreeSpace("10000000000000 M used of 3000000"), 0);
  EXPECT_LT(CQVXProtocol::FreeSpace("9223372036854775807 k used of 1"), 0);
}

}  // namespace
}  // namespace quillon
