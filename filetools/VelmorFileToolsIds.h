#pragma once
// Class, interface and type-library identifiers of the VelmorFileTools
// server, with the names it registers.
#include "platform/ComLiteTypes.h"

namespace quillon::filetools {

inline constexpr com::GUID LIBID_VELMORFILETOOLSLib = com::MakeGuid("{1D76A86D-110C-4DF4-BB9F-6403D01D303E}");
inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr const char* kTypeLibHelpString = "VelmorFileTools 1.0 Type Library";

inline constexpr com::CLSID CLSID_FileTools = com::MakeGuid("{994A116A-56CD-48BE-8C82-C3AEE995D9B5}");
inline constexpr com::CLSID CLSID_LzssTools = com::MakeGuid("{DF2567EC-22CB-4AC1-81E8-269007BEE86E}");
inline constexpr com::CLSID CLSID_VelmorArchive = com::MakeGuid("{5080C4D7-B828-4BC1-80CC-3D16F65A64E8}");

inline constexpr com::IID IID_IFileTools = com::MakeGuid("{4C0F6EF8-5143-4EE6-A6E1-3F4AA4BC52F4}");
inline constexpr com::IID IID_ILzssTools = com::MakeGuid("{5DBA44FD-748F-48EB-9E9F-FADEF48511F2}");
inline constexpr com::IID IID_IVelmorArchive = com::MakeGuid("{904DB696-7439-4F8F-950B-C5AF7E0770D3}");

}  // namespace quillon::filetools
