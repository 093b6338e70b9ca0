// The device bar and the File menu's transfers through the real windows,
// against the real emulator on 127.0.0.1: upload through "Upload Driver" and
// the progress alert, the replace question, the bar listing the file and its
// functions, playing one, downloading it into a new window, deleting it, and
// a device that vanishes. The dialogs also on their own, over their cores.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSpinBox>
#include <QTreeView>
#include <functional>

#include "deviceops/CMainFrameLink.h"
#include "deviceops/CProgressAlert.h"
#include "deviceops/CTransfers.h"
#include "deviceops/CUploadNameChoice.h"
#include "tests/devicelink/link_emulator_support.h"
#include "tests/ui/ShellFixture.h"
#include "ui/ConfirmFileReplaceDlg.h"
#include "ui/DeviceBar.h"
#include "ui/ModalAlertDlg.h"
#include "ui/UploadNameDlg.h"

namespace quillon::ui {
namespace {

using testing::ShellTest;
using testing::WriteDriver;

template <typename T>
T* Child(QWidget* parent, const char* name) {
  T* child = parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Answers the modal dialogs of one command in order: each step gets the
// dialog that is open and returns true once it is done with it.
class ModalScript {
 public:
  using Step = std::function<bool(QWidget* dialog)>;
  explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || m_next >= m_steps.size()) return;
      if (m_steps[m_next](modal)) ++m_next;
    });
    m_timer.start(30);
  }
  bool AllDone() const { return m_next == m_steps.size(); }

 private:
  std::vector<Step> m_steps;
  std::size_t m_next = 0;
  QTimer m_timer;
};

void Click(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->button(which), nullptr);
  ASSERT_TRUE(box->button(which)->isEnabled());
  box->button(which)->click();
}

// How many distinct colours a picture holds (an empty pane has one or two).
int Colours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  return colours.size();
}

class DeviceBarTest : public ShellTest {
 protected:
  // Starts the program with DRIVER open and connects to the emulator as the
  // connect toolbar does.
  void StartConnected(const std::string& driver) {
    ASSERT_TRUE(m_emulator.Ready());
    ASSERT_TRUE(Start({driver}));
    Frame().Link().SetSettingsFile(linktest::WriteSettings(m_emulator.Dir()));
    Frame().LinkCore().SetCurrentConnection(linktest::Tcp(m_emulator.Port()));
    Frame().LinkCore().Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Label("deviceName") == QStringLiteral("Bench Rack"); }, 15000))
        << Label("deviceName").toStdString();
  }
  CDlgToolBarQVX& Bar() { return *Frame().DeviceBar(); }
  QString Label(const char* name) {
    auto* label = Bar().findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
  }
  bool Listed(const std::string& name) {
    const auto names = Bar().ListedFileNames();
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  // The cells of the device file list's row showing NAME.
  QStringList FileRow(const std::string& name) {
    auto* view = Child<QTreeView>(&Bar(), "deviceFiles");
    for (int row = 0; row < view->model()->rowCount(); ++row) {
      if (view->model()->index(row, 0).data().toString().toStdString() != name) continue;
      QStringList cells;
      for (int column = 0; column < 3; ++column) cells << view->model()->index(row, column).data().toString();
      return cells;
    }
    return {};
  }
  // Runs the upload command with the dialogs answered by STEPS.
  void Upload(std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    Trigger("actionFileUpload");
    EXPECT_TRUE(script.AllDone());
  }

  linktest::Emulator m_emulator{{"--name", "Bench Rack"}};
};

// "Upload Driver": take number 7. Checks what the dialog offers first.
ModalScript::Step ChooseNumberSeven(bool autoEnabled) {
  return [autoEnabled](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Upload Driver"));
    auto* autoNumber = Child<QRadioButton>(dialog, "autoNumberChoice");
    auto* number = Child<QRadioButton>(dialog, "numberChoice");
    auto* local = Child<QRadioButton>(dialog, "localNameChoice");
    auto* spin = Child<QSpinBox>(dialog, "numberSpin");
    EXPECT_EQ(autoNumber->isEnabled(), autoEnabled);
    EXPECT_TRUE(autoNumber->isChecked());
    EXPECT_FALSE(spin->isEnabled());
    EXPECT_TRUE(local->isEnabled());  // the driver has a file
    EXPECT_EQ(local->text(), QStringLiteral("Use local filename (WARNING: Driver functions may not be playable)"));
    number->click();
    EXPECT_TRUE(spin->isEnabled());
    spin->setValue(7);
    Click(dialog, QDialogButtonBox::Ok);
    return true;
  };
}

