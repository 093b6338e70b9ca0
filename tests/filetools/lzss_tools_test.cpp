// LzssTools: each method compresses or expands as its name says, sizes
// come from a counting pass, and target VARIANTs follow their rules.
#include <string>

#include <gtest/gtest.h>

#include "filetools/LzssOperations.h"
#include "tests/filetools/ArchiveImages.h"
#include "tests/filetools/ComTestSupport.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using namespace com;

struct LzssToolsTest : ::testing::Test {
  TempFolder dir;
  ComPtr<ILzssTools> lzss = MakeLzssTools();
  std::string text = [] {
    std::string s;
    for (int i = 0; i < 4000; ++i) s += "KEY_" + std::to_string(i % 50) + " ";
    return s;
  }();
  std::string packed = Lzss(text);
  std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = dir.Path(name);
    WriteFile(path, bytes);
    return path;
  }
};

TEST_F(LzssToolsTest, SizesComeFromACountingPass) {
  int32_t size = -1;
  EXPECT_EQ(lzss->CalculateFileCompressedSize(ComBstr(Put("t", text)).Get(), &size), S_OK);
  EXPECT_EQ(size, static_cast<int32_t>(packed.size()));
  EXPECT_EQ(lzss->CalculateFileCompressedSize(ComBstr(dir.Path("none")).Get(), &size), STG_E_FILENOTFOUND);
  EXPECT_EQ(lzss->CalculateFileCompressedSize(ComBstr("").Get(), &size), E_INVALIDARG);
  Variant buffer(text);
  EXPECT_EQ(lzss->CalculateBufferCompressedSize(buffer.Get(), &size), S_OK);
  EXPECT_EQ(size, static_cast<int32_t>(packed.size()));
  Variant empty;
  EXPECT_EQ(lzss->CalculateBufferCompressedSize(empty.Get(), &size), E_INVALIDARG);
}

TEST_F(LzssToolsTest, FileAndMemoryMethodsRoundTrip) {
  const std::string source = Put("src", text);
  ASSERT_EQ(lzss->LzssFileToFile(ComBstr(source).Get(), ComBstr(dir.Path("a.lz")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("a.lz")), packed);
  ASSERT_EQ(lzss->DeLzssFileToFile(ComBstr(dir.Path("a.lz")).Get(), ComBstr(dir.Path("a.out")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("a.out")), text);

  Variant plain(text);
  ASSERT_EQ(lzss->LzssMemToFile(plain.Get(), ComBstr(dir.Path("b.lz")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("b.lz")), packed);
  Variant coded(packed);
  ASSERT_EQ(lzss->DeLzssMemToFile(coded.Get(), ComBstr(dir.Path("b.out")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("b.out")), text);

  Variant encoded;
  ASSERT_EQ(lzss->LzssMemToMem(plain.Get(), encoded.Get()), S_OK);
  EXPECT_EQ(encoded.Bytes(), packed);
  Variant decoded;
  ASSERT_EQ(lzss->DeLzssMemToMem(encoded.Get(), decoded.Get()), S_OK);
  EXPECT_EQ(decoded.Bytes(), text);

  Variant fromFile;
  ASSERT_EQ(lzss->LzssFileToMem(ComBstr(source).Get(), fromFile.Get()), S_OK);
  EXPECT_EQ(fromFile.Bytes(), packed);
  // The expanding variant expands.
  Variant expanded;
  ASSERT_EQ(lzss->DeLzssFileToMem(ComBstr(dir.Path("a.lz")).Get(), expanded.Get()), S_OK);
  EXPECT_EQ(expanded.Bytes(), text);
}

TEST_F(LzssToolsTest, TargetVariantRules) {
  const std::string source = Put("src", text);
  // An existing array is used as it is: a short one is filled and cut.
  Variant shortArray(std::string(10, '\0'));
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(source).Get(), shortArray.Get()), S_OK);
  EXPECT_EQ(shortArray.Bytes(), packed.substr(0, 10));
  Variant longArray(std::string(packed.size() + 5, '\0'));
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(source).Get(), longArray.Get()), S_FALSE);
  EXPECT_EQ(longArray.Bytes().substr(0, packed.size()), packed);
  // Other VARIANT types and empty sources are refused; the VARIANT stays empty.
  Variant number;
  number.Get()->vt = VT_I4;
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(source).Get(), number.Get()), E_INVALIDARG);
  Variant target;
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(Put("empty", "")).Get(), target.Get()), E_INVALIDARG);
  EXPECT_EQ(target.Get()->vt, VT_EMPTY);
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(dir.Path("none")).Get(), target.Get()), E_INVALIDARG);
  EXPECT_EQ(target.Get()->vt, VT_EMPTY);
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr("").Get(), target.Get()), E_INVALIDARG);
  EXPECT_EQ(lzss->LzssFileToMem(ComBstr(source).Get(), nullptr), E_INVALIDARG);
  Variant emptyArray(std::string{});
  EXPECT_EQ(lzss->LzssMemToMem(emptyArray.Get(), target.Get()), E_INVALIDARG);
  EXPECT_EQ(lzss->LzssMemToFile(emptyArray.Get(), ComBstr(dir.Path("x")).Get()), E_INVALIDARG);
  // A missing source file fails without a target file.
  EXPECT_EQ(lzss->DeLzssFileToFile(ComBstr(dir.Path("none")).Get(), ComBstr(dir.Path("y")).Get()), STG_E_FILENOTFOUND);
}

