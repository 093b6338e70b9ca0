// IR signal files (.ir): parsed and raw entries: any bytes read or end in TIrFormatError;
// what is read writes and reads back alike.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzTarget.h"
#include "fuzz/SignalsFuzz.h"

QUILLON_FUZZ_TARGET(irfile) {
  return quillon::fuzz::CheckInterchangeParser(quillon::TIrFormat::Signals, data, size);
}
