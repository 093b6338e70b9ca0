#pragma once
// The one error type of the driver model and its byte streams. It carries a
// numeric code; the code's text comes from a fixed table.
#include <exception>

namespace quillon {

class TQVXIrException : public std::exception {
 public:
  enum Code {
    kMemoryError = 1,   // "Memory Error": an allocation failed
    kCorruptFile = 2,   // "Corrupt File": malformed input data
    kCantOpenFile = 3,  // "Can't open file"
    kWriteError = 4,    // "Write Error": a bounded output buffer overflowed
    kRuntimeError = 5,  // "Runtime Error": an inconsistency found while writing
  };

  explicit TQVXIrException(int code) noexcept : code_(code) {}
  ~TQVXIrException() override;

  int GetCode() const noexcept { return code_; }

  // The code's text, or null for a code outside the table.
  const char* GetText() const noexcept { return TextOf(code_); }
  static const char* TextOf(int code) noexcept;

  // The code's text, or "Unknown error" for a code outside the table.
  const char* what() const noexcept override;

 private:
  int code_;
};

}  // namespace quillon
