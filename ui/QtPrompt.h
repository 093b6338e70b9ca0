#pragma once
// The one bridge from the UI-free cores to message boxes and choice dialogs.
// Tests queue the answers the next boxes give (SetNextAnswer, SetNextChoice)
// and read what was shown (Shown()), so a flow runs without a person at the
// screen and without a modal loop.
#include <QString>
#include <QStringList>
#include <deque>
#include <string>
#include <vector>

#include "app/IPrompt.h"

class QWidget;

namespace quillon::ui {

class QtPrompt : public IPrompt {
 public:
  // One message box or choice that was shown, for tests.
  struct Shown {
    std::string text;
    std::string caption;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
  };

  explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
  void SetParent(QWidget* parent) { m_parent = parent; }

  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                          PromptIcon icon) override;
  int Choose(const std::string& title, const std::string& text, const std::vector<std::string>& options) override;

  // --- Test seams (process-wide, like the dialogs they replace) ----------
  // The next message box returns ANSWER at once instead of being shown.
  static void SetNextAnswer(PromptAnswer answer);
  // The next choice dialog returns INDEX (-1: cancelled) at once.
  static void SetNextChoice(int index);
  // Every box and choice shown (or answered from the queue) since the last
  // ClearShown(), oldest first.
  static const std::vector<Shown>& ShownBoxes();
  static void ClearShown();
  // Answers still queued (a test checks that each was used).
  static std::size_t PendingAnswers();

  // The program's title for boxes without a caption of their own.
  static QString DefaultCaption();

 private:
  QWidget* m_parent;
};

}  // namespace quillon::ui
