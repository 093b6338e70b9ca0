// The main window through its named actions: menus with and without a
// driver, the file commands and their dialogs, recent files, dropped files,
// a second start handing its files over, the status bar and the commands of
// the device side.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "app/CConfigFiles.h"
#include "app/CDocManagerEx.h"
#include "app/CReferenceLists.h"
#include "app/CRegistry.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/FileDialog.h"
#include "ui/InstanceServer.h"
#include "ui/UrlOpener.h"
#include "tests/ui/ShellFixture.h"

namespace quillon::ui {
namespace {

using testing::ShellTest;
using testing::WriteDriver;

std::string ReadAll(const std::string& path) { return ::quillon::testing::TempDir::Read(path); }

const QStringList kMenusWithDriver = {"menuFile",  "menuEdit",  "menuView", "menuConnection",
                                      "menuLearn", "menuWindow", "menuHelp"};
const QStringList kMenusWithout = {"menuFile", "menuView", "menuConnection", "menuHelp"};

TEST_F(ShellTest, MenusShowOnlyTheCommandsThatApply) {
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "MENU"});
  ASSERT_TRUE(Start({tv}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));
  EXPECT_EQ(MenuNames(), kMenusWithDriver);
  EXPECT_EQ(MenuActions("menuFile"),
            (QStringList{"actionFileNew", "actionFileOpen", "actionFileOpenDatabase", "actionFileClose",
                         "actionFileSave", "actionFileSaveAs", "actionFileImport", "actionFileExport",
                         "actionFileRecent1", "actionFileDownload", "actionFileDelete", "actionFileUpload",
                         "actionFileExit"}));
  EXPECT_EQ(MenuActions("menuEdit"),
            (QStringList{"actionEditUndo", "actionEditRedo", "actionEditCut", "actionEditCopy", "actionEditPaste",
                         "actionEditSelectAll", "actionEditNewFunction"}));
  EXPECT_EQ(MenuActions("menuConnection"), (QStringList{"actionConnectionParameters", "actionConnect",
                                                        "actionViewDevice", "actionDisconnect"}));
  EXPECT_EQ(MenuActions("menuLearn"), QStringList{"actionLearnSelected"});
  EXPECT_EQ(MenuActions("menuWindow"), (QStringList{"actionWindowNew", "actionWindowCascade", "actionWindowTile",
                                                    "actionWindowArrange"}));
  EXPECT_EQ(MenuActions("menuHelp"), (QStringList{"actionHelpContents", "actionHelpAbout"}));
  EXPECT_EQ(Action("actionFileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(Action("actionEditPaste")->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));

  Trigger("actionFileClose");
  EXPECT_TRUE(Frame().Documents().empty());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon"));
  EXPECT_EQ(MenuNames(), kMenusWithout);
  EXPECT_EQ(MenuActions("menuFile"),
            (QStringList{"actionFileNew", "actionFileOpen", "actionFileOpenDatabase", "actionFileImport",
                         "actionFileRecent1",
                         "actionFileDownload", "actionFileDelete", "actionFileExit"}));
  // The toolbar keeps its buttons, disabled without a driver.
  EXPECT_FALSE(Action("actionFileSave")->isEnabled());
  EXPECT_FALSE(Action("actionEditCopy")->isEnabled());

  Trigger("actionFileNew");
  EXPECT_EQ(MenuNames(), kMenusWithDriver);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [VIR1]"));
}

TEST_F(ShellTest, OpenEditSaveAsAndReopenThroughTheMenus) {
  const std::string folder = Dir().File("drivers/");
  ASSERT_TRUE(CConfigFiles::CreateFolderLevels(folder));
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, "driverpath", folder));
  CConfigFiles::ResetDriverFolderCache();
  const std::string dvd = DriverPath("dvd.vir");
  WriteDriver(dvd, {"POWER", "PLAY", "STOP"}, "DVD");

  ASSERT_TRUE(Start({}));
  ASSERT_EQ(Frame().Documents().size(), 1u);
  FileDialog::SetNextFileName(QString::fromStdString(dvd));
  Trigger("actionFileOpen");
  EXPECT_EQ(FileDialog::LastOptions().filter, QStringLiteral("Velmor IR Drivers (*.vir);;All Files (*)"));
  EXPECT_EQ(FileDialog::LastOptions().folder, QString::fromStdString(folder));
  ASSERT_EQ(Frame().Documents().size(), 2u);
  DriverDocument* document = Frame().Documents().back();
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [dvd.vir]"));
  const int before = document->Doc().GetDriver().GetFunctionCount();

  Trigger("actionEditNewFunction");
  EXPECT_EQ(document->Doc().GetDriver().GetFunctionCount(), before + 1);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [dvd.vir*]"));

