#pragma once
// LIRC remote definitions (lircd.conf) with raw codes:
//
//   begin remote
//     name  tv
//     flags RAW_CODES
//     frequency 38000
//     gap   40000
//     begin raw_codes
//       name KEY_POWER
//         9000 4500 560 560 ...
//     end raw_codes
//   end remote
//
// Each raw code is one press as pulse and space durations in microseconds,
// pulse first and last; the remote's "gap" is the pause after it (with
// CONST_LENGTH the time from the start of one press to the next) and
// "min_repeat" the extra presses sent for one. Remotes that describe their
// codes by bit timings instead are skipped with a message.
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

class TIrLircFile {
 public:
  // The carrier of a remote without a "frequency" line, as LIRC assumes.
  static constexpr int kDefaultCarrierHz = 38000;

  // Reads TEXT (FILE names it in messages). Throws TIrFormatError for text
  // that is not a remote definition.
  static TIrParsedFile Parse(std::string_view text, const std::string& file);
  // Writes ENTRIES as raw codes, one remote per carrier, named REMOTE (with
  // the carrier appended when there are several). Button names lose blanks
  // and other characters LIRC cannot read; NOTES says which.
  static std::string Write(const std::vector<TIrNamedSignal>& entries, const std::string& remote,
                           std::vector<std::string>& notes);
};

}  // namespace quillon
