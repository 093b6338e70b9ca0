// The program's wrapper of the package-reader control, over packages of both
// kinds built here and read through the real plug-in.
#include <gtest/gtest.h>

#include <vector>

#include "library/CVelmorPackageReader.h"
#include "tests/library/LibraryFixture.h"

namespace quillon {
namespace {

using namespace quillon::testing;

class ReaderTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    folder_ = NewFolder("reader");
    // The driver begins with a zero byte, which must still be delivered.
    driver_ = Bytes(std::string("\0driver bytes", 13));
    for (int i = 0; i < 200; ++i) driver_.push_back(static_cast<std::uint8_t>(i * 7));
    const Members members = {{"irsupport.ini", Bytes("[supported]\r\nNum=1\r\n")}, {"ABC_4.vir", driver_}};
    if (GetParam())
      WriteResourcePackage(folder_ + "/lib.pkg", members);
    else
      WriteArchivePackage(folder_ + "/lib.pkg", members);
  }
  std::string folder_;
  std::vector<std::uint8_t> driver_;
};

TEST_P(ReaderTest, SizeAndBytesOfAFileInTheBigPackageItself) {
  CVelmorPackageReader reader;
  ASSERT_TRUE(reader.IsCreated()) << reader.CreateError();
  EXPECT_EQ(reader.PkgFileSize("lib.pkg", "VIR.PKI", "abc_4.VIR", folder_), static_cast<long>(driver_.size()));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(reader.ReadWholeFile("lib.pkg", "vir.pki", "ABC_4.vir", folder_ + "/", bytes));
  EXPECT_EQ(bytes, driver_);

  // A buffer smaller than the file receives only what fits.
  std::vector<std::uint8_t> small(10, 0xEE);
  small.push_back(0x55);
  ASSERT_TRUE(reader.PkgFileRead("lib.pkg", "vir.pki", "ABC_4.vir", folder_, small.data(), 10));
  EXPECT_TRUE(std::equal(small.begin(), small.begin() + 10, driver_.begin()));
  EXPECT_EQ(small[10], 0x55);
}

TEST_P(ReaderTest, FailuresAnswerZeroOrFalse) {
  CVelmorPackageReader reader;
  std::vector<std::uint8_t> buffer(16);
  EXPECT_EQ(reader.PkgFileSize("lib.pkg", "vir.pki", "ABC_5.vir", folder_), 0);
  EXPECT_FALSE(reader.PkgFileRead("lib.pkg", "vir.pki", "ABC_5.vir", folder_, buffer.data(), buffer.size()));
  EXPECT_EQ(reader.PkgFileSize("none.pkg", "vir.pki", "ABC_4.vir", folder_), 0);
  EXPECT_EQ(reader.PkgFileSize("lib.pkg", "", "ABC_4.vir", folder_), 0);
  EXPECT_EQ(reader.PkgFileSize("lib.pkg", "vir.pki", "ABC_4.vir", ""), 0);
  EXPECT_FALSE(reader.PkgFileRead("lib.pkg", "vir.pki", "ABC_4.vir", folder_, nullptr, 16));
}

INSTANTIATE_TEST_SUITE_P(BothPackageKinds, ReaderTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ResourcePackage" : "Archive"; });

}  // namespace
}  // namespace quillon