  const std::string copy = folder + "dvd-copy";  // the extension is added
  FileDialog::SetNextFileName(QString::fromStdString(copy));
  Trigger("actionFileSaveAs");
  const CDocManagerEx::FileDialogRequest expected = CDocManagerEx::SaveDialog(folder, "dvd.vir", dvd);
  EXPECT_EQ(FileDialog::LastOptions().note.toStdString(), expected.note);
  EXPECT_FALSE(FileDialog::LastOptions().note.isEmpty());
  EXPECT_EQ(FileDialog::LastOptions().fileName, QString::fromStdString(dvd));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [dvd-copy.vir]"));
  ASSERT_FALSE(App().GetRecentFiles().empty());
  EXPECT_EQ(App().GetRecentFiles().front(), copy + ".vir");
  const std::string saved = ReadAll(copy + ".vir");
  ASSERT_FALSE(saved.empty());

  // Closed and reopened from the recent-file list: the same driver.
  Trigger("actionFileClose");
  EXPECT_TRUE(TakeMessages().empty());
  ASSERT_EQ(Frame().Documents().size(), 1u);
  EXPECT_EQ(Action("actionFileRecent1")->data().toString(), QString::fromStdString(copy + ".vir"));
  Trigger("actionFileRecent1");
  ASSERT_EQ(Frame().Documents().size(), 2u);
  const TQVXIr& reopened = Frame().Documents().back()->Doc().GetDriver();
  ASSERT_EQ(reopened.GetFunctionCount(), before + 1);
  EXPECT_STREQ(reopened.GetFunction(0)->GetName(), "POWER");
  // Saving again unchanged writes the same functions back.
  Trigger("actionFileSave");
  {
    testing::SilentPrompt prompt;
    // Both laid out along the DVD command list, as the windows lay them out.
    CDriverDoc a(prompt, &CReferenceLists::Library()), b(prompt, &CReferenceLists::Library());
    ASSERT_TRUE(a.OnOpenDocument(copy + ".vir"));
    ASSERT_TRUE(b.OnOpenDocument(dvd));
    ASSERT_EQ(a.GetDriver().GetFunctionCount(), b.GetDriver().GetFunctionCount() + 1);
    for (int i = 0; i < b.GetDriver().GetFunctionCount(); ++i) {
      EXPECT_STREQ(a.GetDriver().GetFunction(i)->GetName(), b.GetDriver().GetFunction(i)->GetName());
      EXPECT_EQ(a.GetDriver().GetFunction(i)->GetSubFunctionCount(), b.GetDriver().GetFunction(i)->GetSubFunctionCount());
    }
  }
}

TEST_F(ShellTest, ADriverReceivedAsBytesOpensInANewWindowWithoutAFile) {
  const std::string dvd = Dir().File("dvd.vir");
  WriteDriver(dvd, {"POWER", "PLAY"}, "DVD");
  const std::string image = ReadAll(dvd);
  ASSERT_TRUE(Start({}));
  const std::size_t before = Frame().Documents().size();
  ASSERT_TRUE(Frame().OpenDriverBytes(std::vector<std::uint8_t>(image.begin(), image.end()), QStringLiteral("12.vir")));
  ASSERT_EQ(Frame().Documents().size(), before + 1);
  DriverDocument* received = Frame().Documents().back();
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [12.vir]"));
  EXPECT_TRUE(received->Doc().GetPathName().empty());
  EXPECT_EQ(received->Doc().GetFileLength(), image.size());
  ASSERT_NE(received->Doc().GetDriver().FindFunction("PLAY"), nullptr);
  EXPECT_EQ(received->Doc().GetDriver().FindFunction("PLAY")->GetSubFunctionCount(), 1);
}

TEST_F(ShellTest, EditCommandsActOnTheActiveDriverWindow) {
  const std::string a = DriverPath("a.vir"), b = DriverPath("b.vir");
  WriteDriver(a, {"POWER", "MUTE"});
  WriteDriver(b, {"POWER"});
  ASSERT_TRUE(Start({a, b}));
  DriverDocument* first = Frame().Documents()[0];
  DriverDocument* second = Frame().Documents()[1];
  EXPECT_FALSE(Action("actionEditCopy")->isEnabled());  // nothing selected yet

  Frame().MdiArea()->setActiveSubWindow(Frame().FramesOf(first).front());
  Settle();
  Trigger("actionEditSelectAll");
  EXPECT_TRUE(Action("actionEditCut")->isEnabled());
  Trigger("actionEditCopy");

  // Pasted into the other driver: POWER is there already and is renamed.
  Frame().MdiArea()->setActiveSubWindow(Frame().FramesOf(second).front());
  Settle();
  EXPECT_TRUE(Action("actionEditPaste")->isEnabled());
  QtPrompt::SetNextChoice(static_cast<int>(CDriverDoc::ConflictChoice::kRenameNew));
  Trigger("actionEditPaste");
  EXPECT_EQ(QtPrompt::PendingAnswers(), 0u);
  const TQVXIr& pasted = second->Doc().GetDriver();
  EXPECT_NE(pasted.FindFunction("NewPOWER"), nullptr);
  EXPECT_NE(pasted.FindFunction("MUTE"), nullptr);
  EXPECT_EQ(first->Doc().GetDriver().GetFunctionCount(), 2);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [b.vir*]"));
}

