// The built server library registered into a temporary machine store and
// created by class identifier through dlopen, as clients do; and removed
// again.
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/CRegistry.h"
#include "app/ComRegistration.h"
#include "filetools/IFileTools.h"
#include "filetools/ILzssTools.h"
#include "filetools/IVelmorArchive.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteServer.h"
#include "tests/filetools/ComTestSupport.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using namespace com;

const std::string kLibrary = QUILLON_FILETOOLS_LIBRARY;

struct RegistrationTest : ::testing::Test {
  TempFolder dir;
  std::string store = dir.Path("machine.ini");
  void SetUp() override {
    ::setenv("QUILLON_MACHINE_REGISTRY", store.c_str(), 1);
    ComRegistration::SetSearchFallback(false);
  }
  void TearDown() override {
    ComRegistration::SetSearchFallback(true);
    ::unsetenv("QUILLON_MACHINE_REGISTRY");
  }
};

TEST_F(RegistrationTest, RegisteredLibraryIsCreatedByClassIdentifier) {
  ComPtr<IVelmorArchive> archive;
  EXPECT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER, IID_IVelmorArchive,
                                              archive.OutVoid()),
            REGDB_E_CLASSNOTREG);

  ASSERT_EQ(ComRegistration::RegisterServerLibrary(kLibrary, false), S_OK);
  const std::string canonical = std::filesystem::canonical(kLibrary).string();
  EXPECT_EQ(ComRegistration::RegisteredLibrary(CLSID_VelmorArchive), canonical);
  EXPECT_EQ(ComRegistration::RegisteredLibrary(CLSID_FileTools), canonical);
  const std::string key = "Software\\Classes\\CLSID\\{5080C4D7-B828-4BC1-80CC-3D16F65A64E8}";
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine, key, ""), "VelmorArchive Class");
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine, key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine, key + "\\ProgID", ""), "VelmorFileTools.VelmorArchive.1");
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine, key + "\\VersionIndependentProgID", ""),
            "VelmorFileTools.VelmorArchive");
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine, key + "\\TypeLib", ""),
            "{1D76A86D-110C-4DF4-BB9F-6403D01D303E}");
  EXPECT_TRUE(CRegistry::KeyExists(RegistryRoot::Machine, key + "\\Programmable"));
  EXPECT_EQ(CRegistry::GetString(RegistryRoot::Machine,
                                 "Software\\Classes\\TypeLib\\{1D76A86D-110C-4DF4-BB9F-6403D01D303E}\\1.0", ""),
            "VelmorFileTools 1.0 Type Library");
  CLSID clsid{};
  EXPECT_EQ(ComRegistration::CLSIDFromProgID("VelmorFileTools.LzssTools", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_LzssTools);
  EXPECT_EQ(ComRegistration::CLSIDFromProgID("VelmorFileTools.FileTools.1", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_FileTools);

  ASSERT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER, IID_IVelmorArchive,
                                              archive.OutVoid()),
            S_OK);
  ComPtr<IFileTools> tools;
  ASSERT_EQ(ComRegistration::CoCreateInstance(CLSID_FileTools, nullptr, CLSCTX_ALL, IID_IFileTools, tools.OutVoid()),
            S_OK);
  ComPtr<ILzssTools> lzss;
  ASSERT_EQ(ComRegistration::CoCreateInstance(CLSID_LzssTools, nullptr, CLSCTX_ALL, IID_ILzssTools, lzss.OutVoid()),
            S_OK);
  ComPtr<IUnknown> wrong;
  EXPECT_EQ(ComRegistration::CoCreateInstance(CLSID_LzssTools, nullptr, CLSCTX_ALL, IID_IVelmorArchive,
                                              wrong.OutVoid()),
            E_NOINTERFACE);

  // The objects work across the library boundary: strings and arrays made
  // on one side are freed on the other.
  WriteFile(dir.Path("m.txt"), std::string(500, 'q'));
  ASSERT_EQ(archive->Open(ComBstr(dir.Path("lib.pkg")).Get()), S_OK);
  ASSERT_EQ(archive->AddFile(ComBstr(dir.Path("m.txt")).Get()), S_OK);
  ASSERT_EQ(archive->Close(ComBstr("").Get()), S_OK);
  ASSERT_EQ(archive->Open(ComBstr(dir.Path("lib.pkg")).Get()), S_OK);
  Variant out;
  ASSERT_EQ(archive->ExtractToBuffer(ComBstr("M.TXT").Get(), out.Get()), S_OK);
  EXPECT_EQ(out.Bytes(), std::string(500, 'q'));
  ComBstr path;
  ASSERT_EQ(archive->GetArchivePath(path.Out()), S_OK);
  EXPECT_EQ(path.Utf8(), dir.Path("lib.pkg"));
  EXPECT_EQ(tools->FileExists(ComBstr(dir.Path("lib.pkg")).Get()), S_OK);
  archive->Abort();

  // The server can unload only when nothing of it is alive.
  void* handle = dlopen(canonical.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, kDllCanUnloadNow));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE);
  archive.Reset();
  tools.Reset();
  lzss.Reset();
  EXPECT_EQ(canUnload(), S_OK);
  dlclose(handle);

  // Unregistering removes the classes again.
  ASSERT_EQ(ComRegistration::RegisterServerLibrary(kLibrary, true), S_OK);
  EXPECT_FALSE(CRegistry::KeyExists(RegistryRoot::Machine, key));
  EXPECT_FALSE(CRegistry::KeyExists(RegistryRoot::Machine, "Software\\Classes\\VelmorFileTools.VelmorArchive"));
  EXPECT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER, IID_IVelmorArchive,
                                              archive.OutVoid()),
            REGDB_E_CLASSNOTREG);
}

