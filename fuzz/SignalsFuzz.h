#pragma once
// The check every IR interchange parser gets: any bytes either read or end
// in TIrFormatError; what was read is well formed, and writing it gives a
// text that reads back as the same number of signals, in the same order,
// with the same codes.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "signals/TIrFileFormat.h"
#include "signals/TIrTextReader.h"

namespace quillon::fuzz {

inline int CheckInterchangeParser(TIrFormat format, const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TIrParsedFile parsed;
  try {
    parsed = TIrFileFormat::Parse(format, text, "fuzz");
  } catch (const TIrFormatError& e) {
    QUILLON_FUZZ_CHECK(!e.Reason().empty());
    return 0;
  }
  for (const TIrNamedSignal& s : parsed.entries) QUILLON_FUZZ_CHECK(s.signal.Problem().empty());
  if (parsed.entries.empty()) return 0;

  std::vector<std::string> notes;
  const std::string written = TIrFileFormat::Write(format, parsed.entries, "fuzz", notes);
  TIrParsedFile again;
  try {
    again = TIrFileFormat::Parse(format, written, "written");
  } catch (const TIrFormatError&) {
    QUILLON_FUZZ_CHECK(false);  // what the writer writes always reads
  }
  QUILLON_FUZZ_CHECK(again.entries.size() == parsed.entries.size());
  for (std::size_t i = 0; i < parsed.entries.size(); ++i) {
    QUILLON_FUZZ_CHECK(again.entries[i].code.has_value() == parsed.entries[i].code.has_value());
    if (parsed.entries[i].code) QUILLON_FUZZ_CHECK(*again.entries[i].code == *parsed.entries[i].code);
  }
  return 0;
}

}  // namespace quillon::fuzz