TEST_F(ShellTest, ClosingAChangedDriverAsksToSaveIt) {
  ASSERT_TRUE(Start({}));
  DriverDocument* document = Frame().Documents().front();
  Trigger("actionEditNewFunction");
  ASSERT_TRUE(document->Doc().IsModified());
  TakeMessages();

  QtPrompt::SetNextAnswer(PromptAnswer::Cancel);
  Trigger("actionFileClose");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Save changes to VIR1?"});
  EXPECT_EQ(Frame().Documents().size(), 1u);

  // A second window of the driver closes without asking; the last one asks.
  Trigger("actionWindowNew");
  ASSERT_EQ(Frame().FramesOf(document).size(), 2u);
  EXPECT_EQ(Frame().FramesOf(document)[0]->windowTitle(), QStringLiteral("VIR1:1*"));
  EXPECT_EQ(Frame().FramesOf(document)[1]->windowTitle(), QStringLiteral("VIR1:2*"));
  Frame().FramesOf(document)[1]->close();
  Settle();
  EXPECT_TRUE(TakeMessages().empty());
  ASSERT_EQ(Frame().FramesOf(document).size(), 1u);
  EXPECT_EQ(Frame().FramesOf(document)[0]->windowTitle(), QStringLiteral("VIR1*"));

  QtPrompt::SetNextAnswer(PromptAnswer::No);
  Frame().FramesOf(document)[0]->close();
  Settle();
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Save changes to VIR1?"});
  EXPECT_TRUE(Frame().Documents().empty());
  EXPECT_EQ(QtPrompt::PendingAnswers(), 0u);
}

TEST_F(ShellTest, RecentFilesKeepFourAndAMissingOneIsDropped) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back(DriverPath("d" + std::to_string(i) + ".vir"));
    WriteDriver(paths.back(), {"POWER"});
  }
  ASSERT_TRUE(Start({paths[0], paths[1], paths[2], paths[3], paths[4]}));
  EXPECT_EQ(Frame().Documents().size(), 5u);
  EXPECT_EQ(App().GetRecentFiles(), (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
  EXPECT_TRUE(Action("actionFileRecent4")->isVisible());
  EXPECT_TRUE(Action("actionFileRecent1")->text().startsWith(QStringLiteral("&1 ")));
  EXPECT_TRUE(Action("actionFileRecent1")->text().endsWith(QStringLiteral("d4.vir")));

  // Opening a file that is open already brings its window forward.
  Trigger("actionFileRecent3");
  EXPECT_EQ(Frame().Documents().size(), 5u);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [d2.vir]"));

  ::unlink(paths[1].c_str());
  TakeMessages();
  Trigger("actionFileRecent4");
  EXPECT_EQ(Frame().Documents().size(), 5u);  // d1.vir was open; nothing new
  for (DriverDocument* document : Frame().Documents()) document->Doc().SetModifiedFlag(false);
  Frame().FramesOf(Frame().Documents()[1]).front()->close();
  Settle();
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Trigger("actionFileRecent4");
  const std::vector<std::string> shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("d1.vir"), std::string::npos);
  EXPECT_EQ(App().GetRecentFiles().size(), 3u);
  EXPECT_FALSE(Action("actionFileRecent4")->isVisible());
}

TEST_F(ShellTest, FilesDroppedOnTheWindowOpenAsDrivers) {
  const std::string a = DriverPath("a.vir"), b = DriverPath("b.vir");
  WriteDriver(a, {"POWER"});
  WriteDriver(b, {"PLAY", "STOP"});
  ASSERT_TRUE(Start({}));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
  const QPoint at(200, 200);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.setAccepted(false);
  QApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Frame(), &drop);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Frame().Documents().size() == 3; }, 2000));
  ASSERT_EQ(Frame().Documents().size(), 3u);
  EXPECT_EQ(Frame().Documents()[2]->Doc().GetDriver().GetFunctionCount(), 2);

  QMimeData text;
  text.setText(QStringLiteral("not a file"));
  QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QApplication::sendEvent(&Frame(), &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(ShellTest, ASecondStartHandsItsFilesToTheRunningProgram) {
  // A socket left by a program that ended does not stop this one.
  const std::string socketPath = Dir().File("instance.socket");
  {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  }
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "MUTE"});
  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(Frame().Instances()->IsListening());

  // The real program, started the way a desktop starts it, with a relative path.
  QProcess second;
  second.setWorkingDirectory(QString::fromStdString(Dir().Path()));
  second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  second.start(QStringLiteral(QUILLON_BINARY_DIR "/tools/gui/quillon"),
               {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("tv.vir")});
  ASSERT_TRUE(second.waitForStarted(5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Frame().Documents().size() == 2; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));

  // With no program listening, the request reports failure at once.
  QFile::remove(QString::fromStdString(socketPath));
  Frame().Instances()->deleteLater();
  Settle();
  EXPECT_FALSE(InstanceServer::SendOpenRequest({QString::fromStdString(tv)}, 500));
}

