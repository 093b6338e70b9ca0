#pragma once
// The ".ir" text files of handheld IR tools and the public IR databases:
//
//   Filetype: IR signals file
//   Version: 1
//   #
//   name: Power
//   type: parsed
//   protocol: NEC
//   address: 04 00 00 00
//   command: 08 00 00 00
//   #
//   name: Vol_up
//   type: raw
//   frequency: 38000
//   duty_cycle: 0.330000
//   data: 9024 4512 579 552 ...
//
// Parsed entries name a protocol and give address and command as four hex
// bytes, least significant first; raw entries give one press as mark and
// space durations in microseconds, mark first. "IR library file" files hold
// the same entries.
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

class TIrSignalsFile {
 public:
  static constexpr std::size_t kMaxEntries = 10000;

  // Reads TEXT (FILE names it in messages). Throws TIrFormatError when the
  // text is not such a file or a line cannot be read; entries that name an
  // unknown protocol or lack a field are left out with a message.
  static TIrParsedFile Parse(std::string_view text, const std::string& file);

  // Writes ENTRIES in their order: an entry with a code as a parsed entry,
  // the others as raw entries of one press (the closing pause is not
  // written; the format has no place for it). Names are cut to printable
  // ASCII and kept unique; each change is described in NOTES.
  static std::string Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes);
};

}  // namespace quillon
