#pragma once
// The main window's progress alert for an upload: a text while the transfer
// runs, a completion text once the worker reports the outcome.
#include <string>

namespace quillon {

class CProgressAlert {
 public:
  void Prepare(std::string text, std::string completionText, std::string fileName);

  const std::string& GetText() const { return m_text; }
  const std::string& GetCompletionText() const { return m_completion; }
  void SetCompletionText(std::string text) { m_completion = std::move(text); }
  const std::string& GetFileName() const { return m_fileName; }
  void SetFileName(std::string name) { m_fileName = std::move(name); }

  // Ends the wait; the alert then shows its completion text.
  void Finish() { m_finished = true; }
  bool IsFinished() const { return m_finished; }
  // What the alert shows now.
  const std::string& GetShownText() const { return m_finished ? m_completion : m_text; }

 private:
  std::string m_text;
  std::string m_completion;
  std::string m_fileName;
  bool m_finished = false;
};

}  // namespace quillon
