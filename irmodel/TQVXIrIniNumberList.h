#pragma once
// Number lists of the driver INI interchange text: "0x1a2,0x3c,17" and the
// like. Used by the import to read dividers, time tables and selectors.
#include <string_view>
#include <vector>

namespace quillon {

class TQVXIrIniNumberList {
 public:
  // The message recorded when a hexadecimal number had more than four
  // significant digits and only the last four were kept.
  static constexpr const char* kTruncatedMessage = "List Value Truncated";

  // Cuts TEXT into tokens (maximal runs of 0-9, a-f, A-F, x, X; anything else
  // separates) and converts each into one number, stopping at the end of the
  // text or after MAXCOUNT numbers. A token longer than two characters whose
  // second character is x or X is hexadecimal after that prefix; otherwise a
  // token holding a letter a-f is hexadecimal; otherwise it is decimal with
  // the rules of atoi (so "x12" gives 0). Hexadecimal numbers keep only their
  // last four significant digits; each such cut sets *TRUNCATED (when given)
  // and counts in the returned truncation count.
  static std::vector<int> Parse(std::string_view text, int maxCount, int* truncations = nullptr);

  // One token converted by the rules above; *TRUNCATED is set when digits
  // were dropped.
  static int ParseToken(std::string_view token, bool* truncated = nullptr);
};

}  // namespace quillon
