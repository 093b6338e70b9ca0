#pragma once
// A running main window for GUI tests: temporary registry stores and
// instance socket, the real start-up with a given command line, commands
// triggered by their action names, and sample drivers written to files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CQuillonApp.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "tests/app/RegistryEnv.h"
#include "ui/DriverDocument.h"
#include "ui/MainFrame.h"
#include "ui/QtPrompt.h"

namespace quillon::ui::testing {

// Answers every message box of a helper document with OK.
class SilentPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

// Writes a driver of DEVICETYPE with functions NAMES (each with one learned
// sub-function) to PATH.
inline void WriteDriver(const std::string& path, const std::vector<std::string>& names,
                        const std::string& deviceType = "OTHER") {
  SilentPrompt prompt;
  CDriverDoc doc(prompt);
  ASSERT_TRUE(doc.OnNewDocument());
  doc.GetDriver().GetHeader().SetText(TQVXIrHeaderEntry::kDeviceType, deviceType.c_str());
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto function = std::make_unique<TQVXIrFunction>();
    function->SetName(names[i]);
    auto sub = std::make_unique<TQVXIrSubFunction>();
    sub->SetFlags(1);
    sub->SetDivider(static_cast<std::uint16_t>(1736 + i));
    sub->SetTimes(std::vector<std::uint16_t>{0x20, 0x60, 0x400});
    const std::uint8_t header[] = {0x01};
    const std::uint8_t body[] = {0x02, 0x12, static_cast<std::uint8_t>(0x20 + i % 16)};
    sub->SetHeaderAndBody(header, 1, body, 3);
    sub->SetCounts(static_cast<std::uint8_t>(4 * 16 + 3));
    function->AddSubFunction(std::move(sub));
    doc.GetDriver().Append(std::move(function));
  }
  ASSERT_TRUE(doc.OnSaveDocument(path));
}

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() {
    ::setenv("QUILLON_INSTANCE_SOCKET", m_env.Dir().File("instance.socket").c_str(), 1);
    QtPrompt::ClearShown();
    // A dialog nobody answers fails the test instead of hanging it.
    m_watchdog.setInterval(4000);
    QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal && modal == m_lastModal) {
        ADD_FAILURE() << "an unanswered dialog was left open: " << modal->windowTitle().toStdString();
        modal->close();
      }
      m_lastModal = modal;
    });
    m_watchdog.start();
  }
  ~ShellTest() override {
    if (m_frame) {
      // Leave without save prompts: the test has checked what it wanted.
      for (DriverDocument* document : m_frame->Documents()) document->Doc().SetModifiedFlag(false);
      m_frame->close();
      m_frame.reset();
    }
    m_app.reset();
    Settle();
    ::unsetenv("QUILLON_INSTANCE_SOCKET");
  }

  // Runs the program's start-up with ARGS as its command line.
  bool Start(const std::vector<std::string>& args, CQuillonApp::Seams seams = CQuillonApp::Seams()) {
    m_app = std::make_unique<CQuillonApp>(m_prompt, std::move(seams));
    m_frame = std::make_unique<CMainFrame>(*m_app, m_prompt);
    m_prompt.SetParent(m_frame.get());
    const bool ok = m_app->InitInstance(CQuillonCommandLine::Parse(args), *m_frame);
    Settle();
    return ok;
  }

  CMainFrame& Frame() { return *m_frame; }
  CQuillonApp& App() { return *m_app; }
  const ::quillon::testing::TempDir& Dir() const { return m_env.Dir(); }
  std::string DriverPath(const std::string& name) const { return m_env.Dir().File(name); }

  QAction* Action(const char* name) {
    auto* action = m_frame->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  }
  void Trigger(const char* name) {
    QAction* action = Action(name);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << name << " is disabled";
    action->trigger();
    Settle();
  }
  // Lets the window finish what the last command started: posted events,
  // and closed windows deleted.
  static void Settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }

  // The object names of the menu bar's menus, in order.
  QStringList MenuNames() {
    QStringList names;
    for (QAction* action : m_frame->menuBar()->actions()) {
      if (action->menu()) names << action->menu()->objectName();
    }
    return names;
  }
  // The object names of the actions in menu NAME (separators left out).
  QStringList MenuActions(const char* name) {
    QStringList names;
    auto* menu = m_frame->findChild<QMenu*>(QString::fromLatin1(name));
    if (!menu) return names;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->isVisible()) names << action->objectName();
    }
    return names;
  }
  // The texts of the message boxes shown since the last call.
  std::vector<std::string> TakeMessages() {
    std::vector<std::string> texts;
    for (const auto& shown : QtPrompt::ShownBoxes()) texts.push_back(shown.text);
    QtPrompt::ClearShown();
    return texts;
  }

 private:
  ::quillon::testing::RegistryEnv m_env;
  QTimer m_watchdog;
  QPointer<QWidget> m_lastModal;
  QtPrompt m_prompt;
  std::unique_ptr<CQuillonApp> m_app;
  std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace quillon::ui::testing
