#include "capture/CCaptureSettingsLoader.h"

#include <exception>

#include "app/CConfigFiles.h"
#include "app/CMemINI.h"

namespace quillon {

void CCaptureSettingsLoader::Load(TIrCaptureKind kind, const std::string& settingsPath) {
  if (m_loaded) return;
  m_loaded = true;
  m_settings = TIrCaptureSettings::Defaults(kind);
  if (TIrCaptureSettings::SectionName(kind).empty()) return;
  try {
    CMemINI ini;
    if (!ini.LoadFile(settingsPath)) return;
    m_settings.ReadOverrides(ini, kind);
  } catch (const std::exception&) {
    // A settings file that cannot be read leaves the kind's defaults.
    m_settings = TIrCaptureSettings::Defaults(kind);
  }
}

void CCaptureSettingsLoader::LoadConfigured(TIrCaptureKind kind) {
  if (m_loaded) return;
  m_loaded = true;
  m_settings = TIrCaptureSettings::Defaults(kind);
  try {
    CMemINI ini;
    CConfigFiles::LoadSettingsIni(ini);
    m_settings.ReadOverrides(ini, kind);
  } catch (const std::exception&) {
    m_settings = TIrCaptureSettings::Defaults(kind);
  }
}

}  // namespace quillon
