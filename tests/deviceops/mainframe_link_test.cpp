// The main window's side of the device link without the window: when its
// timer takes the worker's events and what it does with each, the state
// shown, connecting (recent connections, the command line's connection, the
// reason a link failed) and, against the real emulator, the device bar and
// the transfers through to a device that vanishes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/CMemINI.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXIrData.h"
#include "deviceops/CMainFrameLink.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "tests/app/RegistryEnv.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;

class ScriptedPrompt : public IPrompt {
 public:
  struct Box {
    std::string text, caption;
    PromptIcon icon;
  };
  std::vector<Box> boxes;
  PromptAnswer yesNo = PromptAnswer::Yes;
  std::function<void()> whileShown;
  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                          PromptIcon icon) override {
    boxes.push_back({text, caption, icon});
    if (whileShown) whileShown();
    return buttons == PromptButtons::YesNo ? yesNo : PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes) texts.push_back(box.text);
    return texts;
  }
};

class Listener : public IMainFrameLinkListener {
 public:
  int states = 0, infos = 0, bars = 0, alerts = 0;
  std::vector<std::vector<uint8_t>> documents;
  std::vector<std::string> titles;
  void StateChanged() override { ++states; }
  void DeviceInfoChanged() override { ++infos; }
  void DeviceBarChanged() override { ++bars; }
  void AlertChanged() override { ++alerts; }
  void DocumentReceived(const CQVXDownloadable& item) override {
    documents.push_back(item.GetData());
    titles.push_back(item.GetRemoteName());
  }
};

class MainFrameLinkTest : public ::testing::Test {
 protected:
  MainFrameLinkTest() {
    CMemINI ini;
    ini.LoadBuffer(
        "[supported_learners]\nlearner_count=1\nlearner0=QVX-LRN\n"
        "[QVX-LRN]\npartnumber=71-2204-01\nlearntype=QVX\nfirstPort=1\nlastPort=4\n");
    m_types.Load(ini);
    m_link.SetDeviceTable(&m_types);
    m_core.SetListener(&m_listener);
  }

  ::quillon::testing::RegistryEnv m_env;
  CQVXDeviceTypeList m_types;
  CQVX m_link;
  ScriptedPrompt m_prompt;
  Listener m_listener;
  CMainFrameLink m_core{m_link, m_prompt};
};

TEST_F(MainFrameLinkTest, TheTimerLeavesTheEventsAloneWhileSuspendedBusyOrLearning) {
  bool learning = true;
  m_core.SetLearnActiveQuery([&] { return learning; });
  std::vector<bool> handling;
  m_core.SetHandlingListener([&](bool on) { handling.push_back(on); });
  m_link.PostEvent(13);
  m_link.PostEvent(17);

  EXPECT_FALSE(m_core.Tick());  // the learn dialog takes the events
  learning = false;
  m_core.Suspend();
  m_core.Suspend();
  EXPECT_FALSE(m_core.Tick());
  m_core.Resume();
  EXPECT_FALSE(m_core.Tick());  // suspensions nest
  m_core.Resume();
  EXPECT_TRUE(m_prompt.boxes.empty());

  // A tick that shows a message box is still being handled while it is up:
  // a tick of the box's own event loop passes, and the events it would take
  // wait for the next one.
  std::vector<bool> nested;
  m_prompt.whileShown = [&] {
    EXPECT_TRUE(m_core.IsHandlingEvents());
    m_link.PostEvent(18);
    nested.push_back(m_core.Tick());
  };
  EXPECT_TRUE(m_core.Tick());
  m_prompt.whileShown = nullptr;
  EXPECT_EQ(nested, (std::vector<bool>{false, false}));
  EXPECT_EQ(m_prompt.Texts(), (std::vector<std::string>{"Connection Timeout.", "Invalid password."}));
  EXPECT_EQ(handling, (std::vector<bool>{true, false}));
  EXPECT_FALSE(m_core.IsHandlingEvents());
  EXPECT_TRUE(m_core.Tick());
  EXPECT_EQ(m_prompt.boxes.size(), 4u);  // the two posted inside the boxes
}

