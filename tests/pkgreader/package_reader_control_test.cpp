// The package reader control, loaded by class identifier from its shared
// library and called through IDispatch::Invoke, against an archive big
// package and a resource big package built here, with packages inside them.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ComRegistration.h"
#include "filetools/IVelmorArchive.h"
#include "filetools/VelmorFileToolsIds.h"
#include "pkgreader/ResFile.h"
#include "pkgreader/VelmorPackageReaderIds.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteVariant.h"
#include "tests/pkgreader/PkgTestUtil.h"

namespace quillon {
namespace {

using namespace com;
using namespace pkgreader;
using namespace quillon::testing;

const std::vector<uint8_t> kSupport = Bytes("[supported]\r\nNum=0\r\n[model_0]\r\nDrvpkg=ABC\r\nVersion=4\r\n");
const std::vector<uint8_t> kDriver = {0x00, 0x01, 0x02, 0xFF, 0x00, 'V', 'I', 'R'};  // first byte zero
const std::vector<uint8_t> kInnerVir = Bytes("inner driver bytes");
const std::vector<uint8_t> kInnerIni = Bytes("[inner]\r\nx=1\r\n");
const std::vector<uint8_t> kScriptA = Bytes("script a");
const std::vector<uint8_t> kScriptB = Bytes("script b");

class ControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new TempDir();
    setenv("QUILLON_MACHINE_REGISTRY", (*root_ / "machine.ini").c_str(), 1);
    setenv("QUILLON_USER_REGISTRY", (*root_ / "user.ini").c_str(), 1);
    setenv("HOME", (*root_ / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (*root_ / "home/.config").c_str(), 1);
    std::filesystem::create_directories(*root_ / "home");
    const std::string bin = QUILLON_BINARY_DIR;
    ASSERT_EQ(ComRegistration::RegisterServerLibrary(bin + "/filetools/libVelmorFileTools.so", false), S_OK);
    ASSERT_EQ(ComRegistration::RegisterServerLibrary(bin + "/pkgreader/libVelmorPackageReader.so", false), S_OK);
    ComRegistration::SetSearchFallback(false);
    BuildPackages();
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }

  void SetUp() override {
    ASSERT_EQ(ComRegistration::CoCreateInstance(CLSID_VelmorPackageReaderCtrl, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IDispatch, ctrl_.OutVoid()),
              S_OK);
  }

  static std::string Src() { return *root_ / "lib"; }
  static std::string Dest(const std::string& name) { return *root_ / ("out-" + name); }

  static ComPtr<filetools::IVelmorArchive> NewArchive() {
    ComPtr<filetools::IVelmorArchive> a;
    EXPECT_EQ(ComRegistration::CoCreateInstance(filetools::CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER,
                                                filetools::IID_IVelmorArchive, a.OutVoid()),
              S_OK);
    return a;
  }

  static void AddMember(filetools::IVelmorArchive* a, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = *root_ / ("stage-" + name);
    WriteBytes(path, bytes);
    ComBstr p(path), n(name);
    ASSERT_EQ(a->AddFileAs(p.Get(), n.Get()), S_OK) << name;
  }

  static void WriteArchive(const std::string& path,
                           const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
    auto a = NewArchive();
    ComBstr p(path);
    ASSERT_EQ(a->Open(p.Get()), S_OK);
    for (const auto& [name, bytes] : members) AddMember(a.Get(), name, bytes);
    ASSERT_EQ(a->Flush(), S_OK);
    a->Abort();
  }

  static void BuildPackages() {
    std::filesystem::create_directories(Src());
    // Archive branch: big.pkg holds irsupport.ini, a driver and tv.pke (an archive).
    const std::string inner = *root_ / "tv.pke";
    WriteArchive(inner, {{"inner.vir", kInnerVir}, {"inner.ini", kInnerIni}, {"a.SC", kScriptA}, {"b.sc", kScriptB}});
    WriteArchive(Src() + "/big.pkg",
                 {{"irsupport.ini", kSupport}, {"ABC_4.vir", kDriver}, {"tv.pke", ReadBytes(inner)}});
    // Resource branch: res.pkg holds the same, tv.pke being a resource package.
    CResFile tv;
    tv.SetCompressionLevel(2);
    tv.SetVersion(2, 9, 7);
    tv.SetOrigin(1);
    tv.AddBuffer(kInnerVir.data(), kInnerVir.size(), "inner.vir");
    tv.AddBuffer(kInnerIni.data(), kInnerIni.size(), "inner.ini");
    ASSERT_TRUE(tv.Save(*root_ / "tv-res.pke"));
    CResFile res;
    res.SetCompressionLevel(4);
    res.SetVersion(5, 1, 0);
    res.SetOrigin(2);
    res.AddBuffer(kSupport.data(), kSupport.size(), "irsupport.ini");
    res.AddBuffer(kDriver.data(), kDriver.size(), "ABC_4.vir");
    ASSERT_TRUE(res.AddFile(*root_ / "tv-res.pke", "tv.pke"));
    ASSERT_TRUE(res.Save(Src() + "/res.pkg"));
    std::filesystem::copy_file(*root_ / "tv-res.pke", Src() + "/loose.pke");
    std::filesystem::copy_file(inner, Src() + "/loosearc.pke");
  }

