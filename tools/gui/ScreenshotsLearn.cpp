#include "tools/gui/ScreenshotsLearn.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "capture/CLearnDlg.h"
#include "devicelink/CQVX.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"
#include "ui/LearnDlgView.h"
#include "ui/MainFrame.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
  const qint64 end = QDateTime::currentMSecsSinceEpoch() + ms;
  while (!done()) {
    if (QDateTime::currentMSecsSinceEpoch() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void Press(quillon::ui::CLearnDlgView& view, const char* name) {
  auto* button = view.findChild<QPushButton*>(QString::fromLatin1(name));
  if (button && button->isVisible() && button->isEnabled()) button->click();
}

}  // namespace

bool ShotLearnDialog(quillon::ui::CMainFrame& frame, const QDir& out, int port) {
  using quillon::CLearnDlg;
  if (!frame.NewDriver()) return false;
  quillon::ui::CDriverFrame* driver = frame.ActiveFrame();
  if (!driver) return false;
  driver->Document().Doc().ChooseDeviceType("DVD");
  driver->FunctionView()->SelectPositions({0, 1, 2, 3, 4});

  quillon::CQVXConnectionTCP device;
  device.SetAddress(127, 0, 0, 1);
  device.SetPort(port);
  frame.Link().Connect(&device);
  if (!WaitFor([&] { return frame.Link().GetState() == quillon::CQVX::kConnected && !frame.Link().GetFirmware().empty(); },
               15000)) {
    std::fprintf(stderr, "quillon-screenshots: the emulated learner on port %d did not answer\n", port);
    return false;
  }

  bool saved = false;
  QTimer::singleShot(0, [&] {
    auto* view = qobject_cast<quillon::ui::CLearnDlgView*>(QApplication::activeModalWidget());
    if (!view) return;
    view->resize(880, 470);
    const CLearnDlg& core = view->Core();
    Press(*view, "learnButton");
    // The first function learned, the second being captured.
    const bool caught = WaitFor(
        [&] {
          return core.GetLastCapture().sequence >= 1 && core.GetSelectedRow() == 1 &&
                 core.GetStatusText() == "Capturing IR Data";
        },
        30000);
    if (caught) {
      WaitFor([] { return false; }, 400);  // a few frames of the animation
      const QString path = out.filePath(QStringLiteral("learn-dialog.png"));
      saved = view->grab().save(path);
      std::printf("%s\n", qPrintable(path));
    } else {
      std::fprintf(stderr, "quillon-screenshots: the learn dialog never showed a capture under way (%s)\n",
                   core.GetStatusText().c_str());
    }
    // Leave as a user would: abort the capture, then cancel.
    for (int i = 0; i < 3 && core.GetState() == CLearnDlg::State::Capturing; ++i) {
      Press(*view, "abortButton");
      WaitFor([&] { return core.GetState() != CLearnDlg::State::Capturing || core.GetStatusText() == "Capture Aborted"; },
              5000);
    }
    Press(*view, "cancelButton");
    if (view->isVisible()) view->done(0);
  });
  QAction* learn = frame.findChild<QAction*>(QStringLiteral("actionLearnSelected"));
  if (learn) learn->trigger();
  frame.Link().Disconnect();
  for (quillon::ui::DriverDocument* document : frame.Documents()) document->Doc().SetModifiedFlag(false);
  if (!saved) std::fprintf(stderr, "quillon-screenshots: learn-dialog.png could not be written\n");
  return saved;
}
