// quillon-screenshots OUTDIR FIRST.vir SECOND.vir
//
// Draws the program's windows into PNG files for the README and the manual:
// the main window with both drivers open (the second opened in advanced mode
// and showing its SubFunctions tab), the About box, the conflict dialog of
// pasting functions whose names the second driver already has, and the
// "Open Driver" dialog over the driver library set in the machine store.
// Advanced mode is unlocked as a driver author unlocks it, by typing the
// access codes into the About box. Run by scripts/screenshots.sh on a virtual X display;
// not installed.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CAccessCodes.h"
#include "app/CQuillonApp.h"
#include "ui/AboutDlg.h"
#include "ui/AboutLogo.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DetailView.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"
#include "ui/MainFrame.h"
#include "ui/OpenDriverDlg.h"
#include "ui/QtPrompt.h"

namespace {

bool Save(QWidget* widget, const QDir& out, const QString& name) {
  QApplication::processEvents();
  const QString path = out.filePath(name);
  if (!widget->grab().save(path)) {
    std::fprintf(stderr, "quillon-screenshots: %s: could not be written\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

quillon::ui::CDriverFrame* FrameOf(QMdiSubWindow* window) {
  return window ? qobject_cast<quillon::ui::CDriverFrame*>(window->widget()) : nullptr;
}

// Types TEXT into the About box, one key at a time.
void Type(QWidget* box, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &release);
  }
}

// In the "Open Driver" dialog: the first device type and maker that list a
// model with more than one driver version, that model, and its last version.
void ChooseModelWithVersions(QWidget* dialog) {
  auto* types = dialog->findChild<QComboBox*>(QStringLiteral("typeList"));
  auto* makers = dialog->findChild<QComboBox*>(QStringLiteral("manufacturerList"));
  auto* models = dialog->findChild<QComboBox*>(QStringLiteral("modelList"));
  auto* versions = dialog->findChild<QComboBox*>(QStringLiteral("versionList"));
  if (!types || !makers || !models || !versions) return;
  for (int t = 0; t < types->count(); ++t) {
    types->setCurrentIndex(t);
    for (int m = 0; m < makers->count(); ++m) {
      makers->setCurrentIndex(m);
      for (int i = 0; i < models->count(); ++i) {
        models->setCurrentIndex(i);
        if (versions->isVisibleTo(dialog) && versions->count() > 1) {
          versions->setCurrentIndex(versions->count() - 1);
          return;
        }
      }
    }
  }
}

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 4) {
    std::fprintf(stderr, "usage: quillon-screenshots OUTDIR FIRST.vir SECOND.vir\n");
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setWindowIcon(QIcon(quillon::ui::CAboutLogo::Render(64)));
  const QDir out(args[1]);
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "quillon-screenshots: %s: cannot make the folder\n", qPrintable(out.path()));
    return 1;
  }

  quillon::ui::QtPrompt prompt;
  quillon::CQuillonApp app(prompt);
  quillon::ui::CMainFrame frame(app, prompt);
  prompt.SetParent(&frame);
  frame.resize(1560, 940);
  if (!app.InitInstance(quillon::CQuillonCommandLine::Parse({QFile::encodeName(args[2]).toStdString()}), frame)) {
    return 1;
  }
  Settle();

  // The first driver: a few functions selected, as before learning them.
  QMdiArea* area = frame.MdiArea();
  quillon::ui::CDriverFrame* first = FrameOf(area->subWindowList().value(0));
  if (!first) return 1;
  first->FunctionView()->SelectPositions({0, 1, 2});

  // The About box as a user sees it; then the advanced-mode code typed into
  // it, and after a pause (the buffer forgets characters older than five
  // seconds) the supported-driver code, which shows the sub-function data.
  std::int64_t now = 1000;
  quillon::CAccessCodes::Keystrokes().SetClock([&now] { return now; });
  bool ok = true;
  {
    quillon::ui::CAboutDlg about(&frame);
    about.show();
    Settle();
    ok = Save(&about, out, QStringLiteral("about.png")) && ok;
    Type(&about, QStringLiteral("irwright"));
    about.accept();
  }
  now += 10;
  {
    quillon::ui::CAboutDlg about(&frame);
    about.show();
    Type(&about, QStringLiteral("velmorseal"));
    about.accept();
  }
  quillon::CAccessCodes::Keystrokes().SetClock(nullptr);
  if (!quillon::CAccessCodes::IsAdvancedMode()) {
    std::fprintf(stderr, "quillon-screenshots: the About box did not unlock advanced mode\n");
    return 1;
  }
  frame.UpdateConnectionStatus();

  // The second driver, opened in advanced mode, showing the sub-function
  // data of its first learned function.
  if (!frame.OpenDriver(QFile::encodeName(args[3]).toStdString())) return 1;
  Settle();
  quillon::ui::CDriverFrame* second = FrameOf(area->subWindowList(QMdiArea::CreationOrder).value(1));
  if (!second) return 1;
  second->FunctionView()->SelectPositions({0});
  QTabWidget* tabs = second->DetailView()->Tabs();
  for (int i = 0; i < tabs->count(); ++i) {
    if (tabs->tabText(i) == QStringLiteral("SubFunctions")) tabs->setCurrentIndex(i);
  }
  area->tileSubWindows();
  area->setActiveSubWindow(area->subWindowList(QMdiArea::CreationOrder).value(1));
  Settle();
  ok = Save(&frame, out, QStringLiteral("main-window.png")) && ok;

  // Copy the first driver's selection and paste it into the second one: the
  // shared names ask what to do. The dialog is drawn, then cancelled (which
  // skips the remaining functions).
  area->setActiveSubWindow(area->subWindowList(QMdiArea::CreationOrder).value(0));
  first->Copy();
  area->setActiveSubWindow(area->subWindowList(QMdiArea::CreationOrder).value(1));
  bool conflictShown = false;
  QTimer::singleShot(300, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<quillon::ui::CCopyConflictDlg*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      conflictShown = true;
      ok = Save(dialog, out, QStringLiteral("conflict-dialog.png")) && ok;
      dialog->reject();
    }
  });
  QTimer::singleShot(5000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  second->Paste();
  Settle();
  if (!conflictShown) {
    std::fprintf(stderr, "quillon-screenshots: pasting gave no conflict dialog\n");
    ok = false;
  }

  // File -> Open From Database... over the driver library of the machine
  // store (the script packs one): a model with several driver versions
  // chosen, as a user finds it by type and maker.
  if (app.IsLibraryAvailable()) {
    bool libraryShown = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<quillon::ui::COpenDriverDlg*>(QApplication::activeModalWidget());
      if (!dialog || dialog->Core().IsLoading()) return;
      poll.stop();
      ChooseModelWithVersions(dialog);
      libraryShown = true;
      ok = Save(dialog, out, QStringLiteral("open-driver.png")) && ok;
      dialog->reject();
    });
    poll.start();
    frame.findChild<QAction*>(QStringLiteral("actionFileOpenDatabase"))->trigger();
    Settle();
    if (!libraryShown) {
      std::fprintf(stderr, "quillon-screenshots: the Open Driver dialog did not show the library\n");
      ok = false;
    }
  } else {
    std::fprintf(stderr, "quillon-screenshots: no driver library is set up; open-driver.png is not drawn\n");
  }

  for (quillon::ui::DriverDocument* document : frame.Documents()) document->Doc().SetModifiedFlag(false);
  frame.close();
  return ok ? 0 : 1;
}
