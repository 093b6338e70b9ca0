#pragma once
// Identifiers and registration names of the VelmorPackageReader control.
#include "platform/ComLiteTypes.h"

namespace quillon::pkgreader {

inline constexpr com::GUID LIBID_VELMORPACKAGEREADERLib = com::MakeGuid("{D908446A-A0D2-4120-9AAD-53331A42CF1A}");
inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr const char* kTypeLibHelpString = "VelmorPackageReader ActiveX Control module";

inline constexpr com::CLSID CLSID_VelmorPackageReaderCtrl = com::MakeGuid("{4A52EC08-CD0E-4694-A986-B268C35B4586}");
inline constexpr com::IID DIID__DVelmorPackageReader = com::MakeGuid("{8E627BFA-F081-4EFA-832C-8FC97F9B0E4D}");
inline constexpr com::IID DIID__DVelmorPackageReaderEvents = com::MakeGuid("{D7B098E1-EC7F-425C-8BA8-FECF0997AA96}");

inline constexpr const char* kControlProgId = "VELMORPACKAGEREADER.VelmorPackageReaderCtrl.1";
inline constexpr const char* kControlVersionIndependentProgId = "VELMORPACKAGEREADER.VelmorPackageReaderCtrl";
inline constexpr const char* kControlDescription = "VelmorPackageReader Control";
inline constexpr const char* kPropPageProgId = "VELMORPACKAGEREADER.VelmorPackageReaderPropPage.1";

// Dispatch ids of _DVelmorPackageReader.
enum : com::DISPID {
  DISPID_LegacyScriptNaming = 1,
  DISPID_DecompressOnePackage = 2,
  DISPID_DecompressFileFromIRFile = 3,
  DISPID_DecompressIniFile = 4,
  DISPID_GetMinorVersion = 5,
  DISPID_GetMajorVersion = 6,
  DISPID_GetPkeOrigin = 7,
  DISPID_DoesFileExist = 8,
  DISPID_GetSizeOfFileInsidePkeFile = 9,
  DISPID_GetFileFromPke = 10,
};

}  // namespace quillon::pkgreader
