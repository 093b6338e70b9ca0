// quillon: the program's main window. Start-up and the command line are
// CQuillonApp's; this file only wires them to Qt.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CQuillonApp.h"
#include "app/CQuillonCommandLine.h"
#include "ui/AboutLogo.h"
#include "ui/InstanceServer.h"
#include "ui/MainFrame.h"
#include "ui/QtPrompt.h"

namespace {

// QUILLON_STARTUP_PROBE=1 ends the program once its window has been drawn
// the first time, so a benchmark can time the start-up.
class FirstPaintProbe : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Help and version work without a display.
  if (quillon::CQuillonCommandLine::WantsHelp(args)) {
    std::fputs(quillon::CQuillonCommandLine::HelpText().c_str(), stdout);
    return 0;
  }
  if (quillon::CQuillonCommandLine::WantsVersion(args)) {
    std::printf("%s\n", quillon::CQuillonApp::VersionLine().c_str());
    return 0;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setOrganizationName(QStringLiteral("Velmor"));
  QApplication::setWindowIcon(QIcon(quillon::ui::CAboutLogo::Render(64)));

  // Qt has taken its own options (-platform, -style, ...) off the list.
  args.clear();
  const QStringList remaining = QApplication::arguments();
  for (int i = 1; i < remaining.size(); ++i) args.push_back(QFile::encodeName(remaining[i]).toStdString());
  const quillon::CQuillonCommandLine commandLine = quillon::CQuillonCommandLine::Parse(args);
  if (!commandLine.GetUsageError().empty()) {
    std::fprintf(stderr, "quillon: %s\n", commandLine.GetUsageError().c_str());
    return 2;
  }

  // Drivers alone go to the program already running, if there is one.
  if (commandLine.IsOpenRequestOnly() && qEnvironmentVariableIsEmpty("QUILLON_STARTUP_PROBE")) {
    QStringList files;
    for (const std::string& file : commandLine.GetDriverFiles()) {
      files << QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).absoluteFilePath();
    }
    if (quillon::ui::InstanceServer::SendOpenRequest(files)) return 0;
  }

  quillon::ui::QtPrompt prompt;
  quillon::CQuillonApp app(prompt);
  quillon::ui::CMainFrame frame(app, prompt);
  prompt.SetParent(&frame);
  FirstPaintProbe probe;
  if (!qEnvironmentVariableIsEmpty("QUILLON_STARTUP_PROBE")) frame.installEventFilter(&probe);
  if (!app.InitInstance(commandLine, frame)) return 1;
  return QApplication::exec();
}
