#pragma once
// The class factories of the three VelmorFileTools classes, for the
// server's DllGetClassObject and for code that links the classes directly.
#include "platform/ComLiteUnknown.h"

namespace quillon::filetools {

// CLASS_E_CLASSNOTAVAILABLE for a class this server does not have.
com::HRESULT FileToolsGetClassObject(const com::CLSID& clsid, const com::IID& riid, void** object);
// Creates one object directly (no registry), e.g. for tests.
com::HRESULT FileToolsCreateInstance(const com::CLSID& clsid, const com::IID& riid, void** object);
// S_OK when no object is alive and no lock is held.
com::HRESULT FileToolsCanUnloadNow();

}  // namespace quillon::filetools
