#pragma once
// The driver library folder of this run. Chosen once, at the first request,
// from the machine-wide settings, and kept for the rest of the run:
//  - "driverpath2" (newer package library) or "driverpath" (older library)
//    under "Software\Velmor\Common"; "skip_pkg_warning" (a number; absent or
//    not a number counts as 0) under "Software\Velmor\Quillon";
//  - only one of the two set: that one, and 0 is stored as
//    "skip_pkg_warning"; neither: 0 is stored and there is no library;
//  - both set: "driverpath2"; unless "skip_pkg_warning" is non-zero the
//    old-package warning is shown, and closing it stores its check box.
// The folder is the value with a separator appended when it has none.
#include <string>

namespace quillon {

class IOldPkgWarningView;

class CLibraryFolder {
 public:
  static constexpr const char* kCommonKey = "Software\\Velmor\\Common";
  static constexpr const char* kProgramKey = "Software\\Velmor\\Quillon";
  static constexpr const char* kNewerValue = "driverpath2";
  static constexpr const char* kOlderValue = "driverpath";
  static constexpr const char* kSkipWarningValue = "skip_pkg_warning";

  // The folder of this run ("" when there is no library). The first call
  // chooses it, showing the warning through VIEW when one is due (no view:
  // the warning is not shown and nothing is stored for it).
  static std::string Get(IOldPkgWarningView* view);
  // Chooses afresh from the settings, as the first call of a run does.
  static std::string Choose(IOldPkgWarningView* view);
  // Forgets the choice of this run (tests, and a settings change).
  static void Reset();
};

}  // namespace quillon
