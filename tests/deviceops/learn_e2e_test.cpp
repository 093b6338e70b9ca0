// Learning and transfers against the real emulator, over TCP and over a
// pseudo-terminal: learn and verify a five-function driver, save it, upload
// it, download it back and compare the bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "app/CCommandLibrary.h"
#include "app/CMfgList.h"
#include "app/CProfile.h"
#include "app/CReferenceLists.h"
#include "capture/IrSynth.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXEventFile.h"
#include "deviceops/CLearnAutomation.h"
#include "deviceops/CLearnCommand.h"
#include "deviceops/CTransfers.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Watcher;

class YesPrompt : public IPrompt {
 public:
  std::vector<std::string> messages;
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons buttons,
                          PromptIcon) override {
    messages.push_back(text);
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return -1;
  }
};

// Takes the automatic name and follows the upload to its end.
class AutoUploadUi : public IUploadUi {
 public:
  AutoUploadUi(Watcher& watch, CTransfers& transfers) : m_watch(watch), m_transfers(transfers) {}
  bool ChooseName(CUploadNameChoice& choice) override {
    return choice.GetChoice() == CUploadNameChoice::kAutoNumber;
  }
  bool ConfirmReplace(const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  void ShowProgress(CProgressAlert& alert) override {
    EXPECT_TRUE(m_watch.WaitFor(
        [&] {
          for (uint32_t kind : {6u, 20u, 21u}) {
            if (CQVXEvent* event = m_watch.Last(kind)) m_transfers.HandleEvent(*event, nullptr, nullptr);
          }
          return alert.IsFinished();
        },
        15000))
        << m_watch.Describe();
  }

 private:
  Watcher& m_watch;
  CTransfers& m_transfers;
};

// Two captures of each of five buttons, as a user presses each twice.
std::string WriteCaptures(const std::string& dir) {
  const std::string folder = dir + "/captures";
  std::filesystem::create_directories(folder);
  const char* protocols[] = {"nec", "rc5", "sony12", "rc6", "jvc"};
  for (int button = 0; button < 5; ++button) {
    for (int press = 0; press < 2; ++press) {
      IrSynth::Options options;
      options.command = static_cast<uint32_t>(0x20 + button);
      options.seed = static_cast<uint32_t>(button * 10 + press + 1);
      const auto bytes = IrSynth::ToQVX(IrSynth::Make(protocols[button], options), options);
      std::ofstream out(folder + "/" + std::to_string(button) + "-" + std::to_string(press) + ".bin",
                        std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
  return folder;
}

class LearnEndToEnd : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("learn");
    setenv("QUILLON_USER_REGISTRY", (m_dir + "/user.ini").c_str(), 1);
    setenv("QUILLON_MACHINE_REGISTRY", (m_dir + "/machine.ini").c_str(), 1);
    CReferenceLists::LoadEmbedded(m_library, m_manufacturers);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string m_dir;
  CCommandLibrary m_library;
  CMfgList m_manufacturers;
};

// Learns and verifies five functions from the emulator started with ARGS,
// saves the driver, uploads it, downloads it back and compares the bytes.
void LearnCycle(const std::string& dir, const CCommandLibrary& library, bool serial,
                std::vector<std::string> args) {
  for (const char* arg : {"--first-pulse-ms", "150", "--capture-ms", "150", "--running-events", "2"}) {
    args.push_back(arg);
  }
  Emulator emulator(args, serial);
  ASSERT_TRUE(serial ? !emulator.PtyPath().empty() : emulator.Ready());

  CQVX link;
  const std::string settings = linktest::WriteSettings(dir);
  link.SetSettingsFile(settings);
  Watcher watch(link);
  if (serial) {
    CQVXConnectionSerial description;
    description.SetBitRate(115200);
    link.SetSerialDevicePath(emulator.PtyPath());
    link.Connect(&description);
  } else {
    link.Connect(linktest::Tcp(emulator.Port()).get());
  }
  ASSERT_TRUE(watch.WaitForEvent(7, 15000, 2)) << watch.Describe();
  ASSERT_EQ(link.GetRunningEventCount(), 2);

  // A new driver laid out along the DVD list, five functions selected.
  YesPrompt prompt;
  CDriverDoc doc(prompt, &library);
  ASSERT_TRUE(doc.OnNewDocument());
  CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
  fields.deviceType = "DVD";
  doc.ApplyHeaderEdits(fields);
  doc.ChooseDeviceType("DVD");
  const std::vector<std::string> names = {"POWER", "PLAY", "STOP", "PAUSE", "MENU"};
  std::vector<int> positions;
  for (const auto& name : names) {
    int at = doc.GetDriver().IndexOfFunction(name);
    if (at < 0) {
      at = doc.NewFunction();
      ASSERT_GE(at, 0);
      ASSERT_TRUE(doc.RenameFunction(at, name));
      at = doc.GetDriver().IndexOfFunction(name);
    }
    positions.push_back(at);
  }
  doc.SetSelection(positions);

  CLearnCommand command(&link, prompt, settings);
  CLearnAutomation::Options options;
  options.verify = true;
  options.captureTimeoutMs = 10000;
  CLearnAutomation automation(options);
  std::vector<std::string> statuses;
  automation.SetStatusListener(
      [&](const std::string&, const std::string& status) { statuses.push_back(status); });
  std::string failure = "not run";
  const auto end = command.Run(&doc, "5", [&](CLearnDlg& dlg) { failure = automation.Run(dlg); });
  ASSERT_EQ(failure, "");
  ASSERT_EQ(end, CLearnDlg::EndResult::Ok);
  EXPECT_EQ(automation.GetVerified(), 5);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Verify Successful"), 5);
  // The running events were stopped before the dialog and started after it.
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind("There are 2 events running on the QVX device.\n", 0), 0u);
  for (const auto& name : names) {
    const TQVXIrFunction* function = doc.GetDriver().FindFunction(name);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->GetSubFunctionCount(), 1) << name;
  }
  EXPECT_EQ(CProfile::GetLearnAutoSelect(), 1);

  const std::string path = dir + "/learned.vir";
  ASSERT_TRUE(doc.OnSaveDocument(path));
  CDriverDoc saved(prompt, &library);
  ASSERT_TRUE(saved.OnOpenDocument(path));
  const std::vector<uint8_t> image = CTransfers::UploadImage(saved);
  ASSERT_FALSE(image.empty());

  CTransfers transfers(link, prompt);
  AutoUploadUi ui(watch, transfers);
  ASSERT_EQ(transfers.Upload(saved, ui), "0.vir");
  EXPECT_EQ(transfers.GetAlert().GetShownText(), "Driver uploaded as 0.vir");

  link.SetRequestBits(CQVX::kRequestFileList);
  const int lists = watch.Count(7);
  ASSERT_TRUE(watch.WaitForEvent(7, 15000, lists + 1));
  ASSERT_EQ(transfers.Download({"0.vir"}), 1);
  std::vector<uint8_t> received;
  ASSERT_TRUE(watch.WaitFor(
      [&] {
        if (CQVXEvent* event = watch.Last(10)) {
          transfers.HandleEvent(*event, nullptr,
                                [&](const CQVXDownloadable& item) { received = item.GetData(); });
        }
        return !received.empty();
      },
      15000))
      << watch.Describe();
  EXPECT_EQ(received, image);

  EXPECT_EQ(emulator.CountInLog("0AE"), 1);
  EXPECT_EQ(emulator.CountInLog("1AE"), 1);
  link.Disconnect();
}

TEST_P(LearnEndToEnd, LearnVerifySaveUploadDownload) {
  LearnCycle(m_dir, m_library, GetParam(), {"--captures", WriteCaptures(m_dir)});
}

// The emulator's own signals, each reported twice as a user presses a button
// once to learn it and once to verify it.
TEST_F(LearnEndToEnd, BuiltInSignalsPressedTwice) { LearnCycle(m_dir, m_library, false, {"--presses", "2"}); }

INSTANTIATE_TEST_SUITE_P(Links, LearnEndToEnd, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Serial" : "Tcp"; });

}  // namespace
}  // namespace quillon
