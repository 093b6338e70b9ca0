#pragma once
// One parser entry per *_fuzz.cpp, written once and built two ways:
//  - as a libFuzzer target (clang, fuzz/CMakeLists.txt): the entry becomes
//    LLVMFuzzerTestOneInput;
//  - into the replay test (tests/fuzz, any compiler, QUILLON_FUZZ_REPLAY):
//    the entry gets a private name and registers itself under NAME, so all
//    targets live in one executable and the test feeds each its corpus.
// QUILLON_FUZZ_CHECK states what must hold for any input; a broken check
// aborts under libFuzzer (which keeps the input) and fails the replay test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quillon::fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

#ifdef QUILLON_FUZZ_REPLAY
// Defined by the replay test.
bool Register(const char* name, Entry entry);
[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);
#endif

}  // namespace quillon::fuzz

#ifdef QUILLON_FUZZ_REPLAY
#define QUILLON_FUZZ_TARGET(name)                                                               \
  static int QuillonFuzzBody_##name(const std::uint8_t* data, std::size_t size);              \
  [[maybe_unused]] static const bool QuillonFuzzRegistered_##name =                           \
      quillon::fuzz::Register(#name, &QuillonFuzzBody_##name);                                \
  static int QuillonFuzzBody_##name(const std::uint8_t* data, std::size_t size)
#define QUILLON_FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : quillon::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
#else
#define QUILLON_FUZZ_TARGET(name)                                                               \
  static int QuillonFuzzBody_##name(const std::uint8_t* data, std::size_t size);              \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {         \
    return QuillonFuzzBody_##name(data, size);                                                  \
  }                                                                                             \
  static int QuillonFuzzBody_##name(const std::uint8_t* data, std::size_t size)
namespace quillon::fuzz {
// Names the broken check on standard error (the run's log, and the note kept
// with the input), then aborts so libFuzzer keeps the input.
[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "QUILLON_FUZZ_CHECK failed: %s:%d: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}
}  // namespace quillon::fuzz
#define QUILLON_FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : quillon::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
#endif