TEST_F(MainFrameLinkTest, ConnectionMessagesAreShownAndTheWorkersOwnKindsPassedOver) {
  for (uint32_t kind : {1u, 2u, 5u, 8u, 12u, 19u, 22u, 26u, 27u, 40u}) m_link.PostEvent(kind);
  m_link.PostRecord(std::make_unique<CQVXIrData>("Learned IR Data"));
  m_link.PostRecord(std::make_unique<CQVXEvent>(11, "Read String Timeout"));
  m_link.PostEvent(14);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_TRUE(m_prompt.boxes.empty());
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Connection Failed");

  for (uint32_t kind : {13u, 15u, 16u, 17u, 18u}) m_link.PostEvent(kind);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_EQ(m_prompt.Texts(),
            (std::vector<std::string>{"Connection Timeout.",
                                      "Invalid serial connection parameters or specified port is in use.",
                                      "Invalid Address", "Invalid password.", "Administrative privileges required."}));
  for (const auto& box : m_prompt.boxes) EXPECT_EQ(box.icon, PromptIcon::Warning);
}

TEST_F(MainFrameLinkTest, ClosingDrainsTheCommandQueueAndTheTransferLists) {
  m_link.QueueCommand("\x1b" "0AE\r");
  const uint8_t bytes[] = {1, 2, 3};
  ASSERT_TRUE(m_link.AddUpload(std::make_unique<CQVXUploadable>(bytes, 3, "1.vir")));
  ASSERT_TRUE(m_link.AddDownload(std::make_unique<CQVXDownloadable>("2.vir", CQVXDownloadable::kKindDocument)));
  m_link.PostEvent(3);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_TRUE(m_link.TakeCommandQueue().empty());
  EXPECT_EQ(m_link.GetUploadCount() + m_link.GetDownloadCount(), 0);
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Disconnecting");
}

TEST_F(MainFrameLinkTest, DeviceInformationIsShownWhileConnectedAndEmptiedAfter) {
  m_link.SetInfo(CQVX::kInfo1, "Rack 1");
  m_link.SetInfo(CQVX::kInfo2, "QVX Control Processor");
  m_link.SetInfo(CQVX::kMemory, "12 kB used of 12000000");
  m_link.SetInfo(CQVX::kFirmware, "1.05");
  m_link.SetInfo(CQVX::kFileList, "3.vir,512,1,6,15,2026,10,20,30\r\nnotes.txt,20,1,6,15,2026,10,20,31\r\n");
  m_link.IdentifyDeviceType("71-2204-01");
  m_link.PostEvent(0);
  m_link.PostEvent(7);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Connected");
  EXPECT_TRUE(m_core.IsConnectPressed());
  EXPECT_FALSE(m_core.CanConnect());
  EXPECT_TRUE(m_core.CanDisconnect());
  EXPECT_EQ(m_core.GetDeviceInfo().name, "Rack 1");
  EXPECT_EQ(m_core.GetDeviceInfo().version, "QVX Control Processor");
  EXPECT_EQ(m_core.GetDeviceInfo().memory, "12 kB used of 12000000");
  EXPECT_EQ(m_core.GetDeviceInfo().typeName, "QVX-LRN");
  EXPECT_EQ(m_core.GetPortCount(), 4);
  ASSERT_EQ(m_core.GetFiles().size(), 2u);
  EXPECT_EQ(m_core.GetFiles()[0].GetName(), "3.vir");
  EXPECT_EQ(m_listener.infos, 1);
  EXPECT_EQ(m_listener.states, 1);

  // The same information again changes nothing on the screen.
  m_link.PostEvent(7);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_EQ(m_listener.infos, 1);

  m_link.PostEvent(4);
  ASSERT_TRUE(m_core.Tick());
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Disconnected");
  EXPECT_FALSE(m_core.IsConnectPressed());
  EXPECT_TRUE(m_core.CanConnect());
  EXPECT_TRUE(m_core.GetFiles().empty());
  EXPECT_EQ(m_core.GetDeviceInfo().name, "");
  EXPECT_EQ(m_core.GetPortCount(), 0);
  EXPECT_EQ(m_listener.infos, 2);

  // Commands say what they need once the device is gone.
  EXPECT_EQ(m_core.Download({"3.vir"}), 0);
  EXPECT_EQ(m_prompt.Texts(), std::vector<std::string>{"Not connected to an Velmor IR Learning device."});
}

