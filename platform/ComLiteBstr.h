#pragma once
// BSTR: a length-prefixed, zero-terminated UTF-16 string allocated with the C
// heap, so a string made by one module can be freed by another. A null BSTR
// is the empty string.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ComLiteTypes.h"

namespace quillon::com {

using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);  // text may be null: zero-filled
void SysFreeString(BSTR text);
uint32_t SysStringLen(const OLECHAR* text);      // characters, 0 for null
uint32_t SysStringByteLen(const OLECHAR* text);  // bytes, 0 for null

// Conversions between BSTR / UTF-16 and UTF-8. Unpaired surrogates become
// U+FFFD; malformed UTF-8 bytes become U+FFFD.
BSTR BstrFromUtf8(std::string_view utf8);
BSTR BstrFromUtf16(std::u16string_view text);
std::string Utf8FromBstr(const OLECHAR* text);
std::u16string Utf16FromBstr(const OLECHAR* text);
std::string Utf8FromUtf16(std::u16string_view text);
std::u16string Utf16FromUtf8(std::string_view utf8);

// Owns one BSTR and frees it when it goes out of scope.
class ComBstr {
 public:
  ComBstr() = default;
  explicit ComBstr(std::string_view utf8) : text_(BstrFromUtf8(utf8)) {}
  ComBstr(const ComBstr&) = delete;
  ComBstr& operator=(const ComBstr&) = delete;
  ComBstr(ComBstr&& other) noexcept : text_(other.Detach()) {}
  ComBstr& operator=(ComBstr&& other) noexcept {
    if (this != &other) Attach(other.Detach());
    return *this;
  }
  ~ComBstr() { SysFreeString(text_); }

  BSTR Get() const { return text_; }
  // Frees the held string and gives the address for an out parameter.
  BSTR* Out() {
    Attach(nullptr);
    return &text_;
  }
  void Attach(BSTR text) {
    SysFreeString(text_);
    text_ = text;
  }
  BSTR Detach() {
    BSTR t = text_;
    text_ = nullptr;
    return t;
  }
  std::string Utf8() const { return Utf8FromBstr(text_); }
  uint32_t Length() const { return SysStringLen(text_); }

 private:
  BSTR text_ = nullptr;
};

}  // namespace quillon::com
