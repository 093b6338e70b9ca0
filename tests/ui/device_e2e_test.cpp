// The whole main job with the mouse, through the real windows against the
// real device emulator: find the device and connect through the connection
// dialog, learn and verify three functions of a new DVD driver, save it,
// upload it with an automatic number, see it and its functions in the device
// bar, download it into a new window, delete it, and lose the device.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "capture/CLearnDlg.h"
#include "devicelink/CQVX.h"
#include "devicelink/CQVXIrFinder.h"
#include "irmodel/TQVXIrFunction.h"
#include "platform/UdpSocket.h"
#include "tests/devicelink/link_emulator_support.h"
#include "tests/ui/LearnDlgChecks.h"
#include "tests/ui/ShellFixture.h"
#include "ui/ConnectionParamsDlg.h"
#include "ui/DetailView.h"
#include "ui/DeviceBar.h"
#include "ui/DriverFrame.h"
#include "ui/DriverText.h"
#include "ui/FileDialog.h"
#include "ui/FunctionView.h"
#include "ui/LearnDlgView.h"
#include "ui/ModalAlertDlg.h"
#include "ui/UploadNameDlg.h"

namespace quillon::ui {
namespace {

constexpr int kWaitMs = 15000;

template <typename T = QWidget>
T* Child(QWidget& parent, const char* name) {
  auto* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void Click(QWidget& parent, const char* name) {
  auto* button = Child<QAbstractButton>(parent, name);
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name << " cannot be clicked";
  QTest::mouseClick(button, Qt::LeftButton);
}

// Runs ACT on the modal dialog of type T as soon as it is open; a dialog ACT
// leaves open is closed and counts as a failure.
template <typename T>
void WhenOpen(std::function<void(T&)> act, bool* opened) {
  QTimer::singleShot(0, [act = std::move(act), opened] {
    T* dialog = nullptr;
    if (!QTest::qWaitFor([&] { return (dialog = qobject_cast<T*>(QApplication::activeModalWidget())) != nullptr; },
                         5000)) {
      return;
    }
    *opened = true;
    act(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "left open: " << dialog->windowTitle().toStdString();
      dialog->done(QDialog::Rejected);
    }
  });
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DeviceEndToEndTest : public testing::ShellTest {
 protected:
  DeviceEndToEndTest() { SetWatchdogInterval(60000); }
  QString StatusText() { return Child<QLabel>(Frame(), "connectionStatus")->text(); }
  CDriverFrame& Active() { return *Frame().ActiveFrame(); }
  CDlgToolBarQVX& Bar() { return *Frame().DeviceBar(); }
};

TEST_F(DeviceEndToEndTest, FindConnectLearnSaveUploadListDownloadDeleteAndLoseTheDevice) {
  UdpSocket probe;
  ASSERT_TRUE(probe.Open() && probe.Bind(0, 0));
  const uint16_t answerPort = probe.LocalPort();
  probe.Close();
  linktest::Emulator emulator({"--name", "Bench Rack", "--presses", "2", "--first-pulse-ms", "150", "--capture-ms",
                               "150", "--discovery", "--ask-port", "0", "--answer-port", std::to_string(answerPort)});
  ASSERT_TRUE(emulator.Ready());
  ASSERT_TRUE(Start({}));
  Frame().Finder().SetPorts(static_cast<uint16_t>(emulator.DiscoveryPort()), answerPort);
  Frame().Link().SetSettingsFile(linktest::WriteSettings(emulator.Dir()));

  // --- Find the device and connect through the dialog.
  bool opened = false;
  WhenOpen<CDeviceConnectionDialog>(
      [&](CDeviceConnectionDialog& dialog) {
        Click(dialog, "scanButton");
        auto* list = Child<QTreeWidget>(dialog, "deviceList");
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 1; }, 5000));
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Bench Rack"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(0)).center());
        auto* port = Child<QLineEdit>(dialog, "portEdit");
        port->selectAll();
        QTest::keyClicks(port, QString::number(emulator.Port()));
        Click(dialog, "connectButton");
      },
      &opened);
  Trigger("actionConnectionParameters");
  ASSERT_TRUE(opened);
  ASSERT_TRUE(QTest::qWaitFor([&] { return StatusText() == QStringLiteral("Connection Status: Connected"); }, kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Frame().LinkCore().GetDeviceInfo().name.empty(); }, kWaitMs));

