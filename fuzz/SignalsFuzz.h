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
  for (const TIrNamedSignal& s : parsed.signals) QUILLON_FUZZ_CHECK(s.signal.Problem().empty());
  if (parsed.signals.empty()) return 0;

  std::vector<std::string> notes;
  const std::string written = TIrFileFormat::Write(format, parsed.signals, "fuzz", notes);
  TIrParsedFile again;
  try {
    again = TIrFileFormat::Parse(format, written, "written");
  } catch (const TIrFormatError&) {
    QUILLON_FUZZ_CHECK(false);  // what the writer writes always reads
  }
  QUILLON_FUZZ_CHECK(again.signals.size() == parsed.signals.size());
  for (std::size_t i = 0; i < parsed.signals.size(); ++i) {
    QUILLON_FUZZ_CHECK(again.signals[i].code.has_value() == parsed.signals[i].code.has_value());
    if (parsed.signals[i].code) QUILLON_FUZZ_CHECK(*again.signals[i].code == *parsed.signals[i].code);
  }
  return 0;
}

}  // namespace quillon::fuzz
