#pragma once
// Loads the capture settings of a learner kind once per learn session: the
// first capture after the session starts reads the settings file, later
// captures reuse what was read, so edits take effect at the next session.
#include <string>

#include "capture/TIrCaptureSettings.h"

namespace quillon {

class CCaptureSettingsLoader {
 public:
  CCaptureSettingsLoader() = default;

  // Starts a new learn session: the next Load reads the file again.
  void Reset() { m_loaded = false; }
  bool IsLoaded() const { return m_loaded; }

  // Fills the settings with the kind's defaults and the overrides of the
  // settings file at PATH (an empty path or an unreadable file leaves the
  // defaults). Does nothing when already loaded since the last Reset.
  void Load(TIrCaptureKind kind, const std::string& settingsPath);
  // The same with the program's settings file, located as configured (the
  // external quillon.ini, else the copy the program carries).
  void LoadConfigured(TIrCaptureKind kind);

  const TIrCaptureSettings& GetSettings() const { return m_settings; }

 private:
  bool m_loaded = false;
  TIrCaptureSettings m_settings;
};

}  // namespace quillon