  // --- A new DVD driver, its type chosen on the Header tab.
  Trigger("actionFileNew");
  ASSERT_NE(Frame().ActiveFrame(), nullptr);
  QTabWidget* tabs = Active().DetailView()->Tabs();
  for (int i = 0; i < tabs->count(); ++i) {
    if (tabs->tabText(i) == QStringLiteral("Header")) tabs->setCurrentIndex(i);
  }
  auto* type = Child<QComboBox>(*tabs, "typeCombo");
  const int dvd = type->findText(QStringLiteral("DVD"));
  ASSERT_GE(dvd, 0);
  type->setCurrentIndex(dvd);
  emit type->activated(dvd);
  CDriverDoc& doc = Active().Document().Doc();
  ASSERT_GE(doc.GetDriver().GetFunctionCount(), 3);
  Active().FunctionView()->SelectPositions({0, 1, 2});
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) names.push_back(doc.GetDriver().GetFunction(i)->GetName());

  // --- Learn and verify the three by clicking Learn, Verify and Accept.
  opened = false;
  WhenOpen<CLearnDlgView>(
      [&](CLearnDlgView& view) {
        const CLearnDlg& core = view.Core();
        ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetStatusText() == "Ready"; }, 5000)) << core.GetStatusText();
        ExpectLearnDialogShowsCore(view, "opened");
        // One function at a time, each learned and then verified; the
        // enhanced analysis, as for real remotes.
        if (core.GetAutoSelect()) Child<QCheckBox>(view, "autoSelectBox")->click();
        ASSERT_FALSE(core.GetAutoSelect());
        if (!core.IsEnhancedAnalysis()) Click(view, "enhancedAnalysisBox");
        ASSERT_TRUE(core.IsEnhancedAnalysis());
        for (int row = 0; row < 3; ++row) {
          const std::string at = "row " + std::to_string(row);
          if (row > 0) {
            auto* list = Child<QTreeView>(view, "list");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
            ASSERT_EQ(core.GetSelectedRow(), row);
            ExpectLearnDialogShowsCore(view, at + " chosen");
          }
          Click(view, "learnButton");
          ExpectLearnDialogShowsCore(view, at + " learning");
          ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetState() == CLearnDlg::State::Ready &&
                                                   core.GetRows()[row].status == "Learned"; },
                                      kWaitMs))
              << core.GetStatusText();
          ExpectLearnDialogShowsCore(view, at + " learned");
          Click(view, "verifyButton");
          ExpectLearnDialogShowsCore(view, at + " verifying");
          ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetState() == CLearnDlg::State::Result; }, kWaitMs))
              << core.GetStatusText();
          ExpectLearnDialogShowsCore(view, at + " verified");
          EXPECT_EQ(core.GetStatusText(), "Verify Successful");
          Click(view, "acceptButton");
          ExpectLearnDialogShowsCore(view, at + " accepted");
        }
        Click(view, "okButton");
      },
      &opened);
  Trigger("actionLearnSelected");
  ASSERT_TRUE(opened);
  // OK updated the driver window: the learned functions, the modified mark.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(doc.GetDriver().GetFunction(i)->GetSubFunctionCount(), 1) << i;
  EXPECT_TRUE(Frame().MdiArea()->currentSubWindow()->windowTitle().endsWith(QLatin1Char('*')));

  // --- Save.
  const std::string saved = DriverPath("dvd.vir");
  FileDialog::SetNextFileName(QString::fromStdString(saved));
  Trigger("actionFileSaveAs");
  ASSERT_TRUE(std::filesystem::exists(saved));
  EXPECT_FALSE(doc.IsModified());

  // --- Upload with an automatic number; the progress alert ends "Done.".
  bool named = false, progressed = false;
  WhenOpen<CUploadNameDlg>(
      [&](CUploadNameDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Upload Driver"));
        EXPECT_TRUE(Child<QRadioButton>(dialog, "autoNumberChoice")->isChecked());
        EXPECT_FALSE(Child<QWidget>(dialog, "numberSpin")->isEnabled());
        WhenOpen<CModalAlertDlg>(
            [&](CModalAlertDlg& alert) {
              ASSERT_TRUE(QTest::qWaitFor(
                  [&] { return alert.windowTitle() == QString::fromLatin1(CModalAlertDlg::kDoneTitle); }, kWaitMs));
              EXPECT_EQ(Child<QLabel>(alert, "alertText")->text(), QStringLiteral("Driver uploaded as 0.vir"));
              alert.accept();
            },
            &progressed);
        Child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
      },
      &named);
  Trigger("actionFileUpload");
  ASSERT_TRUE(named);
  ASSERT_TRUE(progressed);

  // --- The device bar lists the file and, once it is selected, its functions.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto listed = Bar().ListedFileNames();
        return std::find(listed.begin(), listed.end(), "0.vir") != listed.end();
      },
      kWaitMs));
  Bar().SelectFiles({"0.vir"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return Bar().ListedFunctions().size() >= 3; }, kWaitMs));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Bar().ListedFunctions()[i].second, names[i]) << i;

  // --- Download it into a new window: the same driver as the one saved.
  const std::size_t before = Frame().Documents().size();
  TakeMessages();
  QtPrompt::SetNextAnswer(PromptAnswer::Yes);
  Trigger("actionFileDownload");
  EXPECT_EQ(TakeMessages().size(), 1u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame().Documents().size() == before + 1; }, kWaitMs));
  DriverDocument* received = Frame().Documents().back();
  EXPECT_EQ(received->Title(), QStringLiteral("0.vir"));
  // Saved under the same name (a driver records its file name), the two
  // files are the same bytes.
  std::filesystem::create_directories(DriverPath("back"));
  const std::string again = DriverPath("back/dvd.vir");
  ASSERT_TRUE(received->Doc().OnSaveDocument(again));
  EXPECT_EQ(ReadBytes(again), ReadBytes(saved));

  // --- Delete it, the question answered Yes.
  Bar().SelectFiles({"0.vir"});
  TakeMessages();
  QtPrompt::SetNextAnswer(PromptAnswer::Yes);
  Trigger("actionFileDelete");
  const std::vector<std::string> asked = TakeMessages();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("0.vir"), std::string::npos) << asked[0];
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto listed = Bar().ListedFileNames();
        return std::find(listed.begin(), listed.end(), "0.vir") == listed.end();
      },
      kWaitMs));

  // --- The device goes: "Connection Lost", and the device bar empties.
  emulator.Kill();
  ASSERT_TRUE(QTest::qWaitFor([&] { return StatusText() == QStringLiteral("Connection Status: Connection Lost"); },
                              kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Frame().Link().GetState() == CQVX::kDisconnected; }, 5000));
  Settle();
  EXPECT_EQ(StatusText(), QStringLiteral("Connection Status: Connection Lost"));
  EXPECT_TRUE(Bar().ListedFileNames().empty());
  EXPECT_TRUE(Bar().ListedFunctions().empty());
  EXPECT_TRUE(Frame().LinkCore().GetDeviceInfo().name.empty());
}

}  // namespace
}  // namespace quillon::ui
