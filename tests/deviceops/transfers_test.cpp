// The main window's transfer handling without a device: the device bar's
// playback download, deleting device files, the file-replace question of an
// upload, and the message boxes of the connection events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"
#include "deviceops/CDeviceBar.h"
#include "deviceops/CTransfers.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {
namespace {

class RecordingPrompt : public IPrompt {
 public:
  struct Box {
    std::string text, caption;
    PromptButtons buttons;
    PromptIcon icon;
  };
  PromptAnswer answer = PromptAnswer::Yes;
  std::vector<Box> boxes;
  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                          PromptIcon icon) override {
    boxes.push_back({text, caption, buttons, icon});
    return buttons == PromptButtons::YesNo ? answer : PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

// A device file list as the worker reads it from the device.
void SetFiles(CQVX& link, const std::string& text) { link.SetInfo(CQVX::kFileList, text); }

CQVXFile FileOnDevice(CQVX& link, const std::string& name) {
  CQVXFile copy;
  link.WithFileList([&](const CQVXFileList& list) { copy = *list.GetAt(static_cast<size_t>(list.Find(name, true))); });
  return copy;
}

// A driver image with functions POWER and PLAY, each with a signal.
std::vector<uint8_t> DriverImage(IPrompt& prompt) {
  CDriverDoc doc(prompt);
  doc.OnNewDocument();
  for (const char* name : {"POWER", "PLAY"}) {
    const int at = doc.NewFunction();
    doc.RenameFunction(at, name);
    auto sub = std::make_unique<TQVXIrSubFunction>();
    sub->SetDivider(1736);
    sub->SetTimes({100, 200});
    sub->SetCounts(0x42);
    const uint8_t selectors[] = {0x01, 0x10};
    sub->SetHeaderAndBody(selectors, 1, selectors + 1, 1);
    doc.GetDriver().FindFunction(name)->AddSubFunction(std::move(sub));
  }
  return CTransfers::UploadImage(doc);
}

std::unique_ptr<CQVXEventFile> Received(const CQVXFile& file, int32_t kind, std::vector<uint8_t> data) {
  auto item = std::make_unique<CQVXDownloadable>(file.GetName(), kind, file.GetSize(),
                                                 static_cast<int32_t>(file.GetSortKey()));
  item->SetData(std::move(data));
  return std::make_unique<CQVXEventFile>(10, file.GetName(), std::move(item));
}

TEST(DeviceBar, APlaybackFileIsLoadedOnlyWhileItIsStillTheSelectedFile) {
  CQVX link;
  RecordingPrompt prompt;
  const std::vector<uint8_t> image = DriverImage(prompt);
  SetFiles(link, "12.vir," + std::to_string(image.size()) + ",2,3,5,24,14,7,9\r\n13.vir," +
                     std::to_string(image.size()) + ",2,3,5,24,14,8,0\r\n");
  const CQVXFile twelve = FileOnDevice(link, "12.vir");
  const CQVXFile thirteen = FileOnDevice(link, "13.vir");
  CDeviceBar bar;
  CTransfers transfers(link, prompt);

  ASSERT_TRUE(bar.SelectFile(twelve, link));
  const auto request = link.TakeNextDownload();
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->GetKind(), CQVXDownloadable::kKindPlayback);
  EXPECT_EQ(request->GetRemoteName(), "12.vir");

  // The user moved on to 13.vir before 12.vir arrived: 12.vir is dropped.
  ASSERT_TRUE(bar.SelectFile(thirteen, link));
  EXPECT_TRUE(transfers.HandleEvent(*Received(twelve, CQVXDownloadable::kKindPlayback, image), &bar, nullptr));
  EXPECT_FALSE(bar.HasDriver());
  EXPECT_FALSE(bar.ArePlaybackControlsVisible());

  // 13.vir as listed but with another size (changed on the device meanwhile).
  CQVXFile changed(thirteen.GetName(), thirteen.GetSize() + 1, 2, 3, 5, 24, 14, 8, 0);
  transfers.HandleEvent(*Received(changed, CQVXDownloadable::kKindPlayback, image), &bar, nullptr);
  EXPECT_FALSE(bar.HasDriver());
  // A document download of the selected file is not the bar's.
  transfers.HandleEvent(*Received(thirteen, CQVXDownloadable::kKindDocument, image), &bar, nullptr);
  EXPECT_FALSE(bar.HasDriver());

  transfers.HandleEvent(*Received(thirteen, CQVXDownloadable::kKindPlayback, image), &bar, nullptr);
  ASSERT_TRUE(bar.HasDriver());
  EXPECT_EQ(bar.GetLoadedName(), "13.vir");
  EXPECT_EQ(bar.GetFunctionNames(), (std::vector<std::string>{"POWER", "PLAY"}));
  // Selecting the loaded file again asks for nothing.
  link.ClearDownloads();
  EXPECT_FALSE(bar.SelectFile(thirteen, link));
  EXPECT_EQ(link.TakeNextDownload(), nullptr);
}

TEST(Transfers, DeleteAsksThenQueuesOneCommandPerNameAndTheBarForgetsItsDriver) {
  CQVX link;
  RecordingPrompt prompt;
  const std::vector<uint8_t> image = DriverImage(prompt);
  SetFiles(link, "3.vir," + std::to_string(image.size()) + ",2,3,5,24,14,7,9\r\n");
  const CQVXFile three = FileOnDevice(link, "3.vir");
  CDeviceBar bar;
  CTransfers transfers(link, prompt);
  bar.SelectFile(three, link);
  transfers.HandleEvent(*Received(three, CQVXDownloadable::kKindPlayback, image), &bar, nullptr);
  ASSERT_TRUE(bar.HasDriver());

  prompt.answer = PromptAnswer::No;
  EXPECT_EQ(transfers.Delete({"3.vir"}, &bar), 0);
  EXPECT_TRUE(link.TakeCommandQueue().empty());
  EXPECT_TRUE(bar.HasDriver());
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "Delete 3.vir?");
  EXPECT_EQ(prompt.boxes[0].caption, "Delete File(s)");
  EXPECT_EQ(prompt.boxes[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompt.boxes[0].icon, PromptIcon::None);

  prompt.answer = PromptAnswer::Yes;
  EXPECT_EQ(transfers.Delete({"3.vir", "", "old.vir"}, &bar), 2);
  EXPECT_EQ(prompt.boxes.back().text, "Delete 3 files?");
  EXPECT_EQ(link.TakeCommandQueue(), (std::vector<std::string>{"\x1b" "3.virEF\r", "\x1b" "old.virEF\r"}));
  EXPECT_FALSE(bar.HasDriver());
}

// Answers the upload dialogs: store as number N, and answer the replace
// question with REPLACE after recording what it showed.
class NumberUi : public IUploadUi {
 public:
  NumberUi(int number, bool replace) : m_number(number), m_replace(replace) {}
  bool ChooseName(CUploadNameChoice& choice) override {
    choice.SetChoice(CUploadNameChoice::kNumber);
    choice.SetNumber(m_number);
    return true;
  }
  bool ConfirmReplace(const std::string& name, const std::string& deviceTime, const std::string& localTime) override {
    asked.push_back({name, deviceTime, localTime});
    return m_replace;
  }
  void ShowProgress(CProgressAlert&) override { ++shown; }
  std::vector<std::vector<std::string>> asked;
  int shown = 0;