TEST_F(MainFrameLinkTest, EveryStateHasItsStatusText) {
  const char* texts[] = {"No Connection", "Connection Failed", "Connection Lost", "Disconnecting",
                         "Disconnected",  "Connecting",        "Connected"};
  for (int state = 0; state < 7; ++state) {
    EXPECT_EQ(CMainFrameLink::StatusText(state), std::string("Connection Status: ") + texts[state]);
  }
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: No Connection");
}

TEST_F(MainFrameLinkTest, ConnectingRemembersTheConnectionAndAFailedLinkSaysWhy) {
  EXPECT_EQ(m_core.Connect(), CQVX::kConnectionFailed);  // nothing chosen
  EXPECT_EQ(m_core.RecentConnections().GetCount(), 0);

  m_core.RecentConnections().AddFromText("TCP:10.0.0.7,23,,9d");
  m_core.RecentConnections().AddFromText("TCP:127.0.0.1,1,Old name,9d");
  m_core.SetCurrentConnection(CQVXConnectionType::CreateFromText("TCP:127.0.0.1,1,Bench,9d"));
  m_link.SetShowSocketErrors(true);
  EXPECT_EQ(m_core.Connect(), CQVX::kConnecting);
  EXPECT_TRUE(m_core.IsConnectPressed());
  ASSERT_EQ(m_core.RecentConnections().GetCount(), 2);
  EXPECT_EQ(m_core.RecentConnections().GetAt(0)->GetDisplayText(), "127.0.0.1:1  Bench");
  CQVXConnectionTypeList saved;
  const auto pending = saved.LoadRecentFromProfile();
  ASSERT_TRUE(pending);
  EXPECT_EQ(pending->GetDisplayText(), "127.0.0.1:1  Bench");
  ASSERT_EQ(saved.GetCount(), 2);
  EXPECT_EQ(saved.GetAt(0)->GetDisplayText(), "127.0.0.1:1  Bench");

  // Nothing listens on port 1: the link fails and the box tells why, once.
  for (int i = 0; i < 600 && m_core.GetState() != CQVX::kDisconnected; ++i) {
    m_core.Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(m_core.GetState(), CQVX::kDisconnected);
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Connection Failed");
  EXPECT_FALSE(m_core.IsConnectPressed());
  ASSERT_EQ(m_prompt.boxes.size(), 1u);
  EXPECT_EQ(m_prompt.boxes[0].caption, "Socket Error");
  EXPECT_EQ(m_prompt.boxes[0].text, "Connection refused");
  m_core.Tick();
  EXPECT_EQ(m_prompt.boxes.size(), 1u);
  // Disconnecting by hand says so plainly.
  m_core.Disconnect();
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: No Connection");
}

// A driver of two functions for uploading.
void FillDriver(CDriverDoc& doc) {
  doc.OnNewDocument();
  for (const char* name : {"POWER", "PLAY"}) {
    const int at = doc.NewFunction();
    doc.RenameFunction(at, name);
    auto sub = std::make_unique<TQVXIrSubFunction>();
    sub->SetDivider(1736);
    sub->SetTimes(std::vector<uint16_t>{0x20, 0x60});
    const uint8_t body[] = {0x01, 0x10};
    sub->SetHeaderAndBody(nullptr, 0, body, 2);
    sub->SetCounts(4 * 16 + 2);
    doc.GetDriver().GetFunction(at)->AddSubFunction(std::move(sub));
  }
}

// Chooses the proposed number and runs the timer while the alert waits.
class TickingUploadUi : public IUploadUi {
 public:
  TickingUploadUi(CMainFrameLink& core, std::function<void()> whileWaiting = nullptr)
      : m_core(core), m_whileWaiting(std::move(whileWaiting)) {}
  bool ChooseName(CUploadNameChoice& choice) override {
    proposed = choice.GetNumber();
    return true;
  }
  bool ConfirmReplace(const std::string&, const std::string&, const std::string&) override { return false; }
  void ShowProgress(CProgressAlert& alert) override {
    if (m_whileWaiting) m_whileWaiting();
    for (int i = 0; i < 800 && !alert.IsFinished(); ++i) {
      m_core.Tick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  int proposed = -1;

 private:
  CMainFrameLink& m_core;
  std::function<void()> m_whileWaiting;
};

class MainFrameLinkEmulatorTest : public MainFrameLinkTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_emulator.Ready());
    m_link.SetSettingsFile(linktest::WriteSettings(m_emulator.Dir()));
  }
  bool TickUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      m_core.Tick();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  bool HasFile(const std::string& name) {
    for (const auto& file : m_core.GetFiles()) {
      if (file.GetName() == name) return true;
    }
    return false;
  }
  Emulator m_emulator{{"--name", "Bench Rack", "--part", "71-2204-01"}};
};

