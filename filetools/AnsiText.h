#pragma once
// Texts stored in archives are single bytes of the Windows-1252 code page;
// the component interfaces carry UTF-16. Characters the code page cannot
// hold become '?'.
#include <string>

#include "platform/ComLiteBstr.h"

namespace quillon::filetools {

class AnsiText {
 public:
  static std::string FromUtf16(std::u16string_view text);
  static std::string FromBstr(const com::OLECHAR* text);
  static std::u16string ToUtf16(const std::string& ansi);
  static com::BSTR ToBstr(const std::string& ansi);
  // Case-insensitive equality of two code-page texts (letters of the code
  // page fold to lower case).
  static bool EqualsIgnoringCase(const std::string& a, const std::string& b);
};

}  // namespace quillon::filetools