  // Calls a member with string arguments (and a VARIANT* last when OUT is given).
  long Call(DISPID id, const std::vector<std::string>& args, VARIANT* out = nullptr, HRESULT* invokeResult = nullptr) {
    std::vector<ComBstr> strings;
    for (const auto& a : args) strings.emplace_back(a);
    std::vector<VARIANT> v(args.size() + (out ? 1 : 0));
    size_t at = v.size();
    for (size_t i = 0; i < args.size(); ++i) {
      VARIANT& x = v[--at];
      VariantInit(&x);
      x.vt = VT_BSTR;
      x.bstrVal = strings[i].Get();
    }
    if (out) {
      VariantInit(&v[0]);
      v[0].vt = VT_BYREF | VT_VARIANT;
      v[0].pvarVal = out;
    }
    DISPPARAMS params{v.data(), nullptr, static_cast<uint32_t>(v.size()), 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = ctrl_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    if (invokeResult) *invokeResult = hr;
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    return result.lVal;
  }

  std::vector<uint8_t> Fetch(const std::string& big, const std::string& pkg, const std::string& file, long* rc) {
    VARIANT buf;
    VariantInit(&buf);
    *rc = Call(DISPID_GetFileFromPke, {big, pkg, file, Src()}, &buf);
    std::vector<uint8_t> bytes;
    if (VariantIsByteArray(&buf)) {
      void* data = nullptr;
      SafeArrayAccessData(buf.parray, &data);
      const auto* p = static_cast<const uint8_t*>(data);
      bytes.assign(p, p + buf.parray->rgsabound[0].cElements);
      SafeArrayUnaccessData(buf.parray);
    }
    VariantClear(&buf);
    return bytes;
  }

  // Open handles of this process on PATH (the control must close its archives).
  static int OpenHandlesOn(const std::string& path) {
    int n = 0;
    const auto wanted = std::filesystem::weakly_canonical(path);
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      if (std::filesystem::read_symlink(e.path(), ec) == wanted) ++n;
    }
    return n;
  }

  static TempDir* root_;
  ComPtr<IDispatch> ctrl_;
};

TempDir* ControlTest::root_ = nullptr;

TEST_F(ControlTest, SizesOfFilesInsidePackagesOfBothKinds) {
  for (const char* big : {"big.pkg", "res.pkg"}) {
    SCOPED_TRACE(big);
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "tv.pke", "INNER.VIR", Src()}), (long)kInnerVir.size());
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "VIR.PKI", "irsupport.ini", Src()}), (long)kSupport.size());
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "velmor.pki", "abc_4.vir", Src() + "/"}), (long)kDriver.size());
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "tv.pke", "missing.vir", Src()}), 0);
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "none.pke", "inner.vir", Src()}), 0);
    EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "tv.pke", "", Src()}), 0);
    EXPECT_EQ(OpenHandlesOn(Src() + "/" + big), 0);
  }
  EXPECT_EQ(Call(DISPID_GetSizeOfFileInsidePkeFile, {"absent.pkg", "vir.pki", "irsupport.ini", Src()}), 0);
  EXPECT_FALSE(std::filesystem::exists(Src() + "/absent.pkg"));
}

TEST_F(ControlTest, FilesAreDeliveredEvenWhenTheirFirstByteIsZero) {
  for (const char* big : {"big.pkg", "res.pkg"}) {
    SCOPED_TRACE(big);
    long rc = 0;
    EXPECT_EQ(Fetch(big, "vir.pki", "ABC_4.vir", &rc), kDriver);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(Fetch(big, "tv.pke", "inner.ini", &rc), kInnerIni);
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(Fetch(big, "tv.pke", "nothing", &rc).empty());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(OpenHandlesOn(Src() + "/" + big), 0);
  }
  // Every string is required.
  long rc = 1;
  Fetch("res.pkg", "vir.pki", "", &rc);
  EXPECT_EQ(rc, 0);
}

