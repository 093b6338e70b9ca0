#include "app/CMemINIValue.h"

#include <charconv>
#include <cmath>
#include <climits>
#include <cstddef>

namespace quillon {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  // From the end: names of one family ("function_0", "function_1", ...)
  // differ in their last characters, so a scan of a section list stops early.
  for (std::size_t i = a.size(); i-- > 0;) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

int AtoiText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long magnitude = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      magnitude = limit;  // saturate, keep consuming digits
    }
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

double AtofText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  if (i < text.size() && text[i] == '+') {
    ++i;
    if (i < text.size() && text[i] == '-') return 0.0;  // "+-" is no number
  }
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  double result = 0.0;
  const std::from_chars_result parsed = std::from_chars(first, last, result, std::chars_format::general);
  if (parsed.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone; atof gives +-HUGE_VAL, or 0 on underflow.
    const bool negative = *first == '-';
    const std::size_t e = text.find_first_of("eE", i);
    const bool tiny = e != std::string::npos && e + 1 < text.size() && text[e + 1] == '-';
    if (tiny) return negative ? -0.0 : 0.0;
    return negative ? -HUGE_VAL : HUGE_VAL;
  }
  return parsed.ec == std::errc() ? result : 0.0;
}

int CMemINIValue::GetInt() const { return m_value.empty() ? 0 : AtoiText(m_value); }

double CMemINIValue::GetDouble() const { return m_value.empty() ? 0.0 : AtofText(m_value); }

}  // namespace quillon