TEST_F(DeviceBarTest, UploadListPlayDownloadDeleteAndADeviceThatVanishes) {
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "PLAY", "STOP"});
  StartConnected(tv);
  EXPECT_EQ(Label("deviceVersion"), QStringLiteral("QVX Control Processor (firmware 1.05)"));
  EXPECT_TRUE(Label("deviceMemory").contains(QStringLiteral("used of 12000000"))) << Label("deviceMemory").toStdString();
  const std::vector<std::uint8_t> image = CTransfers::UploadImage(Frame().Documents().front()->Doc());

  // Upload as 7.vir; the alert waits, then says where the driver went.
  QString alertText;
  Upload({ChooseNumberSeven(true), [&](QWidget* dialog) {
            if (dialog->windowTitle() != QStringLiteral("Done.")) {
              EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Please Wait..."));
              return false;
            }
            alertText = Child<QLabel>(dialog, "alertText")->text();
            Click(dialog, QDialogButtonBox::Ok);
            return true;
          }});
  EXPECT_EQ(alertText, QStringLiteral("Driver uploaded as 7.vir"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Listed("7.vir"); }, 10000));
  const CQVXFile* listed = nullptr;
  for (const CQVXFile& file : Frame().LinkCore().GetFiles()) listed = file.GetName() == "7.vir" ? &file : listed;
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(FileRow("7.vir"), (QStringList{"7.vir", QString::number(image.size()),
                                           QString::fromStdString(CMainFrameLink::FileDateText(*listed))}));

  // The same number again: the replace question shows both files; No ends it.
  QString deviceText, localText;
  Upload({ChooseNumberSeven(true), [&](QWidget* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Confirm File Replace"));
            deviceText = Child<QLabel>(dialog, "deviceFileText")->text();
            localText = Child<QLabel>(dialog, "localFileText")->text();
            Click(dialog, QDialogButtonBox::No);
            return true;
          }});
  const QString size = QLocale().toString(static_cast<qlonglong>(image.size()));
  EXPECT_TRUE(deviceText.startsWith(size + QStringLiteral(" bytes\nmodified "))) << deviceText.toStdString();
  EXPECT_TRUE(localText.startsWith(size + QStringLiteral(" bytes\nmodified "))) << localText.toStdString();
  EXPECT_EQ(m_emulator.CountInLog("+UF"), 1);

  // Selecting the file lists its functions and shows the playback controls.
  auto* controls = Child<QWidget>(&Bar(), "playbackControls");
  EXPECT_FALSE(controls->isVisibleTo(&Bar()));
  Bar().SelectFiles({"7.vir"});
  using Rows = std::vector<std::pair<std::string, std::string>>;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Bar().ListedFunctions().empty(); }, 10000));
  EXPECT_EQ(Bar().ListedFunctions(), (Rows{{"1", "POWER"}, {"2", "PLAY"}, {"3", "STOP"}}));
  EXPECT_TRUE(controls->isVisibleTo(&Bar()));

  // Look at it: the bar listing the file next to the driver.
  Frame().resize(1100, 640);
  Frame().show();
  Frame().MdiArea()->tileSubWindows();
  Settle();
  const QImage picture = Frame().grab().toImage();
  EXPECT_GT(Colours(Bar().grab().toImage()), 8);
  const QString keep = qEnvironmentVariable("QUILLON_UI_GRAB_DIR");
  if (!keep.isEmpty()) {
    QDir().mkpath(keep);
    picture.save(keep + QStringLiteral("/device-bar.png"));
  }

  // Play PLAY on port 3 once, then STOP repeating and stop it.
  auto* play = Child<QPushButton>(&Bar(), "playButton");
  EXPECT_FALSE(play->isEnabled());
  Bar().SelectFunctionRow(1);
  Child<QSpinBox>(&Bar(), "portSpin")->setValue(3);
  ASSERT_TRUE(play->isEnabled());
  play->click();
  Bar().SelectFunctionRow(2);
  Child<QCheckBox>(&Bar(), "repeatCheck")->setChecked(true);
  play->click();
  Child<QPushButton>(&Bar(), "stopButton")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_emulator.CountInLog("<ESC>3IR<CR>") > 0; }, 10000)) << m_emulator.Log();
  const std::string log = m_emulator.Log();
  const auto once = log.find("<ESC>3,7,2,0IR<CR>");
  const auto repeating = log.find("<ESC>3,7,3,1IR<CR>");
  ASSERT_NE(once, std::string::npos) << log;
  ASSERT_NE(repeating, std::string::npos) << log;
  EXPECT_LT(once, repeating);
  EXPECT_LT(repeating, log.find("<ESC>3IR<CR>"));

  // Download it into a new window titled with its name on the device.
  TakeMessages();
  QtPrompt::SetNextAnswer(PromptAnswer::Yes);
  Trigger("actionFileDownload");
  const auto boxes = QtPrompt::ShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Download 7.vir?");
  EXPECT_EQ(boxes[0].caption, "Download File(s)");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame().Documents().size() == 2; }, 10000));
  DriverDocument* received = Frame().Documents().back();
  EXPECT_EQ(received->Title(), QStringLiteral("7.vir"));
  EXPECT_EQ(CTransfers::UploadImage(received->Doc()), image);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [7.vir]"));

  // Delete it with the question answered Yes: the list and the bar lose it.
  TakeMessages();
  QtPrompt::SetNextAnswer(PromptAnswer::Yes);
  Trigger("actionFileDelete");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Delete 7.vir?"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Listed("7.vir"); }, 10000));
  EXPECT_TRUE(Bar().ListedFunctions().empty());
  EXPECT_FALSE(controls->isVisibleTo(&Bar()));

  // The device vanishes: the bar empties and the status says so.
  m_emulator.Kill();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Label("deviceName") == QStringLiteral("No device connected"); }, 15000));
  EXPECT_TRUE(Bar().ListedFileNames().empty());
  EXPECT_TRUE(Label("deviceMemory").isEmpty());
  auto* status = Frame().findChild<QLabel*>(QStringLiteral("connectionStatus"));
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == QStringLiteral("Connection Status: Connection Lost"); },
                              10000))
      << status->text().toStdString();
}

