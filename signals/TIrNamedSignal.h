#pragma once
// One button of an interchange file: its name, the signal it sends and, for
// an entry stored as a protocol code, that code.
#include <optional>
#include <string>

#include "signals/TIrCode.h"
#include "signals/TIrSignal.h"

namespace quillon {

struct TIrNamedSignal {
  // The button's name as the file spells it (UTF-8).
  std::string name;
  TIrSignal signal;
  // Set for entries stored as protocol, address and command; SIGNAL is then
  // the encoded code.
  std::optional<TIrCode> code;
  // The line the entry starts on (0 when it was not read from a file).
  int line = 0;
};

// What a parser read: the entries, and one message for each entry it had to
// leave out or change ("tv.ir:12: unknown protocol 'XYZ'; entry skipped").
struct TIrParsedFile {
  std::vector<TIrNamedSignal> entries;
  std::vector<std::string> messages;
};

}  // namespace quillon