 private:
  int m_number;
  bool m_replace;
};

TEST(Transfers, ReplacingADeviceFileShowsBothTimesAndNoStopsTheUpload) {
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  CQVX link;
  RecordingPrompt prompt;
  CDriverDoc doc(prompt);
  doc.OnNewDocument();
  doc.RenameFunction(doc.NewFunction(), "POWER");
  SetFiles(link, "5.vir,120,2,3,5,24,14,7,9\r\n");

  NumberUi refuse(5, false);
  CTransfers transfers(link, prompt);
  EXPECT_EQ(transfers.Upload(doc, refuse), "");
  ASSERT_EQ(refuse.asked.size(), 1u);
  EXPECT_EQ(refuse.asked[0][0], "5.vir");
  EXPECT_EQ(refuse.asked[0][1], "Tuesday, March 05, 2024, 02:07:09 PM");
  EXPECT_EQ(refuse.asked[0][2], "");  // an untitled driver has no file time
  EXPECT_EQ(link.GetUploadCount(), 0);
  EXPECT_EQ(refuse.shown, 0);

  NumberUi accept(5, true);
  EXPECT_EQ(transfers.Upload(doc, accept), "5.vir");
  EXPECT_EQ(link.GetUploadCount(), 1);
  EXPECT_EQ(transfers.GetAlert().GetText().rfind("Uploading 5.vir (", 0), 0u);
  EXPECT_EQ(transfers.GetAlert().GetCompletionText(), "Driver uploaded as 5.vir");

  // A new number asks nothing.
  NumberUi fresh(6, false);
  EXPECT_EQ(transfers.Upload(doc, fresh), "6.vir");
  EXPECT_TRUE(fresh.asked.empty());
  if (oldTz) ::setenv("TZ", savedTz.c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

TEST(Transfers, ConnectionEventsShowTheirWarningsAndFailedUploadsChangeTheAlert) {
  CQVX link;
  RecordingPrompt prompt;
  CTransfers transfers(link, prompt);
  const std::vector<std::pair<uint32_t, std::string>> expected = {
      {13, "Connection Timeout."},
      {15, "Invalid serial connection parameters or specified port is in use."},
      {16, "Invalid Address"},
      {17, "Invalid password."},
      {18, "Administrative privileges required."}};
  for (const auto& [type, text] : expected) {
    EXPECT_TRUE(transfers.HandleEvent(CQVXEvent(type), nullptr, nullptr)) << type;
    ASSERT_FALSE(prompt.boxes.empty());
    EXPECT_EQ(prompt.boxes.back().text, text);
    EXPECT_EQ(prompt.boxes.back().buttons, PromptButtons::Ok);
    EXPECT_EQ(prompt.boxes.back().icon, PromptIcon::Warning);
  }
  EXPECT_EQ(prompt.boxes.size(), expected.size());
  EXPECT_FALSE(transfers.HandleEvent(CQVXEvent(14), nullptr, nullptr));

  transfers.GetAlert().Prepare("Uploading 7.vir (40 bytes)", "Driver uploaded as 7.vir", "7.vir");
  transfers.HandleEvent(CQVXEvent(20, "other.vir"), nullptr, nullptr);
  EXPECT_FALSE(transfers.GetAlert().IsFinished());
  transfers.HandleEvent(CQVXEvent(21, "7.VIR"), nullptr, nullptr);
  EXPECT_TRUE(transfers.GetAlert().IsFinished());
  EXPECT_EQ(transfers.GetAlert().GetShownText(), "Error encountered while uploading 7.vir");
}

}  // namespace
}  // namespace quillon
