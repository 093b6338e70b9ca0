// quillon-screenshots OUTDIR FIRST.vir SECOND.vir [SIGNALS.ir [CAPTURE.bin]]
//
// Draws the program's windows into PNG files for the README and the manual:
// the main window with both drivers open (the second opened in advanced mode
// and showing its SubFunctions tab), the About box, the conflict dialog of
// pasting functions whose names the second driver already has, the
// "Open Driver" dialog over the driver library set in the machine store, and
// the connection dialog with the emulated device found on the network.
// Advanced mode is unlocked as a driver author unlocks it, by typing the
// access codes into the About box. With SIGNALS.ir, that file is imported
// into a new driver window through File > Import... (its report drawn too),
// and the window is drawn with its "Protocol" column and the "Signal" tab of
// its first function; CAPTURE.bin, a QVX learner's capture of that
// function's remote, is shown as the function's last verification. Run by
// scripts/screenshots.sh on a virtual X display; not installed.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CAccessCodes.h"
#include "capture/TIrCaptureAnalyser.h"
#include "app/CQuillonApp.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "deviceops/CMainFrameLink.h"
#include "ui/AboutDlg.h"
#include "ui/AboutLogo.h"
#include "ui/ConnectionParamsDlg.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DeviceBar.h"
#include "ui/DetailView.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/FileDialog.h"
#include "ui/FunctionView.h"
#include "ui/InterchangeReportDlg.h"
#include "ui/MainFrame.h"
#include "ui/OpenDriverDlg.h"
#include "ui/QtPrompt.h"
#include "tools/gui/ScreenshotsLearn.h"

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

// Waits (handling events) until DONE holds; false after MS milliseconds.
bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  return true;
}

// Connects to ADDRESS:PORT as the connect toolbar does, selects the first
// driver file in the device bar and draws the window once its functions show.
bool DeviceBarShot(quillon::ui::CMainFrame& frame, const QString& device, const QDir& out) {
  const QStringList parts = device.split(QLatin1Char(':'));
  const QStringList bytes = parts.value(0).split(QLatin1Char('.'));
  auto tcp = std::make_unique<quillon::CQVXConnectionTCP>();
  if (parts.size() != 2 || bytes.size() != 4) {
    std::fprintf(stderr, "quillon-screenshots: %s: not ADDRESS:PORT\n", qPrintable(device));
    return false;
  }
  tcp->SetAddress(bytes[0].toUInt(), bytes[1].toUInt(),
                  bytes[2].toUInt(), bytes[3].toUInt());
  tcp->SetPort(parts[1].toInt());
  frame.SetCurrentConnection(std::move(tcp), "");
  QAction* connectAction = frame.findChild<QAction*>(QStringLiteral("actionConnect"));
  if (!connectAction) return false;
  connectAction->trigger();
  quillon::ui::CDlgToolBarQVX* bar = frame.DeviceBar();
  if (!WaitFor([&] { return !bar->ListedFileNames().empty(); }, 20000)) {
    std::fprintf(stderr, "quillon-screenshots: %s: the device listed no files\n", qPrintable(device));
    return false;
  }
  bar->SelectFiles({bar->ListedFileNames().front()});
  if (!WaitFor([&] { return !bar->ListedFunctions().empty(); }, 20000)) {
    std::fprintf(stderr, "quillon-screenshots: %s: the driver file's functions did not arrive\n", qPrintable(device));
    return false;
  }
  bar->SelectFunctionRow(0);
  Settle();
  const bool saved = Save(&frame, out, QStringLiteral("device-bar.png"));
  frame.LinkCore().Disconnect();
  return saved;
}

// The capture in PATH (QVX learner bytes) as the sub-function it learns to.
bool LearnCapture(const QString& path, quillon::TQVXIrSubFunction& learned) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "quillon-screenshots: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
  }
  const QByteArray bytes = file.readAll();
  quillon::TIrCaptureResult result;
  const quillon::TIrCaptureAnalyser analyser(quillon::TIrCaptureSettings::Defaults(quillon::TIrCaptureKind::QVX));
  if (analyser.AnalyseQVX(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::int32_t>(bytes.size()), result) != 0) {
    std::fprintf(stderr, "quillon-screenshots: %s: not a capture that learns\n", qPrintable(path));
    return false;
  }
  learned = result.ToSubFunction();
  return true;
}

