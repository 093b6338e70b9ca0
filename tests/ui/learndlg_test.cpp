// "Learn/Verify IR Functions" in the program window against the real device
// emulator: the dialog is worked by clicking its buttons, and after every
// step what it shows is what its core says.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <fstream>
#include <functional>

#include "app/CProfile.h"
#include "capture/CLearnDlg.h"
#include "capture/IrSynth.h"
#include "deviceops/CLearnCommand.h"
#include "irmodel/TQVXIrFunction.h"
#include "tests/devicelink/link_emulator_support.h"
#include "tests/ui/LearnDlgChecks.h"
#include "tests/ui/ShellFixture.h"
#include "ui/CaptureAnimation.h"
#include "ui/DriverFrame.h"
#include "ui/DriverText.h"
#include "ui/FileDialog.h"
#include "ui/FunctionView.h"
#include "ui/LearnDlgView.h"
#include "ui/WaveformView.h"

namespace quillon::ui::testing {
namespace {

constexpr int kCaptureWaitMs = 15000;

class LearnDialogTest : public ShellTest {
 protected:
  LearnDialogTest() { SetWatchdogInterval(60000); }
  ~LearnDialogTest() override { Frame().Link().Disconnect(); }

  // A new DVD driver (its standard functions, all empty) with the first
  // three selected, and the main window's link connected to an emulator
  // started with ARGS.
  void StartConnected(std::vector<std::string> args = {}, int firstPulseMs = 150) {
    for (const std::string& arg : {std::string("--presses"), std::string("2"), std::string("--first-pulse-ms"),
                                   std::to_string(firstPulseMs), std::string("--capture-ms"), std::string("150")}) {
      args.push_back(arg);
    }
    m_emulator = std::make_unique<linktest::Emulator>(args);
    ASSERT_TRUE(m_emulator->Ready());
    ASSERT_TRUE(Start({}));
    Trigger("actionFileNew");
    ASSERT_NE(Frame().ActiveFrame(), nullptr);
    Document().ChooseDeviceType("DVD");
    ASSERT_GE(Document().GetDriver().GetFunctionCount(), 3);
    Frame().ActiveFrame()->FunctionView()->SelectPositions({0, 1, 2});
    Document().SetModifiedFlag(false);
    Frame().ActiveFrame()->Document().NotifyChanged();
    Frame().Link().SetSettingsFile(linktest::WriteSettings(Dir().Path()));
    Frame().Link().Connect(linktest::Tcp(m_emulator->Port()).get());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Frame().Link().GetState() == CQVX::kConnected && !Frame().Link().GetFirmware().empty(); },
        kCaptureWaitMs));
  }

  CDriverDoc& Document() { return Frame().ActiveFrame()->Document().Doc(); }

  // Runs Learn Selected Functions and works the dialog with DRIVE while it
  // is open. A dialog DRIVE leaves open is a failure and is closed.
  void RunLearn(const std::function<void(CLearnDlgView&)>& drive) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
      CLearnDlgView* view = nullptr;
      if (!QTest::qWaitFor(
              [&] { return (view = qobject_cast<CLearnDlgView*>(QApplication::activeModalWidget())) != nullptr; },
              5000)) {
        return;
      }
      opened = true;
      drive(*view);
      if (view->isVisible()) {
        ADD_FAILURE() << "the learn dialog was left open: " << view->Core().GetStatusText();
        view->done(QDialog::Rejected);
      }
    });
    Action("actionLearnSelected")->trigger();
    Settle();
    EXPECT_TRUE(opened) << "no learn dialog";
  }

  template <typename T = QWidget>
  static T* Child(CLearnDlgView& view, const char* name) {
    T* widget = view.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }


  static void Click(CLearnDlgView& view, const char* name) {
    auto* button = Child<QAbstractButton>(view, name);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name << " cannot be clicked";
    QTest::mouseClick(button, Qt::LeftButton);
  }

  static void ClickRow(CLearnDlgView& view, int row) {
    auto* list = Child<QTreeView>(view, "list");
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }

  static bool WaitForRest(CLearnDlgView& view, CLearnDlg::State state) {
    return QTest::qWaitFor([&] { return view.Core().GetState() == state; }, kCaptureWaitMs);
  }

  std::unique_ptr<linktest::Emulator> m_emulator;
};

