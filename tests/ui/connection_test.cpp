// The connection from the main window: the "Connection Parameters" dialog
// finding the emulated device on the network and connecting to it, the
// connect commands and the status bar following the link, a device that
// vanishes, and a link that cannot be opened.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdlib>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXIrFinder.h"
#include "deviceops/CLearnCommand.h"
#include "platform/UdpSocket.h"
#include "tests/devicelink/link_emulator_support.h"
#include "tests/ui/ShellFixture.h"
#include "ui/ConnectionParamsDlg.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"

namespace quillon::ui {
namespace {

using testing::ShellTest;

// A UDP port nobody uses now, for the discovery answers.
uint16_t FreeUdpPort() {
  UdpSocket socket;
  if (!socket.Open() || !socket.Bind(0, 0)) return 0;
  return socket.LocalPort();
}

// Runs ACT on the connection dialog once it is open.
void WhenDialogOpens(std::function<void(CDeviceConnectionDialog&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* dialog = qobject_cast<CDeviceConnectionDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "the connection dialog did not open";
      return;
    }
    act(*dialog);
    // Whatever the case left open closes.
    if (dialog->isVisible()) dialog->reject();
  });
}

template <typename T>
T* Child(QWidget& parent, const char* name) {
  auto* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void ClickRow(QTreeWidget* list, int row, bool twice) {
  QTreeWidgetItem* item = list->topLevelItem(row);
  ASSERT_NE(item, nullptr);
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class ConnectionTest : public ShellTest {
 protected:
  QString StatusText() { return Frame().findChild<QLabel*>(QStringLiteral("connectionStatus"))->text(); }
  bool WaitForStatus(const QString& text, int ms = 15000) {
    return QTest::qWaitFor([&] { return StatusText() == text; }, ms);
  }
};

TEST_F(ConnectionTest, TheDialogFindsTheDeviceConnectsAndTheWindowFollowsTheLinkUntilItIsLost) {
  const uint16_t answerPort = FreeUdpPort();
  ASSERT_NE(answerPort, 0);
  linktest::Emulator emulator({"--name", "Bench Rack", "--discovery", "--ask-port", "0", "--answer-port",
                               std::to_string(answerPort)});
  ASSERT_TRUE(emulator.Ready());
  ASSERT_GT(emulator.DiscoveryPort(), 0);
  ASSERT_TRUE(Start({}));
  Frame().Finder().SetPorts(static_cast<uint16_t>(emulator.DiscoveryPort()), answerPort);
  Frame().Link().SetSettingsFile(linktest::WriteSettings(emulator.Dir()));
  EXPECT_EQ(StatusText(), QStringLiteral("Connection Status: No Connection"));
  EXPECT_FALSE(Action("actionDisconnect")->isEnabled());
  EXPECT_FALSE(Action("actionViewDevice")->isEnabled());

  // Scan / Refresh lists the device as it answers; a double-click chooses it.
  WhenDialogOpens([&](CDeviceConnectionDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Connection Parameters"));
    auto* pages = Child<QTabWidget>(dialog, "pages");
    EXPECT_EQ(pages->tabText(0), QStringLiteral("TCP"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Serial"));
    EXPECT_EQ(pages->currentIndex(), 0);
    auto* list = Child<QTreeWidget>(dialog, "deviceList");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(Child<QCheckBox>(dialog, "learnersOnlyCheck")->isChecked());
    QTest::mouseClick(Child<QPushButton>(dialog, "scanButton"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 1; }, 5000));
    const QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(row->text(1), QStringLiteral("Bench Rack"));
    EXPECT_EQ(row->text(3), QStringLiteral("1.05"));
    EXPECT_EQ(dialog.Core().GetRows().size(), 1u);
    if (const char* dir = std::getenv("QUILLON_GRAB_DIR")) {
      ClickRow(list, 0, false);
      dialog.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/connection-tcp.png"));
    }
    ClickRow(list, 0, true);
  });
  Trigger("actionConnectionParameters");
  ASSERT_NE(Frame().CurrentConnection(), nullptr);
  EXPECT_EQ(Frame().CurrentConnection()->GetDisplayText(), "127.0.0.1:23  Bench Rack");
  EXPECT_EQ(StatusText(), QStringLiteral("Connection Status: No Connection"));

  // The dialog opens on the chosen device, still listed; Connect connects.
  const QString port = QString::number(emulator.Port());
  WhenDialogOpens([&](CDeviceConnectionDialog& dialog) {
    auto* address = Child<QLineEdit>(dialog, "addressEdit");
    auto* portEdit = Child<QLineEdit>(dialog, "portEdit");
    EXPECT_EQ(address->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(portEdit->text(), QStringLiteral("23"));
    auto* list = Child<QTreeWidget>(dialog, "deviceList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    ClickRow(list, 0, false);  // the name comes from the row chosen now
    portEdit->selectAll();
    QTest::keyClicks(portEdit, QStringLiteral("x") + port);  // digits only
    EXPECT_EQ(portEdit->text(), port);
    QTest::mouseClick(Child<QPushButton>(dialog, "connectButton"), Qt::LeftButton);
  });
  Trigger("actionConnectionParameters");
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Connection Status: Connected")));
  auto* info = Frame().findChild<QLabel*>(QStringLiteral("deviceInfo"));
  ASSERT_NE(info, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return info->text().startsWith(QStringLiteral("Bench Rack")); }, 10000));
  EXPECT_TRUE(Action("actionConnect")->isChecked());
  EXPECT_FALSE(Action("actionConnect")->isEnabled());
  EXPECT_TRUE(Action("actionDisconnect")->isEnabled());
  EXPECT_TRUE(Action("actionViewDevice")->isEnabled());

  // The connection went to the head of the recent ones, which were saved.
  const std::string chosen = "127.0.0.1:" + port.toStdString() + "  Bench Rack";
  ASSERT_EQ(Frame().RecentConnections().GetCount(), 1);
  EXPECT_EQ(Frame().RecentConnections().GetAt(0)->GetDisplayText(), chosen);
  CQVXConnectionTypeList saved;
  saved.LoadRecentFromProfile();
  ASSERT_EQ(saved.GetCount(), 1);
  EXPECT_EQ(saved.GetAt(0)->GetDisplayText(), chosen);
  auto* combo = Frame().findChild<QComboBox*>(QStringLiteral("connectionCombo"));
  EXPECT_EQ(combo->currentText().toStdString(), "127.0.0.1:" + port.toStdString() + "  Bench Rack");

  // While connected the dialog leaves the choice as it is.
  WhenDialogOpens([&](CDeviceConnectionDialog& dialog) {
    Child<QLineEdit>(dialog, "addressEdit")->setText(QStringLiteral("10.9.9.9"));
    QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
  });
  Trigger("actionConnectionParameters");
  EXPECT_EQ(Frame().CurrentConnection()->GetDisplayText(), chosen);

  Trigger("actionDisconnect");
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Connection Status: Disconnected")));
  EXPECT_TRUE(Action("actionConnect")->isEnabled());
  EXPECT_FALSE(Action("actionConnect")->isChecked());
  EXPECT_TRUE(info->text().isEmpty());

  // Connected again, the device vanishes: the status says so and the
  // device's information goes.
  Trigger("actionConnect");
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Connection Status: Connected")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !info->text().isEmpty(); }, 10000));
  emulator.Kill();
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Connection Status: Connection Lost")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Frame().Link().GetState() == CQVX::kDisconnected; }, 5000));
  Settle();
  EXPECT_EQ(StatusText(), QStringLiteral("Connection Status: Connection Lost"));
  EXPECT_TRUE(info->text().isEmpty());
  EXPECT_TRUE(Action("actionConnect")->isEnabled());
  EXPECT_FALSE(Action("actionDisconnect")->isEnabled());
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ConnectionTest, TheDialogShowsTheChosenDescriptionAndAFailedLinkSaysWhy) {
  ASSERT_TRUE(Start({}));
  Frame().RecentConnections().AddFromText("TCP:127.0.0.1,1,Nobody,9d");
  Frame().SetCurrentConnection(CQVXConnectionType::CreateFromText("SERIAL:9,57600,Even,7,2,XOn/XOff (Software)"),
                               std::string());

  // A serial description opens the Serial page with its own values, its port
  // shown even where the machine has none by that number.
  WhenDialogOpens([&](CDeviceConnectionDialog& dialog) {
    EXPECT_EQ(Child<QTabWidget>(dialog, "pages")->currentIndex(), 1);
    EXPECT_EQ(Child<QComboBox>(dialog, "serialPortCombo")->currentText(), QStringLiteral("COM9"));
    EXPECT_EQ(Child<QComboBox>(dialog, "bitRateCombo")->currentText(), QStringLiteral("57600"));
    EXPECT_EQ(Child<QComboBox>(dialog, "bitRateCombo")->count(), 14);
    EXPECT_EQ(Child<QComboBox>(dialog, "parityCombo")->currentText(), QStringLiteral("Even"));
    EXPECT_EQ(Child<QComboBox>(dialog, "dataBitsCombo")->currentText(), QStringLiteral("7"));
    EXPECT_EQ(Child<QComboBox>(dialog, "stopBitsCombo")->currentText(), QStringLiteral("2"));
    EXPECT_EQ(Child<QComboBox>(dialog, "flowControlCombo")->currentText(), QStringLiteral("XOn/XOff (Software)"));
    for (const char* label : {"Bit Rate (baud)", "Data Bits", "Stop Bits", "Flow Control", "Administrator Password"}) {
      bool found = false;
      for (QLabel* shown : dialog.findChildren<QLabel*>()) found = found || shown->text().remove('&') == label;
      EXPECT_TRUE(found) << label;
    }
    if (const char* dir = std::getenv("QUILLON_GRAB_DIR")) {
      dialog.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/connection-serial.png"));
    }

    // The recent connection fills the TCP page; Connect connects to it.
    auto* recent = Child<QComboBox>(dialog, "recentCombo");
    ASSERT_EQ(recent->count(), 1);
    EXPECT_EQ(recent->itemText(0), QStringLiteral("127.0.0.1:1  Nobody"));
    recent->setCurrentIndex(0);
    emit recent->activated(0);
    EXPECT_EQ(Child<QTabWidget>(dialog, "pages")->currentIndex(), 0);
    EXPECT_EQ(Child<QLineEdit>(dialog, "portEdit")->text(), QStringLiteral("1"));
    QTest::mouseClick(Child<QPushButton>(dialog, "connectButton"), Qt::LeftButton);
  });
  // Nothing listens on port 1: the socket error box tells why, once.
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Trigger("actionConnectionParameters");
  EXPECT_EQ(Frame().CurrentConnection()->GetDisplayText(), "127.0.0.1:1  Nobody");
  ASSERT_TRUE(WaitForStatus(QStringLiteral("Connection Status: Connection Failed")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QtPrompt::PendingAnswers() == 0; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame().Link().GetState() == CQVX::kDisconnected; }, 5000));
  QTest::qWait(600);
  ASSERT_EQ(QtPrompt::ShownBoxes().size(), 1u);
  EXPECT_EQ(QtPrompt::ShownBoxes()[0].caption, "Socket Error");
  EXPECT_EQ(QtPrompt::ShownBoxes()[0].text, "Connection refused");
  EXPECT_EQ(StatusText(), QStringLiteral("Connection Status: Connection Failed"));
  EXPECT_TRUE(Action("actionConnect")->isEnabled());
}

TEST_F(ConnectionTest, TheTimerAndTheLearnCommandTakeTurnsWithTheWorkersEvents) {
  ASSERT_TRUE(Start({}));
  TakeMessages();

  // While a tick shows a message of the link, learning does not start.
  bool handling = false;
  std::vector<std::string> duringTick;
  QTimer::singleShot(50, [&] {
    handling = Frame().LinkCore().IsHandlingEvents();
    Action("actionLearnSelected")->trigger();  // nothing selected: would say so
    duringTick = TakeMessages();
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  Frame().Link().PostEvent(13);
  EXPECT_TRUE(Frame().LinkCore().Tick());
  EXPECT_TRUE(handling);
  EXPECT_EQ(duringTick, std::vector<std::string>{"Connection Timeout."});
  EXPECT_FALSE(Frame().LinkCore().IsHandlingEvents());
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Trigger("actionLearnSelected");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"No Functions Selected for Learning"});

  // While the learn dialog is open the timer leaves the events to it.
  ASSERT_NE(Frame().ActiveFrame(), nullptr);
  Frame().ActiveFrame()->Document().Doc().ChooseDeviceType("DVD");
  Frame().ActiveFrame()->Document().Doc().SetModifiedFlag(false);
  Frame().ActiveFrame()->FunctionView()->SelectPositions({0});
  Frame().Link().PostEvent(17);
  bool ticked = true;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = nullptr;
    if (!QTest::qWaitFor([&] { return (dialog = QApplication::activeModalWidget()) != nullptr; }, 5000)) return;
    EXPECT_TRUE(Frame().LearnCommand().IsLearnActive());
    ticked = Frame().LinkCore().Tick();
    dialog->close();
  });
  Action("actionLearnSelected")->trigger();
  Settle();
  EXPECT_FALSE(ticked);
  EXPECT_FALSE(Frame().LearnCommand().IsLearnActive());
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  EXPECT_TRUE(Frame().LinkCore().Tick());
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Invalid password."});
}

}  // namespace
}  // namespace quillon::ui
