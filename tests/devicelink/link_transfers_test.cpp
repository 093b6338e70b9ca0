// Uploads, downloads and deletions through the worker against the
// emulator's file store.
#include <gtest/gtest.h>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXFileList.h"
#include "devicelink/CQVXProtocol.h"
#include "devicelink/CQVXUploadable.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Tcp;
using linktest::Watcher;

class LinkTransfersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("transfers");
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir));
  }
  void TearDown() override { m_link.Disconnect(); }

  void ConnectTo(const Emulator& emulator, Watcher& watch) {
    ASSERT_TRUE(emulator.Ready());
    m_link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
  }

  bool Listed(const std::string& name) {
    bool found = false;
    m_link.WithFileList([&](const CQVXFileList& files) { found = files.Find(name, false) >= 0; });
    return found;
  }

  std::unique_ptr<CQVXUploadable> Upload(const std::string& name, std::size_t size) {
    std::vector<uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
    m_sent = data;
    return std::make_unique<CQVXUploadable>(data.data(), static_cast<int32_t>(size), name);
  }

  std::string m_dir;
  CQVX m_link;
  std::vector<uint8_t> m_sent;
};

TEST_F(LinkTransfersTest, UploadThenDownloadGivesTheSameBytesAndDeleteRemovesTheFile) {
  const std::string store = linktest::TempDir("store");
  Emulator emulator({"--store", store});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);

  ASSERT_TRUE(m_link.AddUpload(Upload("12.vir", 1300)));
  ASSERT_TRUE(watch.WaitForEvent(6, 10000)) << watch.Describe();
  EXPECT_EQ(watch.Last(6)->GetText(), "12.vir");
  EXPECT_EQ(watch.Count(5), 1);
  ASSERT_TRUE(watch.WaitFor([&] { return Listed("12.vir"); }, 5000));
  EXPECT_EQ(std::filesystem::file_size(store + "/12.vir"), 1300u);

  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("12.vir", CQVXDownloadable::kKindDocument, 1300)));
  ASSERT_TRUE(watch.WaitForEvent(10, 10000)) << watch.Describe();
  auto* received = dynamic_cast<CQVXEventFile*>(watch.Last(10));
  ASSERT_NE(received, nullptr);
  EXPECT_EQ(received->GetText(), "12.vir");
  const CQVXDownloadable* file = received->GetObject<CQVXDownloadable>();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->GetData(), m_sent);
  EXPECT_EQ(file->GetKind(), CQVXDownloadable::kKindDocument);

  m_link.QueueCommand(CQVXProtocol::DeleteCommand("12.vir"));
  ASSERT_TRUE(watch.WaitFor([&] { return !Listed("12.vir"); }, 5000));
  EXPECT_FALSE(std::filesystem::exists(store + "/12.vir"));
  EXPECT_EQ(m_link.GetState(), CQVX::kConnected);
  std::filesystem::remove_all(store);
}

TEST_F(LinkTransfersTest, UploadThatDoesNotFitIsRefusedWithEvent20) {
  Emulator emulator({"--capacity", "1000"});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  ASSERT_TRUE(m_link.AddUpload(Upload("3.vir", 1000)));  // not below the free space
  ASSERT_TRUE(watch.WaitForEvent(20, 5000)) << watch.Describe();
  EXPECT_EQ(watch.Last(20)->GetText(), "3.vir");
  EXPECT_EQ(watch.Count(6), 0);
  EXPECT_EQ(emulator.CountInLog("+UF"), 0);
  ASSERT_TRUE(m_link.AddUpload(Upload("4.vir", 999)));
  ASSERT_TRUE(watch.WaitForEvent(6, 5000)) << watch.Describe();
}

TEST_F(LinkTransfersTest, UnusableUploadItemsGiveEvent21) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  ASSERT_TRUE(m_link.AddUpload(Upload("", 10)));
  ASSERT_TRUE(m_link.AddUpload(std::make_unique<CQVXUploadable>(nullptr, 10, "5.vir")));
  ASSERT_TRUE(watch.WaitForEvent(21, 5000, 2)) << watch.Describe();
  EXPECT_EQ(watch.Last(21)->GetText(), "5.vir");
  EXPECT_EQ(emulator.CountInLog("+UF"), 0);
}

TEST_F(LinkTransfersTest, DownloadResultCodes) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  // A file the device does not have: length 0.
  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("77.vir", CQVXDownloadable::kKindPlayback)));
  ASSERT_TRUE(watch.WaitForEvent(24, 5000)) << watch.Describe();
  EXPECT_EQ(watch.Last(24)->GetText(), "77.vir");
  // An empty name is not sent.
  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("", CQVXDownloadable::kKindDocument)));
  ASSERT_TRUE(watch.WaitForEvent(23, 5000)) << watch.Describe();
  EXPECT_EQ(emulator.CountInLog("<ESC>SF<CR>"), 0);
  // Other kinds are refused by the queue.
  EXPECT_FALSE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("1.vir", 7)));
  EXPECT_EQ(m_link.GetDownloadCount(), 0);
}

TEST_F(LinkTransfersTest, ZeroLengthAndShortDownloadsFail) {
  for (const char* fault : {"--zero-download", "--short-download"}) {
    Emulator emulator({fault});
    CQVX link;
    link.SetSettingsFile(linktest::WriteSettings(m_dir));
    Watcher watch(link);
    ASSERT_TRUE(emulator.Ready());
    link.Connect(Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 10000, 2)) << watch.Describe();
    ASSERT_TRUE(link.AddUpload(Upload("8.vir", 600)));
    ASSERT_TRUE(watch.WaitForEvent(6, 5000)) << fault << " " << watch.Describe();
    ASSERT_TRUE(link.AddDownload(std::make_unique<CQVXDownloadable>("8.vir", CQVXDownloadable::kKindDocument)));
    ASSERT_TRUE(watch.WaitForEvent(24, 8000)) << fault << " " << watch.Describe();
    EXPECT_EQ(watch.Count(10), 0) << fault;
    auto* record = dynamic_cast<CQVXEventFile*>(watch.Last(24));
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->GetObject<CQVXDownloadable>(), nullptr);
    EXPECT_TRUE(record->GetObject<CQVXDownloadable>()->GetData().empty()) << fault;
    // The link goes on after a failed transfer.
    EXPECT_EQ(link.GetState(), CQVX::kConnected) << fault;
    link.Disconnect();
  }
}

TEST_F(LinkTransfersTest, DisconnectDropsQueuedTransfers) {
  Emulator emulator({});
  Watcher watch(m_link);
  ConnectTo(emulator, watch);
  m_link.SetTransferEnable(false);
  ASSERT_TRUE(m_link.AddUpload(Upload("9.vir", 10)));
  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("9.vir", CQVXDownloadable::kKindDocument)));
  m_link.QueueCommand("\x1b" "0AE\r");
  EXPECT_EQ(m_link.GetUploadCount(), 1);
  m_link.Disconnect();
  EXPECT_EQ(m_link.GetUploadCount(), 0);
  EXPECT_EQ(m_link.GetDownloadCount(), 0);
  EXPECT_TRUE(m_link.TakeCommandQueue().empty());
}

}  // namespace
}  // namespace quillon
