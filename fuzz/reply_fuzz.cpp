// Short device replies: the firmware text and the memory text. Any reply
// reads as a number (0 when it is not one) and a free-space figure, and both
// agree with what the text says:
//  - a firmware reply written as decimal digits with an optional point reads
//    as that number (to float precision);
//  - the free space is the capacity after the last blank (12000000 when
//    there is none) minus the used figure at the start, scaled by a "k" or
//    "M" after the first blank; figures of up to 12 digits give exactly that
//    difference, larger ones never wrap around: a used figure above the
//    capacity always leaves less than nothing, and none ever adds space.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "devicelink/CQVXProtocol.h"
#include "fuzz/FuzzTarget.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A figure as the text writes it: sign and decimal digits after any leading
// white space (integer reading rules).
struct Figure {
  bool negative = false;
  std::string digits;  // without leading zeros

  bool Exact() const { return digits.size() <= 12; }
  // The value, exact for Exact() figures.
  long double Value() const {
    long double v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return negative ? -v : v;
  }
};

Figure ReadFigure(const std::string& text, std::size_t from) {
  Figure f;
  std::size_t p = from;
  while (p < text.size() && IsSpace(text[p])) ++p;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) f.negative = text[p++] == '-';
  while (p < text.size() && IsDigit(text[p])) {
    if (!(f.digits.empty() && text[p] == '0')) f.digits += text[p];
    ++p;
  }
  return f;
}

void CheckFirmware(const std::string& reply) {
  using quillon::CQVXProtocol;
  const float firmware = CQVXProtocol::ParseFirmware(reply);
  // The number ends at a NUL like at any other character that is not part
  // of it.
  const std::string& text = reply;
  std::size_t p = 0;
  while (p < text.size() && IsSpace(text[p])) ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  std::string before, after;
  while (p < text.size() && IsDigit(text[p])) before += text[p++];
  bool point = false;
  if (p < text.size() && text[p] == '.') {
    point = true;
    ++p;
    while (p < text.size() && IsDigit(text[p])) after += text[p++];
  }
  const char next = p < text.size() ? text[p] : '\0';
  if (before.empty() && after.empty()) {
    // No digits: "inf", "nan" and hexadecimal forms aside, nothing is a number.
    const bool special = next == 'i' || next == 'I' || next == 'n' || next == 'N';
    if (!special && !point) QUILLON_FUZZ_CHECK(firmware == 0.0f);
    return;
  }
  // An exponent or a hexadecimal prefix makes another number; only plain
  // decimals are compared.
  if (next == 'e' || next == 'E' || next == 'x' || next == 'X' || next == 'p' || next == 'P') return;
  if (before.size() + after.size() > 30) return;  // beyond a float's reach either way
  long double expected = 0;
  for (char c : before) expected = expected * 10 + (c - '0');
  long double scale = 1;
  for (char c : after) {
    scale /= 10;
    expected += (c - '0') * scale;
  }
  if (negative) expected = -expected;
  const long double difference = std::fabs(static_cast<long double>(firmware) - expected);
  QUILLON_FUZZ_CHECK(difference <= std::fabs(expected) * 1e-6L);
  // Below 1.03 the gated part numbers end the connection; from 1.03 on none does.
  QUILLON_FUZZ_CHECK(CQVXProtocol::IsFirmwareGated(firmware, "71-518-01") == (firmware < 1.03f));
  QUILLON_FUZZ_CHECK(!CQVXProtocol::IsFirmwareGated(firmware, "71-518-02"));
}

void CheckFreeSpace(const std::string& reply) {
  using quillon::CQVXProtocol;
  const std::int64_t free = CQVXProtocol::FreeSpace(reply);
  if (reply.empty()) {
    QUILLON_FUZZ_CHECK(free == CQVXProtocol::kDefaultCapacity);
    return;
  }
  // The blanks are looked for in the whole reply; the figures end at a NUL
  // like any other non-digit.
  const std::string& text = reply;
  // Capacity: the figure after the last blank, when it is at least 1.
  Figure capacity;
  capacity.digits = std::to_string(CQVXProtocol::kDefaultCapacity);
  const std::size_t lastBlank = text.rfind(' ');
  if (lastBlank != std::string::npos && lastBlank + 1 < text.size()) {
    const Figure stated = ReadFigure(text, lastBlank + 1);
    if (!stated.negative && !stated.digits.empty()) capacity = stated;
  }
  // Used: the figure at the start, scaled by the unit after the first blank.
  const Figure used = ReadFigure(text, 0);
  long double scale = 1;
  const std::size_t firstBlank = text.find(' ');
  if (firstBlank != std::string::npos && firstBlank + 1 < text.size()) {
    const char unit = text[firstBlank + 1];
    if (unit == 'k' || unit == 'K') scale = 1024;
    if (unit == 'm' || unit == 'M') scale = 1048576;
  }
  const long double usedValue = used.Value() * scale;
  const long double expected = capacity.Value() - usedValue;
  if (capacity.Exact() && used.Exact()) {
    QUILLON_FUZZ_CHECK(static_cast<long double>(free) == expected);
    return;
  }
  // Huge figures: whatever is saturated, the direction holds. No used figure
  // ever adds space...
  if (usedValue >= 0) QUILLON_FUZZ_CHECK(static_cast<long double>(free) <= capacity.Value());
  if (capacity.Exact()) {
    // ...one beyond any exact capacity leaves less than nothing, and a huge
    // negative one never takes space away.
    if (usedValue > 0) QUILLON_FUZZ_CHECK(free < 0);
    if (usedValue < 0) QUILLON_FUZZ_CHECK(static_cast<long double>(free) > capacity.Value());
  }
}

}  // namespace

QUILLON_FUZZ_TARGET(reply) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  CheckFirmware(reply);
  CheckFreeSpace(reply);
  return 0;
}
