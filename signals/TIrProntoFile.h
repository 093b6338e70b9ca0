#pragma once
// Pronto Hex codes in the learned form: four-digit hex words "0000" (or
// "0100" for an unmodulated signal), the carrier word F (carrier = 1 MHz /
// (F x 0.241246)), the number of burst pairs sent once, the number of burst
// pairs repeated, then the pairs as on and off times counted in carrier
// cycles. A file holds one code after another, each preceded by a line with
// its name or written as "NAME: 0000 006D ..."; '#' starts a comment line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

class TIrProntoFile {
 public:
  // One Pronto time unit per carrier word: F x 0.241246 us.
  static constexpr double kUnitUs = 0.241246;

  // The signal of one code given as its words. Throws std::invalid_argument
  // with the reason for a code that is not of the learned form or whose
  // counts do not match its length.
  static TIrSignal FromWords(const std::vector<uint16_t>& words);
  // The words of SIGNAL (once part, then repeated part). Durations beyond
  // 65535 units are cut to it; NOTE gets the reason when that happens.
  static std::vector<uint16_t> ToWords(const TIrSignal& signal, std::string* note = nullptr);
  static std::string ToText(const std::vector<uint16_t>& words);

  // Reads TEXT (FILE names it in messages). Throws TIrFormatError for text
  // that is not Pronto Hex; codes of other Pronto forms are left out with a
  // message. Codes without a name get "Signal 1", "Signal 2", ...
  static TIrParsedFile Parse(std::string_view text, const std::string& file);
  // Writes each entry as its name on one line and its code on the next.
  static std::string Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes);
};

}  // namespace quillon
