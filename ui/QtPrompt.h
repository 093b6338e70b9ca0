#pragma once
// The one bridge from the UI-free cores to message boxes and choice dialogs.
// Tests queue the answers the next boxes give (SetNextAnswer, SetNextChoice)
// and read what was shown (Shown()), so a flow runs without a person at the
// screen and without a modal loop.
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
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

  // --- The program's own dialogs -------------------------------------------
  // A message box or choice whose caption is registered is shown by the
  // registered dialog instead of a plain box (the copy-conflict dialog, the
  // import error list). Queued test answers still come first.
  using MessageDialog = std::function<PromptAnswer(QWidget* parent, const std::string& text,
                                                   PromptButtons buttons, PromptIcon icon)>;
  using ChoiceDialog = std::function<int(QWidget* parent, const std::string& text,
                                         const std::vector<std::string>& options)>;
  static void RegisterMessageDialog(const std::string& caption, MessageDialog dialog);
  static void RegisterChoiceDialog(const std::string& title, ChoiceDialog dialog);

 private:
  QWidget* m_parent;
};

}  // namespace quillon::ui