TEST_F(LearnDialogTest, LearnAndVerifyThreeFunctionsByClickingThenOkUpdatesTheDriverWindow) {
  StartConnected({"--running-events", "2"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame().Link().GetRunningEventCount() == 2; }, kCaptureWaitMs));
  const std::vector<std::string> names = {Document().GetDriver().GetFunction(0)->GetName(),
                                          Document().GetDriver().GetFunction(1)->GetName(),
                                          Document().GetDriver().GetFunction(2)->GetName()};
  QtPrompt::SetNextAnswer(PromptAnswer::Yes);  // stop the events running on the device
  RunLearn([&](CLearnDlgView& view) {
    const CLearnDlg& core = view.Core();
    ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetStatusText() == "Ready"; }, 5000)) << core.GetStatusText();
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Learn/Verify IR Functions"));
    ExpectLearnDialogShowsCore(view, "opened");
    EXPECT_EQ(Child<QLabel>(view, "progressLabel")->text(), QStringLiteral("0 of 3 learned"));
    EXPECT_FALSE(Child<QWidget>(view, "verifyButton")->isEnabled());  // nothing to verify yet
    // One button at a time: learn, then verify with the second press.
    Child<QCheckBox>(view, "autoSelectBox")->click();
    ASSERT_FALSE(core.GetAutoSelect());
    Click(view, "enhancedAnalysisBox");
    ASSERT_TRUE(core.IsEnhancedAnalysis());

    for (int row = 0; row < 3; ++row) {
      const std::string at = "row " + std::to_string(row);
      if (row > 0) {
        ClickRow(view, row);
        EXPECT_EQ(core.GetSelectedRow(), row);
        ExpectLearnDialogShowsCore(view, at + " chosen");
      }
      EXPECT_EQ(Child<QLabel>(view, "currentName")->text().toStdString(), names[row]);
      const int signalled = view.CapturesSignalled();
      Click(view, "learnButton");
      EXPECT_EQ(core.GetState(), CLearnDlg::State::Capturing);
      ExpectLearnDialogShowsCore(view, at + " learning");
      ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetRows()[row].status == "Learned"; }, kCaptureWaitMs))
          << core.GetStatusText();
      ASSERT_TRUE(WaitForRest(view, CLearnDlg::State::Ready));
      ExpectLearnDialogShowsCore(view, at + " learned");
      EXPECT_EQ(view.CapturesSignalled(), signalled + 1);
      EXPECT_EQ(Child<QLabel>(view, "progressLabel")->text(), QStringLiteral("%1 of 3 learned").arg(row + 1));
      EXPECT_TRUE(Child<QLabel>(view, "carrierLabel")->text().startsWith(QStringLiteral("Carrier ")));
      auto* picture = Child<WaveformView>(view, "waveformView");
      ASSERT_EQ(picture->Traces().size(), 2u);
      EXPECT_EQ(picture->Traces()[0].label, QStringLiteral("Captured"));
      EXPECT_EQ(picture->Traces()[1].label, QStringLiteral("Learned"));

      Click(view, "verifyButton");
      ExpectLearnDialogShowsCore(view, at + " verifying");
      EXPECT_EQ(Child<QPushButton>(view, "reLearnButton")->text(), QStringLiteral("Re-Verify"));
      ASSERT_TRUE(WaitForRest(view, CLearnDlg::State::Result)) << core.GetStatusText();
      ExpectLearnDialogShowsCore(view, at + " verified");
      EXPECT_EQ(core.GetStatusText(), "Verify Successful");
      EXPECT_EQ(core.GetLastCapture().analysis, TIrAnalysisMethod::Enhanced);
      EXPECT_EQ(picture->Traces()[1].label, QStringLiteral("Stored"));
      auto* report = Child<QPlainTextEdit>(view, "verifyReport");
      EXPECT_TRUE(report->isVisibleTo(&view));
      EXPECT_TRUE(report->toPlainText().startsWith(QStringLiteral("Carrier "))) << report->toPlainText().toStdString();
      EXPECT_FALSE(report->toPlainText().contains(QStringLiteral("outside")));
      // The title bar cannot close the dialog now.
      view.close();
      EXPECT_TRUE(view.isVisible());
      Click(view, "acceptButton");
      ExpectLearnDialogShowsCore(view, at + " accepted");
      EXPECT_EQ(core.GetState(), CLearnDlg::State::Ready);
    }
    Click(view, "okButton");
  });
  EXPECT_EQ(TakeMessages().front().rfind("There are 2 events running on the QVX device.\n", 0), 0u);
  // The events were stopped for the dialog and started again after it.
  EXPECT_TRUE(QTest::qWaitFor([&] { return m_emulator->CountInLog("1AE") == 1; }, 5000));
  EXPECT_EQ(m_emulator->CountInLog("0AE"), 1);

  // The driver window shows the learned functions at once.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Document().GetDriver().GetFunction(i)->GetSubFunctionCount(), 1) << i;
  EXPECT_EQ(Document().GetDriver().GetFunction(3)->GetSubFunctionCount(), 0);
  EXPECT_TRUE(Document().IsModified());
  EXPECT_TRUE(Frame().MdiArea()->currentSubWindow()->windowTitle().endsWith(QLatin1Char('*')));
  EXPECT_TRUE(Frame().windowTitle().endsWith(QStringLiteral("*]")));
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), 1);
}

