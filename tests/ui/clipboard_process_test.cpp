// Functions copied in one Quillon process paste in another: the block goes
// through the desktop clipboard under the private type. This needs a real
// display (ctest runs it under xvfb-run when that is installed); on the
// offscreen platform, whose clipboard lives in the process, it is skipped.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

#include "tests/ui/frame_test_support.h"
#include "ui/DriverClipboard.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"

namespace quillon::ui {
namespace {

using namespace frametest;

constexpr const char* kChildOutput = "QUILLON_CLIPBOARD_CHILD_OUTPUT";

bool HasDesktopClipboard() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// The second process: pastes into a new driver and writes the names it got.
TEST_F(FrameTest, ClipboardChildPastes) {
  const QString output = qEnvironmentVariable(kChildOutput);
  if (output.isEmpty()) GTEST_SKIP() << "run by ClipboardBetweenProcesses only";
  m_documents.push_back(std::make_unique<DriverDocument>(m_prompt));
  DriverDocument& document = *m_documents.back();
  document.Doc().OnNewDocument();
  CDriverFrame frame(document);
  ASSERT_TRUE(frame.CanPaste());
  frame.Paste();
  QFile file(output);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  for (const std::string& name : Column(frame.FunctionView(), 1)) file.write((name + "\n").c_str());
}

TEST_F(FrameTest, ClipboardBetweenProcesses) {
  if (!HasDesktopClipboard()) GTEST_SKIP() << "needs a desktop clipboard (xcb), not " << qPrintable(QGuiApplication::platformName());
  DriverDocument& document = Open(WriteDriver("tv.vir", "Other", {"POWER", "MUTE", "INPUT"}));
  CDriverFrame frame(document);
  frame.FunctionView()->SelectPositions({0, 2});
  frame.Copy();

  // This process owns the clipboard and must keep answering while the other
  // one reads it, so it waits in an event loop, not a blocking call.
  const QString output = QString::fromStdString(Path("pasted.txt"));
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kChildOutput), output);
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  QEventLoop loop;
  QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=FrameTest.ClipboardChildPastes")});
  ASSERT_TRUE(child.waitForStarted(10000));
  loop.exec();
  ASSERT_EQ(child.state(), QProcess::NotRunning) << "the pasting process did not finish";
  EXPECT_EQ(child.exitCode(), 0);
  QFile file(output);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("POWER\nINPUT\n"));
}

}  // namespace
}  // namespace quillon::ui
