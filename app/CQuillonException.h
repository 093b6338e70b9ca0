#pragma once
// The program's general message exception: a text carried from the place of
// failure to the catch site, which shows it to the user.
#include <exception>
#include <string>

namespace quillon {

class CQuillonException : public std::exception {
 public:
  explicit CQuillonException(std::string text) : m_text(std::move(text)) {}

  const std::string& GetText() const noexcept { return m_text; }
  const char* what() const noexcept override { return m_text.c_str(); }

 private:
  std::string m_text;
};

}  // namespace quillon