// SIGNALS imported into a new driver window as a user does it, its report
// drawn; then the window with its first function's signal (and CAPTURE as
// that function's last verification).
bool ImportSignals(quillon::ui::CMainFrame& frame, const QDir& out, const QString& signals_, const QString& capture) {
  bool ok = true;
  frame.findChild<QAction*>(QStringLiteral("actionFileNew"))->trigger();
  Settle();
  quillon::ui::FileDialog::SetNextFileName(signals_);
  bool reported = false;
  QTimer::singleShot(300, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* report = qobject_cast<quillon::ui::CInterchangeReportDlg*>(widget);
      if (!report || !report->isVisible()) continue;
      reported = true;
      ok = Save(report, out, QStringLiteral("import-report.png")) && ok;
      report->accept();
    }
  });
  frame.findChild<QAction*>(QStringLiteral("actionFileImport"))->trigger();
  Settle();
  if (!reported) std::fprintf(stderr, "quillon-screenshots: the import showed no report\n");
  quillon::ui::CDriverFrame* imported = frame.ActiveFrame();
  if (!imported || imported->Document().Doc().GetDriver().GetFunctionCount() == 0) {
    std::fprintf(stderr, "quillon-screenshots: %s: nothing was imported\n", qPrintable(signals_));
    return false;
  }
  if (!capture.isEmpty()) {
    quillon::TQVXIrSubFunction learned;
    if (!LearnCapture(capture, learned)) return false;
    quillon::CDriverDoc& doc = imported->Document().Doc();
    doc.SetVerifyCapture(*doc.GetDriver().GetFunction(0), learned);
  }
  imported->FunctionView()->SelectPositions({0});
  QTabWidget* tabs = imported->DetailView()->Tabs();
  tabs->setCurrentIndex(tabs->count() - 1);
  if (QMdiSubWindow* window = frame.MdiArea()->activeSubWindow()) window->showMaximized();
  Settle();
  return Save(&frame, out, QStringLiteral("signal-view.png")) && ok && reported;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 4 || args.size() > 6) {
    std::fprintf(stderr, "usage: quillon-screenshots OUTDIR FIRST.vir SECOND.vir [SIGNALS.ir [CAPTURE.bin]]\n");
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

  // The connection dialog after Scan / Refresh: the emulated learner (run
  // with --discovery by scripts/screenshots.sh) answers and is chosen.
  bool deviceListed = false;
  QTimer::singleShot(300, [&] {
    auto* dialog = qobject_cast<quillon::ui::CDeviceConnectionDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("deviceList"));
    if (auto* scan = dialog->findChild<QPushButton*>(QStringLiteral("scanButton"))) scan->click();
    for (int waited = 0; list && list->topLevelItemCount() == 0 && waited < 3000; waited += 50) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(50);
    }
    if (list && list->topLevelItemCount() > 0) {
      deviceListed = true;
      list->setCurrentItem(list->topLevelItem(0));
      list->topLevelItem(0)->setSelected(true);
      Settle();
      ok = Save(dialog, out, QStringLiteral("connection-dialog.png")) && ok;
    }
    dialog->reject();
  });
  frame.findChild<QAction*>(QStringLiteral("actionConnectionParameters"))->trigger();
  Settle();
  if (!deviceListed) {
    std::fprintf(stderr, "quillon-screenshots: no device answered in the connection dialog\n");
    ok = false;
  }

  // With QUILLON_SCREENSHOT_DEVICE=ADDRESS:PORT (a device holding drivers):
  // the device bar listing the device's files and the functions of one.
  const QString device = qEnvironmentVariable("QUILLON_SCREENSHOT_DEVICE");
  if (!device.isEmpty()) ok = DeviceBarShot(frame, device, out) && ok;

  if (args.size() >= 5 && !ImportSignals(frame, out, args[4], args.value(5))) ok = false;

  // The learn dialog, when the script runs an emulated learner for it.
  if (const int learner = qEnvironmentVariableIntValue("QUILLON_SCREENSHOT_LEARNER_PORT"); learner > 0) {
    ok = ShotLearnDialog(frame, out, learner) && ok;
  }

  for (quillon::ui::DriverDocument* document : frame.Documents()) document->Doc().SetModifiedFlag(false);
  frame.close();
  return ok ? 0 : 1;
}
