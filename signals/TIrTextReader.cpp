#include "signals/TIrTextReader.h"

#include <cctype>

namespace quillon {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

TIrFormatError::TIrFormatError(const std::string& file, int line, const std::string& reason)
    : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + reason : file + ": " + reason),
      m_file(file),
      m_line(line),
      m_reason(reason) {}

TIrTextReader::TIrTextReader(std::string_view text, std::string file) : m_text(text), m_file(std::move(file)) {
  if (m_text.size() > kMaxTextSize) {
    throw TIrFormatError(m_file, 0, "larger than " + std::to_string(kMaxTextSize >> 20) + " MB");
  }
  if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_text.remove_prefix(3);
  const std::size_t nul = m_text.find('\0');
  if (nul != std::string_view::npos) {
    int line = 1;
    for (std::size_t i = 0; i < nul; ++i) line += m_text[i] == '\n';
    throw TIrFormatError(m_file, line, "a NUL byte: not a text file");
  }
}

bool TIrTextReader::Next(std::string_view& line) {
  if (m_pos >= m_text.size()) return false;
  const std::size_t end = m_text.find('\n', m_pos);
  const std::size_t stop = end == std::string_view::npos ? m_text.size() : end;
  line = Trim(m_text.substr(m_pos, stop - m_pos));
  m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
  ++m_line;
  return true;
}

void TIrTextReader::Fail(const std::string& reason) const { throw TIrFormatError(m_file, m_line, reason); }

void TIrTextReader::Fail(int line, const std::string& reason) const { throw TIrFormatError(m_file, line, reason); }

std::string TIrTextReader::Message(const std::string& reason) const { return Message(m_line, reason); }

std::string TIrTextReader::Message(int line, const std::string& reason) const {
  return TIrFormatError(m_file, line, reason).what();
}

std::vector<std::string_view> TIrTextReader::Split(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n')) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '\n') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

std::string_view TIrTextReader::Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool TIrTextReader::ParseUnsigned(std::string_view token, uint64_t max, uint64_t& value) {
  if (token.empty() || token.size() > 20) return false;
  uint64_t v = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (digit > max || v > (max - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}

bool TIrTextReader::ParseHex(std::string_view token, uint64_t max, uint64_t& value) {
  if (token.empty() || token.size() > 16) return false;
  uint64_t v = 0;
  for (char c : token) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    const uint64_t d = static_cast<uint64_t>(digit);
    if (d > max || v > (max - d) / 16) return false;
    v = v * 16 + d;
  }
  value = v;
  return true;
}

std::string TIrTextReader::Quote(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 40)) out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
  if (text.size() > 40) out += "...";
  return out;
}

}  // namespace quillon
