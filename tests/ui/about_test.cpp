// The About box: its texts, the logo's link, and the advanced-mode code typed
// while it is open, which adds the Driver and SubFunctions tabs to driver
// windows opened afterwards.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTimer>

#include "app/CAccessCodes.h"
#include "app/CTCharDeque.h"
#include "ui/AboutDlg.h"
#include "ui/AboutLogo.h"
#include "ui/UrlOpener.h"
#include "tests/ui/ShellFixture.h"

namespace quillon::ui {
namespace {

using testing::ShellTest;

// Opens the About box through its command and runs ACT on it while it is
// open; ACT closes it.
void WithAboutBox(ShellTest& test, const std::function<void(CAboutDlg&)>& act, QAction* about) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "the About box did not open";
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      return;
    }
    ran = true;
    act(*dialog);
  });
  about->trigger();
  (void)test;
  EXPECT_TRUE(ran);
}

// The tab titles of the detail view in the newest driver window.
QStringList NewestTabs(CMainFrame& frame) {
  QStringList titles;
  const QList<QMdiSubWindow*> windows = frame.MdiArea()->subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return titles;
  if (auto* tabs = windows.back()->findChild<QTabWidget*>()) {
    for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
  }
  return titles;
}

TEST_F(ShellTest, AboutBoxShowsTheVersionAndTheLogoOpensTheWebSite) {
  ASSERT_TRUE(Start({}));
  QList<QUrl> opened;
  UrlOpener::SetHandler([&](const QUrl& url) {
    opened << url;
    return true;
  });
  WithAboutBox(*this, [](CAboutDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Quillon"));
    auto* version = dialog.findChild<QLabel*>(QStringLiteral("versionLabel"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text().toStdString(), CQuillonApp::AboutVersionText());
    auto* logo = dialog.findChild<CAboutLogo*>(QStringLiteral("logo"));
    ASSERT_NE(logo, nullptr);
    QTest::mouseClick(logo, Qt::LeftButton);
    dialog.accept();
  }, Action("actionHelpAbout"));
  UrlOpener::SetHandler(nullptr);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString().toStdString(), CQuillonApp::GetMakerWebAddress());
}

TEST_F(ShellTest, TheAdvancedCodeTypedQuicklyInTheAboutBoxAddsTheAdvancedTabs) {
  int64_t now = 1000;
  CTCharDeque& keys = CAccessCodes::Keystrokes();
  keys.SetClock([&] { return now; });
  keys.Clear();
  ASSERT_FALSE(CAccessCodes::IsAdvancedMode()) << "another case of this process unlocked advanced mode";
  ASSERT_TRUE(Start({}));
  const QStringList plain = NewestTabs(Frame());
  EXPECT_EQ(plain, (QStringList{"Summary", "Header", "Functions"}));

  // Typed slowly (one character a second, 7 s from first to last): the first
  // characters have expired when the last arrives.
  WithAboutBox(*this, [&](CAboutDlg& dialog) {
    for (char c : std::string("irwright")) {
      QTest::keyClick(&dialog, c);
      now += 1;
    }
    QTest::keyClick(&dialog, Qt::Key_Escape);
  }, Action("actionHelpAbout"));
  EXPECT_FALSE(CAccessCodes::IsAdvancedMode());
  Trigger("actionFileNew");
  EXPECT_EQ(NewestTabs(Frame()), plain);

  // Typed quickly, in capitals: unlocked when the box closes.
  now += 100;
  WithAboutBox(*this, [&](CAboutDlg& dialog) {
    QTest::keyClicks(&dialog, QStringLiteral("IRWRIGHT"));
    EXPECT_FALSE(CAccessCodes::IsAdvancedMode());
    QTest::keyClick(&dialog, Qt::Key_Return);
  }, Action("actionHelpAbout"));
  keys.SetClock(nullptr);
  EXPECT_TRUE(CAccessCodes::IsAdvancedMode());
  EXPECT_EQ(Frame().findChild<QLabel*>(QStringLiteral("modePane"))->text(), QStringLiteral("ADV"));

  Trigger("actionFileNew");
  EXPECT_EQ(NewestTabs(Frame()), (QStringList{"Summary", "Header", "Driver", "Functions", "SubFunctions"}));
  // A window opened before keeps what it decided when it was made.
  const QList<QMdiSubWindow*> windows = Frame().MdiArea()->subWindowList(QMdiArea::CreationOrder);
  ASSERT_GE(windows.size(), 2);
  auto* first = windows.front()->findChild<QTabWidget*>();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->count(), 3);
}

}  // namespace
}  // namespace quillon::ui
