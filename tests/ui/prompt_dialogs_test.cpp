// QtPrompt hands boxes with a registered caption to the program's own
// dialogs, while queued test answers still come first and every box is
// recorded.
#include <gtest/gtest.h>

#include "ui/QtPrompt.h"

namespace quillon::ui {
namespace {

TEST(QtPromptDialogs, RegisteredCaptionsGoToTheirDialogsAfterQueuedAnswers) {
  QtPrompt prompt;
  QtPrompt::ClearShown();
  std::vector<std::string> asked;
  QtPrompt::RegisterChoiceDialog("Pick", [&](QWidget*, const std::string& text, const std::vector<std::string>& options) {
    asked.push_back(text);
    return static_cast<int>(options.size()) - 1;
  });
  QtPrompt::RegisterMessageDialog("Report", [&](QWidget*, const std::string& text, PromptButtons, PromptIcon) {
    asked.push_back(text);
    return PromptAnswer::Retry;
  });

  QtPrompt::SetNextChoice(0);
  EXPECT_EQ(prompt.Choose("Pick", "first", {"a", "b", "c"}), 0);  // the queue answers
  EXPECT_EQ(prompt.Choose("Pick", "second", {"a", "b", "c"}), 2);  // the dialog answers
  EXPECT_EQ(prompt.MessageBox("lines\nof text", "Report", PromptButtons::Ok, PromptIcon::Warning),
            PromptAnswer::Retry);
  EXPECT_EQ(asked, (std::vector<std::string>{"second", "lines\nof text"}));
  ASSERT_EQ(QtPrompt::ShownBoxes().size(), 3u);
  EXPECT_EQ(QtPrompt::ShownBoxes()[2].caption, "Report");
}

}  // namespace
}  // namespace quillon::ui