TEST_F(ShellTest, StatusBarShowsTheConnectionStateAndTheCommandLineConnection) {
  ASSERT_TRUE(Start({"/ip10.0.0.5", "/PWDsecret"}));
  const QList<QLabel*> panes = {Frame().findChild<QLabel*>(QStringLiteral("statusMessage")),
                                Frame().findChild<QLabel*>(QStringLiteral("connectionStatus")),
                                Frame().findChild<QLabel*>(QStringLiteral("connectionPane")),
                                Frame().findChild<QLabel*>(QStringLiteral("driverPane")),
                                Frame().findChild<QLabel*>(QStringLiteral("modePane"))};
  for (QLabel* pane : panes) ASSERT_NE(pane, nullptr);
  EXPECT_EQ(panes[1]->text(), QStringLiteral("Connection Status: No Connection"));
  EXPECT_EQ(panes[2]->text(), QStringLiteral("10.0.0.5:23"));
  ASSERT_NE(Frame().CurrentConnection(), nullptr);
  EXPECT_EQ(Frame().CurrentConnection()->GetPassword(), "secret");
  EXPECT_TRUE(App().IsCommandLineConnection());
  EXPECT_EQ(panes[3]->text(), QStringLiteral("0 function(s)"));
}

TEST_F(ShellTest, DeviceCommandsSayWhatTheyNeedUntilADeviceIsConnected) {
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "MUTE"});
  ASSERT_TRUE(Start({tv}));
  TakeMessages();
  auto answered = [this](const char* name) {
    QtPrompt::SetNextAnswer(PromptAnswer::Ok);
    Action(name)->trigger();
    Settle();
    EXPECT_EQ(QtPrompt::PendingAnswers(), 0u) << name << " showed nothing";
    return TakeMessages();
  };
  EXPECT_EQ(answered("actionLearnSelected"), std::vector<std::string>{"No Functions Selected for Learning"});
  Trigger("actionEditSelectAll");
  // With functions selected the learn dialog opens, and says it has no device.
  QString learnStatus;
  QTimer::singleShot(0, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      if (auto* status = dialog->findChild<QLineEdit*>(QStringLiteral("statusText"))) learnStatus = status->text();
      dialog->close();
    }
  });
  Action("actionLearnSelected")->trigger();
  Settle();
  EXPECT_EQ(learnStatus, QStringLiteral("Not connected to an Velmor IR Learning device."));
  EXPECT_TRUE(TakeMessages().empty());
  for (const char* name : {"actionFileUpload", "actionFileDownload", "actionFileDelete"}) {
    EXPECT_EQ(answered(name), std::vector<std::string>{"Not connected to an Velmor IR Learning device."}) << name;
  }
  EXPECT_FALSE(Action("actionViewDevice")->isEnabled());
  EXPECT_FALSE(Action("actionDisconnect")->isEnabled());
  // With no device chosen, Connect to Device asks for one first.
  QString opened;
  QTimer::singleShot(0, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      opened = modal->windowTitle();
      modal->close();
    }
  });
  Trigger("actionConnect");
  EXPECT_EQ(opened, QStringLiteral("Connection Parameters"));
  EXPECT_FALSE(Action("actionConnect")->isChecked());
  EXPECT_TRUE(TakeMessages().empty());

  Trigger("actionFileClose");
  EXPECT_EQ(answered("actionLearnSelected"), std::vector<std::string>{"No Open Drivers or No Drivers Selected"});
}

TEST_F(ShellTest, HelpOpensTheManualFoundAtStartUp) {
  Dir().Write("Quillon.html", "<html><body>manual</body></html>");
  CQuillonApp::Seams seams;
  seams.programPath = Dir().File("quillon");
  ASSERT_TRUE(Start({}, seams));
  QList<QUrl> opened;
  UrlOpener::SetHandler([&](const QUrl& url) {
    opened << url;
    return true;
  });
  Trigger("actionHelpContents");
  UrlOpener::SetHandler(nullptr);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(Dir().File("Quillon.html"))));
  EXPECT_TRUE(TakeMessages().empty());
}

}  // namespace
}  // namespace quillon::ui
