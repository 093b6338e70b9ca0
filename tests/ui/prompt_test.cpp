#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "ui/DriverDocument.h"
#include "ui/FileDialog.h"
#include "ui/QtPrompt.h"

namespace quillon::ui {
namespace {

TEST(QtPrompt, QueuedAnswersAreUsedInOrderAndEveryBoxIsRecorded) {
  QtPrompt prompt;
  QtPrompt::ClearShown();
  QtPrompt::SetNextAnswer(PromptAnswer::No);
  QtPrompt::SetNextChoice(2);
  EXPECT_EQ(prompt.MessageBox("Save changes?", "", PromptButtons::YesNoCancel, PromptIcon::Question),
            PromptAnswer::No);
  EXPECT_EQ(prompt.Choose("Conflicting Function Names", "POWER exists", {"a", "b", "c"}), 2);
  EXPECT_EQ(QtPrompt::PendingAnswers(), 0u);
  ASSERT_EQ(QtPrompt::ShownBoxes().size(), 2u);
  EXPECT_EQ(QtPrompt::ShownBoxes()[0].text, "Save changes?");
  EXPECT_EQ(QtPrompt::ShownBoxes()[1].caption, "Conflicting Function Names");
}

TEST(QtPrompt, ARealBoxClosedWithoutAButtonGivesItsEscapeAnswer) {
  QtPrompt prompt;
  // Close the box the moment it is shown, as a user pressing Escape.
  QTimer::singleShot(0, [] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(widget)) box->reject();
    }
  });
  EXPECT_EQ(prompt.MessageBox("Replace?", "Quillon", PromptButtons::YesNo, PromptIcon::Question), PromptAnswer::No);
}

TEST(FileDialog, QueuedNamesAnswerTheNextDialogsAndAnEmptyNameCancels) {
  FileDialog::SetNextFileName(QStringLiteral("/tmp/tv.vir"));
  FileDialog::SetNextFileName(QString());
  FileDialog::Options options;
  options.caption = QStringLiteral("Open");
  EXPECT_EQ(FileDialog::GetOpenFileName(nullptr, options), QStringLiteral("/tmp/tv.vir"));
  EXPECT_TRUE(FileDialog::GetSaveFileName(nullptr, options).isEmpty());
  EXPECT_EQ(FileDialog::LastOptions().caption, QStringLiteral("Open"));
}

TEST(DriverDocument, EveryChangeReachesTheWindowsAndTheTitleFollowsTheModifiedMark) {
  QtPrompt prompt;
  DriverDocument document(prompt);
  int changes = 0;
  QStringList titles;
  QObject::connect(&document, &DriverDocument::Changed, [&] { ++changes; });
  QObject::connect(&document, &DriverDocument::TitleChanged, [&](const QString& title) { titles << title; });
  document.SetTitle(QStringLiteral("VIR1"));
  ASSERT_TRUE(document.Doc().OnNewDocument());
  const int before = changes;
  document.Doc().NewFunction();
  EXPECT_GT(changes, before);
  document.Doc().SetModifiedFlag(true);
  document.NotifyChanged();
  EXPECT_EQ(document.DecoratedTitle(), QStringLiteral("VIR1*"));
  ASSERT_FALSE(titles.isEmpty());
  EXPECT_EQ(titles.back(), QStringLiteral("VIR1*"));
}

}  // namespace
}  // namespace quillon::ui