TEST_F(ControlTest, DoesFileExistAnswersForPackagesFilesAndMissingNames) {
  const std::string docs = *root_ / "home/Documents";
  for (const char* big : {"big.pkg", "res.pkg"}) {
    SCOPED_TRACE(big);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "tv.pke", "inner.vir", Src()}), 1);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "tv.pke", "absent.vir", Src()}), 0);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "VIR.PKI", "irsupport.ini", Src()}), 1);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "tv.pke", "", Src()}), 1);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "", "inner.vir", Src()}), 0);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "", "", Src()}), 0);
    EXPECT_EQ(Call(DISPID_DoesFileExist, {big, "tv.pke", "inner.vir", ""}), 0);
  }
  EXPECT_LT(Call(DISPID_DoesFileExist, {"res.pkg", "none.pke", "", Src()}), 1);
  // Without a big package the package itself is searched.
  EXPECT_EQ(Call(DISPID_DoesFileExist, {"", "loose.pke", "inner.ini", Src()}), 1);
  EXPECT_EQ(Call(DISPID_DoesFileExist, {"", "loosearc.pke", "b.sc", Src()}), 1);
  EXPECT_EQ(Call(DISPID_DoesFileExist, {"", "loosearc.pke", "c.sc", Src()}), 0);
  // The package extracted for the search is gone again.
  ASSERT_TRUE(std::filesystem::exists(docs));  // made for the extraction
  EXPECT_TRUE(std::filesystem::is_empty(docs));
}

