#include "irmodel/CDriverDocText.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "quillon/Version.h"

namespace quillon {

const char* CDriverDocText::DriverKindText(int kind) {
  switch (kind) {
    case 0:
      return "IR Driver:  ";
    case 1:
      return "X10 Driver:  ";
    case 2:
    case 3:
      return "Multifunction IR Driver:  ";
    default:
      return "";
  }
}

bool CDriverDocText::HasIllegalNameCharacters(std::string_view name) {
  return name.find_first_of("<>&'\"") != std::string_view::npos;
}

bool CDriverDocText::CleanHeaderText(std::string& text) {
  if (text.find_first_of("<>&\"'") == std::string::npos) return false;
  std::string cleaned;
  cleaned.reserve(text.size());
  for (char c : text) {
    if (c != '<' && c != '>' && c != '"' && c != '\'') cleaned += c;
  }
  std::string joined;
  joined.reserve(cleaned.size() + 8);
  for (size_t i = 0; i < cleaned.size();) {
    if (cleaned.compare(i, 3, " & ") == 0) {
      joined += " and ";
      i += 3;
    } else {
      joined += cleaned[i++];
    }
  }
  text.clear();
  for (char c : joined) {
    if (c != '&') text += c;
  }
  return true;
}

int CDriverDocText::ConfirmVersion(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] < '0' || text[pos] > '9')) ++pos;
  if (pos >= text.size()) return 1;
  long long value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    if (value > 255) value = 256;  // keeps the number bounded; clamped below
    ++pos;
  }
  if (value < 1) return 1;
  if (value > 255) return 255;
  return static_cast<int>(value);
}

int CDriverDocText::SpinVersion(int value, int delta) {
  long long next = static_cast<long long>(value) + delta;
  if (next < 1) return 1;
  if (next > 255) return 255;
  return static_cast<int>(next);
}

int CDriverDocText::SpinRepeatCount(int value, int delta) {
  const long long next = static_cast<long long>(value) + delta;
  if (next < 0) return 0;
  if (next > 15) return 15;
  return static_cast<int>(next);
}

std::string CDriverDocText::FormatSavedTime(std::time_t time) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm parts{};
  if (localtime_r(&time, &parts) == nullptr) return std::string();
  int hour12 = parts.tm_hour % 12;
  if (hour12 == 0) hour12 = 12;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %d, %d, %02d:%02d%s", kDays[parts.tm_wday % 7],
                kMonths[parts.tm_mon % 12], parts.tm_mday, parts.tm_year + 1900, hour12, parts.tm_min,
                parts.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::string CDriverDocText::ProgramVersionText() {
  // The generated version text holds "major.minor.patch"; missing parts are 0.
  int parts[3] = {0, 0, 0};
  const std::string text = QUILLON_VERSION_TEXT;
  size_t pos = 0;
  for (int i = 0; i < 3 && pos < text.size(); ++i) {
    long long value = 0;
    bool any = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + (text[pos++] - '0');
      if (value > INT_MAX) value = INT_MAX;
      any = true;
    }
    if (!any) break;
    parts[i] = static_cast<int>(value);
    if (pos < text.size() && text[pos] == '.') ++pos;
    else break;
  }
  if (parts[0] == 0 && parts[1] == 0 && parts[2] == 0) return std::string();
  char out[48];
  std::snprintf(out, sizeof out, "%d.%d.%d", parts[0], parts[1], parts[2]);
  return out;
}

std::string CDriverDocText::FileNameEntry(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name.size() > 250) name = name.substr(name.size() - 250);
  return std::string(name);
}

std::string CDriverDocText::Format(const char* format, const std::string& text) {
  const int size = std::snprintf(nullptr, 0, format, text.c_str());
  if (size < 0) return std::string();
  std::vector<char> out(static_cast<size_t>(size) + 1);
  std::snprintf(out.data(), out.size(), format, text.c_str());
  return std::string(out.data(), static_cast<size_t>(size));
}

std::string CDriverDocText::Format(const char* format, int number) {
  char out[256];
  std::snprintf(out, sizeof out, format, number);
  return out;
}

std::string CDriverDocText::FormatError(const char* format, const std::string& path, int code,
                                        const char* cause) {
  const char* why = cause ? cause : "";
  const int size = std::snprintf(nullptr, 0, format, path.c_str(), code, why);
  if (size < 0) return std::string();
  std::vector<char> out(static_cast<size_t>(size) + 1);
  std::snprintf(out.data(), out.size(), format, path.c_str(), code, why);
  return std::string(out.data(), static_cast<size_t>(size));
}

}  // namespace quillon
