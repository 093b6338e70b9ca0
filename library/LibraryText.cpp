#include "library/LibraryText.h"

#include <cctype>
#include <climits>

namespace quillon::library {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::optional<int> NumberedName(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix)) return std::nullopt;
  const std::string_view digits = name.substr(prefix.size());
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  long long value = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return std::nullopt;
  }
  return static_cast<int>(value);
}

std::vector<int> ParseVersionList(std::string_view value, std::vector<std::string>* rejected) {
  std::vector<int> out;
  const std::string trimmed = Trim(value);
  if (trimmed.empty() || !IsDigit(trimmed[0])) return out;
  std::size_t i = 0;
  while (i < trimmed.size()) {
    if (!IsDigit(trimmed[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    long long number = 0;
    bool fits = true;
    for (; i < trimmed.size() && IsDigit(trimmed[i]); ++i) {
      if (fits) number = number * 10 + (trimmed[i] - '0');
      if (number > INT_MAX) fits = false;
    }
    if (fits)
      out.push_back(static_cast<int>(number));
    else if (rejected)
      rejected->push_back(trimmed.substr(start, i - start));
  }
  return out;
}

std::string DisplayName(const std::string& name) { return name == "???" ? std::string("Other") : name; }

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace quillon::library
