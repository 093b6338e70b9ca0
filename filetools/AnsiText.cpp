#include "filetools/AnsiText.h"

#include "platform/Cp1252.h"

namespace quillon::filetools {
namespace {

uint8_t Fold(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<uint8_t>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

}  // namespace

std::string AnsiText::FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    size_t width = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) width = 2;
    const auto bytes = Utf8ToCp1252(com::Utf8FromUtf16(text.substr(i, width)));
    out += bytes && bytes->size() == 1 ? *bytes : std::string("?");
    i += width - 1;
  }
  return out;
}

std::string AnsiText::FromBstr(const com::OLECHAR* text) { return FromUtf16(com::Utf16FromBstr(text)); }

std::u16string AnsiText::ToUtf16(const std::string& ansi) { return com::Utf16FromUtf8(Cp1252ToUtf8(ansi)); }

com::BSTR AnsiText::ToBstr(const std::string& ansi) { return com::BstrFromUtf16(ToUtf16(ansi)); }

bool AnsiText::EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(static_cast<uint8_t>(a[i])) != Fold(static_cast<uint8_t>(b[i]))) return false;
  return true;
}

}  // namespace quillon::filetools