// The functions of a driver as comparable text: name, flags, sub-functions.
std::string Snapshot(const TQVXIr& driver) {
  std::string text;
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction& f = *driver.GetFunction(i);
    text += std::string(f.GetName() ? f.GetName() : "") + "/" + std::to_string(f.GetFlags()) + "/" +
            std::to_string(f.GetSubFunctionCount()) + ";";
  }
  return text;
}

TEST_F(LearnDialogTest, CancelLeavesTheDocumentAsItWas) {
  StartConnected({}, 1500);
  const std::string before = Snapshot(Document().GetDriver());
  RunLearn([&](CLearnDlgView& view) {
    const CLearnDlg& core = view.Core();
    Click(view, "learnButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return core.GetRows()[0].status == "Learned"; }, kCaptureWaitMs));
    // Auto-select moved on and learns the next function at once.
    EXPECT_EQ(core.GetSelectedRow(), 1);
    EXPECT_EQ(core.GetState(), CLearnDlg::State::Capturing);
    ExpectLearnDialogShowsCore(view, "second row capturing");
    EXPECT_FALSE(Child<QWidget>(view, "cancelButton")->isEnabled());
    Click(view, "abortButton");
    // While the device still waits, it reports the abort first; a second
    // Abort then returns to rest.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return core.GetState() == CLearnDlg::State::Ready || core.GetStatusText() == "Capture Aborted"; },
        kCaptureWaitMs));
    ExpectLearnDialogShowsCore(view, "abort asked");
    if (core.GetState() == CLearnDlg::State::Capturing) Click(view, "abortButton");
    ASSERT_TRUE(WaitForRest(view, CLearnDlg::State::Ready)) << core.GetStatusText();
    ExpectLearnDialogShowsCore(view, "aborted");
    // Escape is Cancel.
    QTest::keyClick(&view, Qt::Key_Escape);
  });
  EXPECT_EQ(Snapshot(Document().GetDriver()), before);
  EXPECT_FALSE(Document().IsModified());
  EXPECT_FALSE(Frame().MdiArea()->currentSubWindow()->windowTitle().endsWith(QLatin1Char('*')));
}

