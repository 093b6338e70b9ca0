#include "irmodel/TQVXIrSaveStream.h"

namespace quillon {

TQVXIrSaveStream::~TQVXIrSaveStream() = default;

int TQVXIrSaveStream::Write16(int value) {
  const int high = WriteByte((value >> 8) & 0xFF);
  const int low = WriteByte(value & 0xFF);
  return high + low;
}

}  // namespace quillon
