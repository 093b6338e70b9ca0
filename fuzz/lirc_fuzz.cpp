// LIRC remote definitions with raw codes: any bytes read or end in TIrFormatError;
// what is read writes and reads back alike.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzTarget.h"
#include "fuzz/SignalsFuzz.h"

QUILLON_FUZZ_TARGET(lirc) {
  return quillon::fuzz::CheckInterchangeParser(quillon::TIrFormat::Lirc, data, size);
}
