#include "devicelink/CQVXConnectionType.h"

#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"

namespace quillon {
namespace {

constexpr size_t kMaxPasswordLength = 64;
constexpr char kHexDigits[] = "0123456789abcdef";

// The value of one scrambled-text digit: "0"-"9", anything else taken as a
// lowercase letter.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return c - 'a' + 10;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void CQVXConnectionType::UpdateText() {}

void CQVXConnectionType::CopyFrom(const CQVXConnectionType& other) {
  if (&other == this) return;
  CopyBaseFrom(other);
}

int CQVXConnectionType::IsEqual(const CQVXConnectionType&) const { return 0; }

int CQVXConnectionType::ParseText(std::string_view) {
  ResetForParse();
  return m_Valid;
}

void CQVXConnectionType::SetName(std::string_view name) {
  m_Name.assign(name.data(), name.size());
  UpdateText();
}

void CQVXConnectionType::SetPassword(std::string_view password) {
  m_Password.assign(password.data(), password.size());
  UpdateText();
}

void CQVXConnectionType::ResetForParse() {
  m_DisplayText.clear();
  m_ConnectionText.clear();
  m_Name.clear();
  m_Password.clear();
  m_ParseProblem.clear();
  m_Valid = 0;
}

void CQVXConnectionType::CopyBaseFrom(const CQVXConnectionType& other) {
  m_Valid = other.m_Valid;
  m_Name = other.m_Name;
  m_Password = other.m_Password;
  m_DisplayText = other.m_DisplayText;
  m_ConnectionText = other.m_ConnectionText;
}

std::unique_ptr<CQVXConnectionType> CQVXConnectionType::CreateFromText(std::string_view text) {
  std::unique_ptr<CQVXConnectionType> result;
  if (StartsWith(text, "SERIAL:")) {
    const std::string_view rest = text.substr(7);
    if (rest.empty()) return nullptr;
    result = std::make_unique<CQVXConnectionSerial>();
    result->ParseText(rest);
  } else if (StartsWith(text, "TCP:")) {
    const std::string_view rest = text.substr(4);
    if (rest.empty()) return nullptr;
    result = std::make_unique<CQVXConnectionTCP>();
    result->ParseText(rest);
  }
  return result;
}

std::unique_ptr<CQVXConnectionType> CQVXConnectionType::CreateCopy(const CQVXConnectionType* description) {
  if (!description) return nullptr;
  std::unique_ptr<CQVXConnectionType> copy;
  if (description->IsSerial()) {
    copy = std::make_unique<CQVXConnectionSerial>();
  } else if (description->IsTCP()) {
    copy = std::make_unique<CQVXConnectionTCP>();
  } else {
    copy = std::make_unique<CQVXConnectionType>();
  }
  copy->CopyFrom(*description);
  return copy;
}

std::string CQVXConnectionType::ScramblePassword(std::string_view password) {
  const size_t n = password.size() < kMaxPasswordLength ? password.size() : kMaxPasswordLength;
  std::string out;
  out.reserve(2 + 2 * n);
  unsigned k = (static_cast<unsigned>(n) ^ 0x9Du) & 0xFFu;
  out += kHexDigits[(k >> 4) & 0xF];
  out += kHexDigits[k & 0xF];
  for (size_t i = 0; i < n; ++i) {
    const unsigned p = static_cast<unsigned char>(password[i]);
    const unsigned c = ((p ^ 0x5Eu) - k) & 0xFFu;
    if (i % 2 == 1) {
      out += kHexDigits[(c >> 4) & 0xF];
      out += kHexDigits[c & 0xF];
    } else {
      out += kHexDigits[c & 0xF];
      out += kHexDigits[(c >> 4) & 0xF];
    }
    k = p;
  }
  return out;
}

std::string CQVXConnectionType::UnscramblePassword(std::string_view scrambled) {
  const size_t length = scrambled.size();
  if (length < 4 || length % 2 != 0) return {};
  const unsigned first = static_cast<unsigned>(DigitValue(scrambled[0]) * 16 + DigitValue(scrambled[1])) & 0xFFu;
  if (length - 2 != 2 * static_cast<size_t>(first ^ 0x9Du)) return {};
  std::string out;
  out.reserve((length - 2) / 2);
  unsigned k = first;
  for (size_t j = 0; 2 + 2 * j + 1 < length; ++j) {
    const char a = scrambled[2 + 2 * j];
    const char b = scrambled[2 + 2 * j + 1];
    const int value = (j % 2 == 1) ? DigitValue(a) * 16 + DigitValue(b) : DigitValue(b) * 16 + DigitValue(a);
    const unsigned c = static_cast<unsigned>(value) & 0xFFu;
    const unsigned p = ((c + k) & 0xFFu) ^ 0x5Eu;
    out += static_cast<char>(p);
    k = p;
  }
  return out;
}

}  // namespace quillon
