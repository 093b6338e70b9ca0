#pragma once
// Line-by-line reading of the text interchange formats with bounded numbers
// and errors that name the file and the line ("remote.conf:12: ...").
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A file that cannot be read as the format it claims to be. what() is
// "FILE:LINE: reason" (or "FILE: reason" for the whole file).
class TIrFormatError : public std::runtime_error {
 public:
  TIrFormatError(const std::string& file, int line, const std::string& reason);
  const std::string& File() const { return m_file; }
  int Line() const { return m_line; }
  const std::string& Reason() const { return m_reason; }

 private:
  std::string m_file;
  int m_line;
  std::string m_reason;
};

class TIrTextReader {
 public:
  // The largest text any of the formats is read from.
  static constexpr std::size_t kMaxTextSize = std::size_t(16) << 20;

  // TEXT is the whole file (a leading UTF-8 byte-order mark is skipped);
  // FILE names it in messages. Throws TIrFormatError for a text larger than
  // kMaxTextSize or one holding a NUL byte.
  TIrTextReader(std::string_view text, std::string file);

  // The next line without its line break (CR LF or LF) and surrounding
  // blanks; false at the end.
  bool Next(std::string_view& line);
  // The number of the line Next returned last (1 for the first).
  int Line() const { return m_line; }
  const std::string& File() const { return m_file; }

  // Throws TIrFormatError for the current line.
  [[noreturn]] void Fail(const std::string& reason) const;
  [[noreturn]] void Fail(int line, const std::string& reason) const;
  // "FILE:LINE: reason" for the current line or for LINE.
  std::string Message(const std::string& reason) const;
  std::string Message(int line, const std::string& reason) const;

  // The whitespace-separated tokens of TEXT.
  static std::vector<std::string_view> Split(std::string_view text);
  static std::string_view Trim(std::string_view text);
  // A decimal number of at most MAX; false for anything else (signs,
  // fractions, overflow).
  static bool ParseUnsigned(std::string_view token, uint64_t max, uint64_t& value);
  // A hexadecimal number of at most MAX (no prefix).
  static bool ParseHex(std::string_view token, uint64_t max, uint64_t& value);
  // TEXT cut for quoting in a message: at most 40 characters, control
  // characters shown as '?'.
  static std::string Quote(std::string_view text);

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
  std::string m_file;
  int m_line = 0;
};

}  // namespace quillon
