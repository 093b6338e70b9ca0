#include "app/CAccessCodes.h"

#include <atomic>
#include <cstddef>
#include <string>

namespace quillon {
namespace {

// Each byte is the code's character XOR (0x5C + 29 * position).
constexpr unsigned char kAdvanced[] = {0x35, 0x0B, 0xE1, 0xC1, 0xB9, 0x8A, 0x62, 0x53};
constexpr unsigned char kSupported[] = {0x2A, 0x1C, 0xFA, 0xDE, 0xBF, 0x9F, 0x79, 0x42, 0x25, 0x0D};

template <std::size_t N>
bool MatchesScrambled(const CTCharDeque& buffer, const unsigned char (&scrambled)[N]) {
  std::string code(N, '\0');
  for (std::size_t i = 0; i < N; ++i)
    code[i] = static_cast<char>(scrambled[i] ^ static_cast<unsigned char>(0x5C + 29 * i));
  bool match = buffer.Matches(code);
  volatile char* wipe = code.data();
  for (std::size_t i = 0; i < N; ++i) wipe[i] = 0;
  return match;
}

std::atomic<bool> g_advancedMode{false};

}  // namespace

CTCharDeque& CAccessCodes::Keystrokes() {
  static CTCharDeque buffer;
  return buffer;
}

bool CAccessCodes::IsAdvancedCode(const CTCharDeque& buffer) { return MatchesScrambled(buffer, kAdvanced); }

bool CAccessCodes::IsSupportedDriverCode(const CTCharDeque& buffer) { return MatchesScrambled(buffer, kSupported); }

bool CAccessCodes::IsAdvancedMode() { return g_advancedMode.load(); }

void CAccessCodes::SetAdvancedMode() { g_advancedMode.store(true); }

bool CAccessCodes::OnAboutBoxClosed(const CTCharDeque& buffer) {
  if (IsAdvancedCode(buffer)) SetAdvancedMode();
  return IsAdvancedMode();
}

bool CAccessCodes::MayKeepSupportedMark(const CTCharDeque& buffer) {
  return IsAdvancedMode() && IsSupportedDriverCode(buffer);
}

}  // namespace quillon
