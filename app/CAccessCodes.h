#pragma once
// The two access codes that unlock the maker's authoring functions, the
// program-wide advanced-mode flag and the keystroke buffer they are typed
// into. The code texts live scrambled in the program's data and exist in
// plain form only for the moment of a test.
#include "app/CTCharDeque.h"

namespace quillon {

class CAccessCodes {
 public:
  // The program-wide keystroke buffer, created on first use (32 characters,
  // 5 seconds).
  static CTCharDeque& Keystrokes();

  // Whether BUFFER holds the advanced-mode code (case ignored).
  static bool IsAdvancedCode(const CTCharDeque& buffer);
  // Whether BUFFER holds the supported-driver code (case ignored).
  static bool IsSupportedDriverCode(const CTCharDeque& buffer);

  // The advanced-mode flag: off at start, set at most once, never cleared.
  static bool IsAdvancedMode();
  static void SetAdvancedMode();

  // The About box closing: sets advanced mode when BUFFER holds the
  // advanced-mode code. Returns the flag afterwards.
  static bool OnAboutBoxClosed(const CTCharDeque& buffer);
  static bool OnAboutBoxClosed() { return OnAboutBoxClosed(Keystrokes()); }

  // Whether a driver may keep its "supported by the maker" mark on saving:
  // advanced mode is on and the supported-driver code matches.
  static bool MayKeepSupportedMark(const CTCharDeque& buffer);
};

}  // namespace quillon