TEST_F(LzssToolsTest, EveryMemberByDispatchId) {
  const std::string source = Put("src", text);
  const std::string coded = Put("coded", packed);
  IDispatch* d = lzss.Get();
  VARIANT r;
  VariantInit(&r);
  auto run = [&](DISPID id, DispArgs& args) {
    VariantClear(&r);
    return args.Call(d, id, &r);
  };
  Variant plain(text);
  Variant packedArray(packed);
  DispArgs a1; a1.Str(source);
  EXPECT_EQ(run(1, a1), S_OK);
  EXPECT_EQ(r.lVal, static_cast<int32_t>(packed.size()));
  DispArgs a2; a2.Ref(plain.Get());
  EXPECT_EQ(run(2, a2), S_OK);
  EXPECT_EQ(r.lVal, static_cast<int32_t>(packed.size()));
  DispArgs a3; a3.Str(source).Str(dir.Path("3"));
  EXPECT_EQ(run(3, a3), S_OK);
  DispArgs a4; a4.Ref(plain.Get()).Str(dir.Path("4"));
  EXPECT_EQ(run(4, a4), S_OK);
  DispArgs a5; a5.Str(source);
  EXPECT_EQ(run(5, a5), S_OK);
  EXPECT_TRUE(VariantIsByteArray(&r));
  DispArgs a6; a6.Ref(plain.Get());
  EXPECT_EQ(run(6, a6), S_OK);
  DispArgs a7; a7.Str(coded).Str(dir.Path("7"));
  EXPECT_EQ(run(7, a7), S_OK);
  DispArgs a8; a8.Ref(packedArray.Get()).Str(dir.Path("8"));
  EXPECT_EQ(run(8, a8), S_OK);
  DispArgs a9; a9.Str(coded);
  EXPECT_EQ(run(9, a9), S_OK);
  ASSERT_TRUE(VariantIsByteArray(&r));
  EXPECT_EQ(r.parray->rgsabound[0].cElements, text.size());
  DispArgs a10; a10.Ref(packedArray.Get());
  EXPECT_EQ(run(10, a10), S_OK);
  ASSERT_TRUE(VariantIsByteArray(&r));
  EXPECT_EQ(std::string(static_cast<char*>(r.parray->pvData), r.parray->rgsabound[0].cElements), text);
  VariantClear(&r);
  for (const char* f : {"3", "4"}) EXPECT_EQ(ReadFile(dir.Path(f)), packed) << f;
  for (const char* f : {"7", "8"}) EXPECT_EQ(ReadFile(dir.Path(f)), text) << f;
}

}  // namespace
}  // namespace quillon::filetools