TEST_F(RegistrationTest, WithoutRegistrationTheFallbackFindsTheBuiltLibrary) {
  ComRegistration::SetSearchFallback(true);
  ComPtr<IVelmorArchive> archive;
  EXPECT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER, IID_IVelmorArchive,
                                              archive.OutVoid()),
            S_OK);
  const CLSID unknown = MakeGuid("{00000000-1111-2222-3333-444444444444}");
  ComPtr<IUnknown> none;
  EXPECT_EQ(ComRegistration::CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, none.OutVoid()),
            REGDB_E_CLASSNOTREG);
}

TEST_F(RegistrationTest, ARegisteredLibraryThatDoesNotLoadIsReported) {
  ComClassInfo info{CLSID_VelmorArchive, "", "", "broken", "Apartment", {}};
  ASSERT_EQ(ComRegistration::RegisterClass(info, dir.Path("libMissing.so")), S_OK);
  ComPtr<IVelmorArchive> archive;
  EXPECT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorArchive, nullptr, CLSCTX_ALL, IID_IVelmorArchive,
                                              archive.OutVoid()),
            CO_E_DLLNOTFOUND);
  EXPECT_EQ(ComRegistration::RegisterServerLibrary(dir.Path("libMissing.so"), false), CO_E_DLLNOTFOUND);
}

TEST_F(RegistrationTest, RegsvrProgramRegistersAndUnregisters) {
  const std::string program = QUILLON_REGSVR_PROGRAM;
  if (program.empty()) GTEST_SKIP() << "quillon-regsvr is not part of this build";
  ASSERT_EQ(std::system((program + " '" + kLibrary + "' > /dev/null").c_str()), 0);
  EXPECT_TRUE(ComRegistration::RegisteredLibrary(CLSID_FileTools).has_value());
  ASSERT_EQ(std::system((program + " -u '" + kLibrary + "' > /dev/null").c_str()), 0);
  EXPECT_FALSE(ComRegistration::RegisteredLibrary(CLSID_FileTools).has_value());
  EXPECT_NE(std::system((program + " 2> /dev/null").c_str()), 0);
  EXPECT_NE(std::system((program + " " + dir.Path("libMissing.so") + " 2> /dev/null").c_str()), 0);
}

}  // namespace
}  // namespace quillon::filetools
