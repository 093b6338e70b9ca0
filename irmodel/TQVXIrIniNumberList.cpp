#include "irmodel/TQVXIrIniNumberList.h"

#include <climits>

namespace quillon {
namespace {

bool IsTokenChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == 'x' ||
         c == 'X';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HasHexLetter(std::string_view token) {
  for (char c : token) {
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) return true;
  }
  return false;
}

// Hexadecimal digits up to the first character that is not one; leading
// zeros do not count, and only the last four significant digits are kept.
int ParseHex(std::string_view digits, bool* truncated) {
  size_t end = 0;
  while (end < digits.size() && HexDigit(digits[end]) >= 0) ++end;
  size_t start = 0;
  while (start < end && digits[start] == '0') ++start;
  if (end - start > 4) {
    if (truncated) *truncated = true;
    start = end - 4;
  }
  int value = 0;
  for (size_t i = start; i < end; ++i) value = value * 16 + HexDigit(digits[i]);
  return value;
}

// Leading decimal digits, as atoi reads them (tokens carry no sign or
// blanks); saturates instead of overflowing.
int ParseDecimal(std::string_view token) {
  long long value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

}  // namespace

int TQVXIrIniNumberList::ParseToken(std::string_view token, bool* truncated) {
  if (token.size() > 2 && (token[1] == 'x' || token[1] == 'X')) return ParseHex(token.substr(2), truncated);
  if (HasHexLetter(token)) return ParseHex(token, truncated);
  return ParseDecimal(token);
}

std::vector<int> TQVXIrIniNumberList::Parse(std::string_view text, int maxCount, int* truncations) {
  std::vector<int> numbers;
  if (truncations) *truncations = 0;
  size_t pos = 0;
  while (pos < text.size() && static_cast<int>(numbers.size()) < maxCount) {
    while (pos < text.size() && !IsTokenChar(text[pos])) ++pos;
    if (pos >= text.size()) break;
    size_t end = pos;
    while (end < text.size() && IsTokenChar(text[end])) ++end;
    bool cut = false;
    numbers.push_back(ParseToken(text.substr(pos, end - pos), &cut));
    if (cut && truncations) ++*truncations;
    pos = end;
  }
  return numbers;
}

}  // namespace quillon
