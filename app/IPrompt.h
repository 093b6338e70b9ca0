#pragma once
// The seam through which UI-free cores ask the user something: message boxes,
// questions and choices. The windows answer through dialogs; tests and the
// command-line tool answer programmatically.
#include <string>
#include <vector>

namespace quillon {

// Button sets and answers keep the numeric values of the system's message
// boxes, so stored or compared results stay meaningful.
enum class PromptButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class PromptIcon { None = 0, Error = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };
enum class PromptAnswer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class IPrompt {
 public:
  virtual ~IPrompt() = default;

  // A message box: TEXT in a window titled CAPTION; returns the button pressed.
  virtual PromptAnswer MessageBox(const std::string& text, const std::string& caption,
                                  PromptButtons buttons, PromptIcon icon) = 0;

  // A choice dialog: returns the index of the chosen option, or -1 for cancel.
  virtual int Choose(const std::string& title, const std::string& text,
                     const std::vector<std::string>& options) = 0;
};

}  // namespace quillon
