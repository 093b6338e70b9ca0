#include "irmodel/TQVXIrException.h"

namespace quillon {

TQVXIrException::~TQVXIrException() = default;

const char* TQVXIrException::TextOf(int code) noexcept {
  switch (code) {
    case kMemoryError: return "Memory Error";
    case kCorruptFile: return "Corrupt File";
    case kCantOpenFile: return "Can't open file";
    case kWriteError: return "Write Error";
    case kRuntimeError: return "Runtime Error";
    default: return nullptr;
  }
}

const char* TQVXIrException::what() const noexcept {
  const char* text = TextOf(code_);
  return text ? text : "Unknown error";
}

}  // namespace quillon