TEST_F(MainFrameLinkEmulatorTest, CommandLineConnectionDeviceBarTransfersAndALostDevice) {
  bool commandLine = true;
  int cleared = 0;
  m_core.SetCommandLineConnection([&] { return commandLine; }, [&] {
    commandLine = false;
    ++cleared;
  });
  m_core.SetCurrentConnection(linktest::Tcp(m_emulator.Port()));
  ASSERT_TRUE(TickUntil([&] { return m_core.IsConnected() && !m_core.GetDeviceInfo().name.empty(); }));
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(m_core.RecentConnections().GetCount(), 1);
  EXPECT_EQ(m_core.GetDeviceInfo().name, "Bench Rack");
  EXPECT_EQ(m_core.GetDeviceInfo().typeName, "QVX-LRN");

  // Upload with the proposed number; the file shows in the list.
  ScriptedPrompt docPrompt;
  CDriverDoc doc(docPrompt);
  FillDriver(doc);
  TickingUploadUi ui(m_core);
  const std::string name = m_core.Upload(doc, ui);
  ASSERT_EQ(name, "0.vir");
  EXPECT_EQ(m_core.GetAlert().GetShownText(), "Driver uploaded as 0.vir");
  EXPECT_EQ(m_listener.alerts, 1);
  ASSERT_TRUE(TickUntil([&] { return HasFile("0.vir"); }));

  // Selecting it loads its functions for playback; playing sends the command.
  m_core.SelectDeviceFile("0.vir");
  ASSERT_TRUE(TickUntil([&] { return m_core.GetDeviceBar().HasDriver(); }));
  EXPECT_EQ(m_core.GetDeviceBar().GetFunctionNames(), (std::vector<std::string>{"POWER", "PLAY"}));
  // This model's ports are numbered 8 higher on the wire.
  EXPECT_TRUE(m_core.Play(2, 1, false));
  ASSERT_TRUE(TickUntil([&] { return m_emulator.CountInLog("10,0,2,0IR") > 0; })) << m_emulator.Log();

  // Download into a new document: the bytes are the uploaded image.
  ASSERT_EQ(m_core.Download({"0.vir"}), 1);
  ASSERT_TRUE(TickUntil([&] { return !m_listener.documents.empty(); }));
  EXPECT_EQ(m_listener.documents[0], CTransfers::UploadImage(doc));
  EXPECT_EQ(m_listener.titles[0], "0.vir");

  // Delete it: the device bar forgets it and the list loses it.
  ASSERT_EQ(m_core.Delete({"0.vir"}), 1);
  EXPECT_FALSE(m_core.GetDeviceBar().HasDriver());
  ASSERT_TRUE(TickUntil([&] { return !HasFile("0.vir"); }));

  // An upload whose device vanishes before it ends reports the failure.
  TickingUploadUi lost(m_core, [&] { m_emulator.Kill(); });
  EXPECT_EQ(m_core.Upload(doc, lost), "0.vir");
  EXPECT_TRUE(m_core.GetAlert().IsFinished());
  EXPECT_EQ(m_core.GetAlert().GetShownText(), "Error encountered while uploading 0.vir");
  ASSERT_TRUE(TickUntil([&] { return m_core.GetState() == CQVX::kDisconnected; }));
  // The worker has ended, and the status still says why.
  EXPECT_EQ(m_core.GetStatusText(), "Connection Status: Connection Lost");
  EXPECT_TRUE(m_core.GetFiles().empty());
  EXPECT_FALSE(m_core.GetDeviceBar().HasDriver());
  EXPECT_EQ(cleared, 1);
}

}  // namespace
}  // namespace quillon