TEST_F(DeviceBarTest, TheBarFollowsTheDevicesListSortsAndKeepsTheSelection) {
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER"});
  StartConnected(tv);
  // Three uploads as 2, 10 and 9: the list sorts the names as numbers.
  for (int number : {2, 10, 9}) {
    Upload({[number](QWidget* dialog) {
              Child<QRadioButton>(dialog, "numberChoice")->click();
              Child<QSpinBox>(dialog, "numberSpin")->setValue(number);
              Click(dialog, QDialogButtonBox::Ok);
              return true;
            },
            [](QWidget* dialog) {
              if (dialog->windowTitle() != QStringLiteral("Done.")) return false;
              Click(dialog, QDialogButtonBox::Ok);
              return true;
            }});
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return Bar().ListedFileNames().size() == 3; }, 10000));
  EXPECT_EQ(Bar().ListedFileNames(), (std::vector<std::string>{"2.vir", "9.vir", "10.vir"}));
  auto* view = Child<QTreeView>(&Bar(), "deviceFiles");
  view->sortByColumn(0, Qt::DescendingOrder);
  EXPECT_EQ(Bar().ListedFileNames(), (std::vector<std::string>{"10.vir", "9.vir", "2.vir"}));

  // A new upload refreshes the list: the selection stays, and the selected
  // driver's functions are not fetched again.
  Bar().SelectFiles({"9.vir"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Bar().ListedFunctions().empty(); }, 10000));
  Upload({[](QWidget* dialog) {
            EXPECT_EQ(Child<QSpinBox>(dialog, "numberSpin")->value(), 0);  // the next free number
            Click(dialog, QDialogButtonBox::Ok);
            return true;
          },
          [](QWidget* dialog) {
            if (dialog->windowTitle() != QStringLiteral("Done.")) return false;
            Click(dialog, QDialogButtonBox::Ok);
            return true;
          }});
  ASSERT_TRUE(QTest::qWaitFor([&] { return Listed("0.vir"); }, 10000));
  EXPECT_EQ(Bar().SelectedFileNames(), std::vector<std::string>{"9.vir"});
  EXPECT_EQ(Bar().ListedFunctions().size(), 1u);
  EXPECT_EQ(m_emulator.CountInLog("<ESC>9.virSF<CR>"), 1);

  // Two files selected: Download asks about both.
  Bar().SelectFiles({"2.vir", "9.vir"});
  EXPECT_EQ(Bar().SelectedFileNames(), (std::vector<std::string>{"9.vir", "2.vir"}));
  QtPrompt::SetNextAnswer(PromptAnswer::No);
  Trigger("actionFileDownload");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Download 2 files?"});
  // The bar's own menu holds the two file commands.
  QStringList menu;
  for (QAction* action : Bar().Menu()->actions()) menu << action->objectName();
  EXPECT_EQ(menu, (QStringList{"actionFileDownload", "actionFileDelete"}));
}

