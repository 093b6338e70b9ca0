// Plain raw timing text (+mark -space durations): any bytes read or end in TIrFormatError;
// what is read writes and reads back alike.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzTarget.h"
#include "fuzz/SignalsFuzz.h"

QUILLON_FUZZ_TARGET(rawtext) {
  return quillon::fuzz::CheckInterchangeParser(quillon::TIrFormat::Raw, data, size);
}