TEST_F(LearnDialogTest, TheBinLoaderAnalysesAFileAndTheAnalysisBoxIsRemembered) {
  StartConnected();
  IrSynth::Options options;
  const std::vector<std::uint8_t> capture = IrSynth::ToQVX(IrSynth::Make("rc5", options), options);
  const std::string bin = Dir().File("rc5.bin");
  std::ofstream(bin, std::ios::binary).write(reinterpret_cast<const char*>(capture.data()),
                                             static_cast<std::streamsize>(capture.size()));
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), -1);
  RunLearn([&](CLearnDlgView& view) {
    EXPECT_FALSE(Child<QCheckBox>(view, "enhancedAnalysisBox")->isChecked());
    Click(view, "enhancedAnalysisBox");
    // The loader is a hidden button that Ctrl+B presses.
    auto* loadBin = Child<QAction>(view, "actionLoadBin");
    ASSERT_NE(loadBin, nullptr);
    EXPECT_EQ(loadBin->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    FileDialog::SetNextFileName(QString::fromStdString(bin));
    loadBin->trigger();
    EXPECT_EQ(FileDialog::LastOptions().filter, QStringLiteral("BIN Files (*.bin);;All Files (*)"));
    EXPECT_EQ(FileDialog::LastOptions().defaultSuffix, QStringLiteral("bin"));
    EXPECT_NE(view.Core().GetCaptureResult().time_count, 0);
    EXPECT_EQ(view.Core().GetLastCapture().analysis, TIrAnalysisMethod::Enhanced);
    ExpectLearnDialogShowsCore(view, "file analysed");
    EXPECT_EQ(Child<QGroupBox>(view, "captureGroup")->title(), QStringLiteral("Capture from file"));
    EXPECT_EQ(Child<WaveformView>(view, "waveformView")->Traces().size(), 2u);
    // A file that cannot be read is named with the reason.
    QtPrompt::SetNextAnswer(PromptAnswer::Ok);
    FileDialog::SetNextFileName(QString::fromStdString(Dir().File("missing.bin")));
    Child<QPushButton>(view, "binButton")->click();
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Dir().File("missing.bin") + ": No such file or directory");
    Click(view, "cancelButton");
  });
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), 1);
  RunLearn([&](CLearnDlgView& view) {
    EXPECT_TRUE(Child<QCheckBox>(view, "enhancedAnalysisBox")->isChecked());
    EXPECT_TRUE(view.Core().IsEnhancedAnalysis());
    Click(view, "enhancedAnalysisBox");
    Click(view, "okButton");
  });
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), 0);
}

TEST_F(LearnDialogTest, WithoutAConnectionTheDialogSaysSoAndOnlyCloses) {
  ASSERT_TRUE(Start({}));
  Trigger("actionFileNew");
  Frame().ActiveFrame()->Document().Doc().ChooseDeviceType("DVD");
  Frame().ActiveFrame()->Document().Doc().SetModifiedFlag(false);
  Frame().ActiveFrame()->FunctionView()->SelectPositions({0});
  RunLearn([&](CLearnDlgView& view) {
    EXPECT_EQ(view.Core().GetState(), CLearnDlg::State::NotReady);
    ExpectLearnDialogShowsCore(view, "not connected");
    EXPECT_EQ(Child<QLineEdit>(view, "statusText")->text(),
              QStringLiteral("Not connected to an Velmor IR Learning device."));
    // While the dialog runs, the main window leaves the device's events to it.
    EXPECT_TRUE(Frame().LearnCommand().IsLearnActive());
    view.close();
  });
  EXPECT_FALSE(Frame().LearnCommand().IsLearnActive());
  EXPECT_FALSE(Frame().ActiveFrame()->Document().Doc().IsModified());
}

}  // namespace
}  // namespace quillon::ui::testing