TEST_F(ControlTest, DecompressOnePackageWithLegacyScriptNaming) {
  // Property 1: get, put, get.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  ASSERT_EQ(ctrl_->Invoke(DISPID_LegacyScriptNaming, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr), S_OK);
  EXPECT_EQ(value.vt, VT_BOOL);
  EXPECT_EQ(value.boolVal, VARIANT_FALSE);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BOOL;
  arg.boolVal = VARIANT_TRUE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put{&arg, &named, 1, 1};
  ASSERT_EQ(ctrl_->Invoke(DISPID_LegacyScriptNaming, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
  ASSERT_EQ(ctrl_->Invoke(DISPID_LegacyScriptNaming, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr), S_OK);
  EXPECT_EQ(value.boolVal, VARIANT_TRUE);

  const std::string dest = Dest("one");
  EXPECT_EQ(Call(DISPID_DecompressOnePackage, {"big.pkg", "tv.pke", Src(), dest}), 1);
  EXPECT_EQ(ReadBytes(dest + "/event.sc"), kScriptA);  // the first script under the legacy name
  EXPECT_EQ(ReadBytes(dest + "/b.sc"), kScriptB);      // the second under its own
  EXPECT_EQ(ReadBytes(dest + "/inner.vir"), kInnerVir);
  EXPECT_FALSE(std::filesystem::exists(dest + "/a.SC"));
  EXPECT_FALSE(std::filesystem::exists(dest + "/tv.pke"));  // the extracted package is removed

  const std::string resDest = Dest("one-res");
  EXPECT_EQ(Call(DISPID_DecompressOnePackage, {"res.pkg", "tv.pke", Src(), resDest}), 1);
  EXPECT_EQ(ReadBytes(resDest + "/inner.vir"), kInnerVir);
  EXPECT_EQ(ReadBytes(resDest + "/inner.ini"), kInnerIni);
  const std::string loose = Dest("one-loose");
  EXPECT_EQ(Call(DISPID_DecompressOnePackage, {"", "loose.pke", Src(), loose}), 1);
  EXPECT_EQ(ReadBytes(loose + "/inner.ini"), kInnerIni);
  EXPECT_EQ(Call(DISPID_DecompressOnePackage, {"big.pkg", "", Src(), loose}), 0);
  EXPECT_EQ(Call(DISPID_DecompressOnePackage, {"big.pkg", "none.pke", Src(), Dest("none")}), 0);
}

TEST_F(ControlTest, DecompressIniAndFileFromIrFile) {
  for (const char* big : {"big.pkg", "res.pkg"}) {
    SCOPED_TRACE(big);
    const std::string dest = Dest(std::string("ini-") + big);
    EXPECT_EQ(Call(DISPID_DecompressIniFile, {big, "irsupport.ini", Src(), dest + "/sub"}), 1);
    EXPECT_EQ(ReadBytes(dest + "/sub/irsupport.ini"), kSupport);
    EXPECT_EQ(Call(DISPID_DecompressIniFile, {big, "missing.ini", Src(), dest}), 0);
    EXPECT_EQ(Call(DISPID_DecompressFileFromIRFile, {big, "tv.pke", "inner.ini", Src(), dest}), 1);
    EXPECT_EQ(ReadBytes(dest + "/inner.ini"), kInnerIni);
    EXPECT_FALSE(std::filesystem::exists(dest + "/tv.pke"));
    EXPECT_EQ(Call(DISPID_DecompressFileFromIRFile, {big, "vir.pki", "ABC_4.vir", Src(), dest}), 1);
    EXPECT_EQ(ReadBytes(dest + "/ABC_4.vir"), kDriver);
    EXPECT_LT(Call(DISPID_DecompressFileFromIRFile, {big, "tv.pke", "nothing.ini", Src(), dest}), 1);
    EXPECT_EQ(OpenHandlesOn(Src() + "/" + big), 0);
  }
}

TEST_F(ControlTest, VersionsAndOriginOfPackages) {
  EXPECT_EQ(Call(DISPID_GetMajorVersion, {"res.pkg", "tv.pke", Src()}), 2);
  EXPECT_EQ(Call(DISPID_GetMinorVersion, {"res.pkg", "tv.pke", Src()}), 9);
  EXPECT_EQ(Call(DISPID_GetPkeOrigin, {"res.pkg", "TV.PKE", Src()}), 1);
  EXPECT_EQ(Call(DISPID_GetMajorVersion, {"res.pkg", "vir.pki", Src()}), 5);  // the big package itself
  EXPECT_EQ(Call(DISPID_GetPkeOrigin, {"res.pkg", "vir.pki", Src()}), 2);
  EXPECT_LT(Call(DISPID_GetMajorVersion, {"res.pkg", "none.pke", Src()}), 1);
  // Members added to archives here carry version 0.0 and origin 0.
  EXPECT_EQ(Call(DISPID_GetMajorVersion, {"big.pkg", "tv.pke", Src()}), 0);
  EXPECT_EQ(Call(DISPID_GetMinorVersion, {"big.pkg", "tv.pke", Src()}), 0);
  EXPECT_EQ(Call(DISPID_GetPkeOrigin, {"big.pkg", "tv.pke", Src()}), 0);
  EXPECT_EQ(Call(DISPID_GetMajorVersion, {"", "tv.pke", Src()}), 0);
}

TEST_F(ControlTest, DispatchNamesAndBadCalls) {
  ComBstr name("getfilefrompke");
  OLECHAR* names[] = {name.Get()};
  DISPID id = 0;
  EXPECT_EQ(ctrl_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, DISPID_GetFileFromPke);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(ctrl_->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(ctrl_->Invoke(DISPID_GetSizeOfFileInsidePkeFile, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  ComPtr<IUnknown> dual;
  EXPECT_EQ(ctrl_->QueryInterface(DIID__DVelmorPackageReader, dual.OutVoid()), S_OK);
}

TEST_F(ControlTest, DamagedBigPackagesGiveFailureNotCrashes) {
  auto image = ReadBytes(Src() + "/res.pkg");
  for (size_t i = 24; i < image.size(); i += 7) image[i] ^= 0x5A;
  WriteBytes(Src() + "/broken.pkg", image);
  auto arc = ReadBytes(Src() + "/big.pkg");
  arc.resize(arc.size() - 5);
  WriteBytes(Src() + "/brokenarc.pkg", arc);
  for (const char* big : {"broken.pkg", "brokenarc.pkg"}) {
    long rc = 0;
    EXPECT_LT(Call(DISPID_GetSizeOfFileInsidePkeFile, {big, "tv.pke", "inner.vir", Src()}), 1);
    Fetch(big, "tv.pke", "inner.vir", &rc);
    EXPECT_LT(rc, 1);
    EXPECT_LT(Call(DISPID_DoesFileExist, {big, "tv.pke", "inner.vir", Src()}), 1);
    EXPECT_LT(Call(DISPID_DecompressOnePackage, {big, "tv.pke", Src(), Dest("broken")}), 1);
  }
}

}  // namespace
}  // namespace quillon
