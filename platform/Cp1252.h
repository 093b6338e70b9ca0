#pragma once
// Conversion between the single-byte Windows-1252 texts stored in driver,
// INI and archive files and UTF-8 for display and JSON.
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Every byte maps to one code point. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081, U+008D, U+008F,
// U+0090, U+009D so that every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

// The inverse of Cp1252ToUtf8. Returns nothing when the text is not valid
// UTF-8 or holds a character the code page cannot store.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

}  // namespace quillon