TEST(UploadDialogs, NameChoicesFollowTheCore) {
  // Every number taken and no file: only a number of the user's choice.
  CUploadNameChoice full(-1, "");
  CUploadNameDlg dialog(full);
  auto* autoNumber = Child<QRadioButton>(&dialog, "autoNumberChoice");
  auto* local = Child<QRadioButton>(&dialog, "localNameChoice");
  auto* spin = Child<QSpinBox>(&dialog, "numberSpin");
  EXPECT_FALSE(autoNumber->isEnabled());
  EXPECT_FALSE(local->isEnabled());
  EXPECT_TRUE(Child<QRadioButton>(&dialog, "numberChoice")->isChecked());
  EXPECT_TRUE(spin->isEnabled());
  EXPECT_EQ(spin->value(), 99);
  spin->setValue(42);
  EXPECT_EQ(full.TargetName(-1), "42.vir");

  // A local name can be chosen; the number field then is disabled.
  CUploadNameChoice named(5, "tv.vir");
  CUploadNameDlg second(named);
  EXPECT_EQ(Child<QSpinBox>(&second, "numberSpin")->value(), 5);
  Child<QRadioButton>(&second, "localNameChoice")->click();
  EXPECT_EQ(named.GetChoice(), CUploadNameChoice::kLocalName);
  EXPECT_FALSE(Child<QSpinBox>(&second, "numberSpin")->isEnabled());
  EXPECT_EQ(Child<QLabel>(&second, "localNameText")->text(), QStringLiteral("tv.vir"));
  EXPECT_EQ(named.TargetName(5), "tv.vir");
}

TEST(UploadDialogs, TheAlertWaitsUntilTheUploadEnds) {
  CProgressAlert alert;
  alert.Prepare("Uploading 3.vir (812 bytes)", "Driver uploaded as 3.vir", "3.vir");
  std::int64_t sent = 0;
  CModalAlertDlg dialog(alert, [&](std::int64_t* done, std::int64_t* total) {
    *done = sent;
    *total = 812 * 1024;
  });
  dialog.show();
  auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Please Wait..."));
  EXPECT_EQ(Child<QLabel>(&dialog, "alertText")->text(), QStringLiteral("Uploading 3.vir (812 bytes)"));
  EXPECT_FALSE(ok->isEnabled());
  sent = 406 * 1024;
  dialog.Render();
  EXPECT_EQ(Child<QProgressBar>(&dialog, "alertProgress")->value(), 406);
  // Escape does not leave an upload under way.
  dialog.reject();
  EXPECT_TRUE(dialog.isVisible());

  alert.Finish();
  dialog.Render();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Done."));
  EXPECT_EQ(Child<QLabel>(&dialog, "alertText")->text(), QStringLiteral("Driver uploaded as 3.vir"));
  EXPECT_TRUE(ok->isEnabled());
  ok->click();
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace quillon::ui
