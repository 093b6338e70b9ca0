// Every member of the archive component reached late-bound through
// IDispatch::Invoke by dispatch id, with argument checking.
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tests/filetools/ComTestSupport.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using namespace com;

int32_t IntOf(const VARIANT& v) { return v.vt == VT_I4 ? v.lVal : -12345; }

std::string TextOf(const VARIANT& v) { return v.vt == VT_BSTR ? Utf8FromBstr(v.bstrVal) : "<not a string>"; }

struct Result {
  Result() { VariantInit(&v); }
  ~Result() { VariantClear(&v); }
  VARIANT v;
};

TEST(ArchiveDispatch, EveryMemberByDispatchId) {
  TempFolder dir;
  const std::string path = dir.Path("disp.pkg");
  WriteFile(dir.Path("m.txt"), std::string(3000, 'm'));
  WriteFile(dir.Path("n.txt"), "nn");
  ComPtr<IVelmorArchive> archive = MakeArchive();
  IDispatch* d = archive.Get();
  std::set<DISPID> called;
  auto call = [&](DISPID id, DispArgs& args, VARIANT* result = nullptr) {
    called.insert(id);
    return args.Call(d, id, result);
  };
  {
    DispArgs a;
    a.Str(path);
    ASSERT_EQ(call(1, a), S_OK);  // Open
  }
  {
    DispArgs a;
    a.Str(dir.Path("m.txt"));
    EXPECT_EQ(call(17, a), S_OK);  // AddFile
  }
  {
    DispArgs a;
    a.Str(dir.Path("n.txt")).Str("Other.TXT");
    EXPECT_EQ(call(18, a), S_OK);  // AddFileAs
  }
  {
    Variant bytes(std::string(100, 'b'));
    DispArgs a;
    a.Ref(bytes.Get()).Str("buf.bin");
    EXPECT_EQ(call(20, a), S_OK);  // AddBuffer
  }
  {
    DispArgs a;
    Result r;
    EXPECT_EQ(call(5, a, &r.v), S_OK);  // GetFileCount
    EXPECT_EQ(IntOf(r.v), 3);
  }
  {
    DispArgs a;
    EXPECT_EQ(call(6, a), S_OK);  // ArchiveIsDirty
    DispArgs b;
    EXPECT_EQ(call(7, b), S_FALSE);  // ArchiveIsEmpty
    DispArgs c;
    EXPECT_EQ(call(8, c), S_OK);  // ArchiveIsTemporal
  }
  {
    DispArgs a;
    a.Str("dispatch notes");
    EXPECT_EQ(call(10, a), S_OK);  // SetArchiveNotes
    DispArgs b;
    Result r;
    EXPECT_EQ(call(9, b, &r.v), S_OK);  // GetArchiveNotes
    EXPECT_EQ(TextOf(r.v), "dispatch notes");
  }
  {
    DispArgs a;
    a.Str("other.txt");
    EXPECT_EQ(call(11, a), S_OK);  // IsInArchive
    DispArgs b;
    b.Str("m.txt");
    EXPECT_EQ(call(12, b), S_OK);  // IsCompressed
    DispArgs c;
    c.Str("other.txt");
    EXPECT_EQ(call(12, c), S_FALSE);
  }
  {
    DispArgs a;
    a.Str("m.txt");
    Result r;
    EXPECT_EQ(call(13, a, &r.v), S_OK);  // GetCompressedSize
    EXPECT_GT(IntOf(r.v), 0);
    EXPECT_LT(IntOf(r.v), 3000);
    DispArgs b;
    b.Str("m.txt");
    Result s;
    EXPECT_EQ(call(14, b, &s.v), S_OK);  // GetSize
    EXPECT_EQ(IntOf(s.v), 3000);
  }
  {
    DispArgs a;
    ASSERT_EQ(call(4, a), S_OK);  // Flush
  }
  {
    DispArgs a;
    a.Str("m.txt").Str(dir.Path("m.out"));
    EXPECT_EQ(call(19, a), S_OK);  // ExtractToFile
    EXPECT_EQ(ReadFile(dir.Path("m.out")), std::string(3000, 'm'));
    DispArgs b;
    b.Str("buf.bin");
    Result r;
    EXPECT_EQ(call(21, b, &r.v), S_OK);  // ExtractToBuffer
    ASSERT_TRUE(VariantIsByteArray(&r.v));
    EXPECT_EQ(r.v.parray->rgsabound[0].cElements, 100u);
  }
  {
    DispArgs a;
    Result r;
    EXPECT_EQ(call(22, a, &r.v), S_OK);  // GetArchivePath
    EXPECT_EQ(TextOf(r.v), path);
    DispArgs b;
    EXPECT_EQ(call(23, b), S_OK);  // IsOpen
    DispArgs c;
    Result n;
    EXPECT_EQ(call(30, c, &n.v), S_OK);  // GetArchiveName
    EXPECT_EQ(TextOf(n.v), "disp.pkg");
  }
  {
    int32_t minor = -1;
    DispArgs a;
    a.Str("m.txt").OutInt(&minor);
    Result r;
    EXPECT_EQ(call(24, a, &r.v), S_OK);  // GetVersion
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(IntOf(r.v), 0);
    DispArgs b;
    b.Str("m.txt");
    Result o;
    EXPECT_EQ(call(25, b, &o.v), S_OK);  // GetOrigin
    EXPECT_EQ(IntOf(o.v), 0);
  }
  {
    DispArgs a;
    a.Int(9).Int(1).Int(6).Int(0);
    EXPECT_EQ(call(43, a), S_OK);  // SetArchiveVersion
    int32_t minor = -1;
    DispArgs b;
    b.OutInt(&minor);
    Result r;
    EXPECT_EQ(call(26, b, &r.v), S_OK);  // GetArchiveVersion
    EXPECT_EQ(IntOf(r.v), 6);
    EXPECT_EQ(minor, 1);
    DispArgs c;
    Result o;
    EXPECT_EQ(call(27, c, &o.v), S_OK);  // GetArchiveOrigin
    EXPECT_EQ(IntOf(o.v), 9);
  }
  {
    DispArgs a;
    a.Int(2);
    EXPECT_EQ(call(29, a), S_OK);  // SetWriteMode
  }
  {
    DispArgs a;
    a.Int(1);
    Result r;
    EXPECT_EQ(call(31, a, &r.v), S_OK);  // IndexedGetName
    EXPECT_EQ(TextOf(r.v), "Other.TXT");
    DispArgs b;
    b.Int(1);
    Result s;
    EXPECT_EQ(call(32, b, &s.v), S_OK);  // IndexedGetSize
    EXPECT_EQ(IntOf(s.v), 2);
    DispArgs c;
    c.Int(1);
    Result cs;
    EXPECT_EQ(call(33, c, &cs.v), S_OK);  // IndexedGetCompressedSize
    EXPECT_EQ(IntOf(cs.v), 2);
    int32_t minor = -1;
    DispArgs e;
    e.Int(1).OutInt(&minor);
    Result mj;
    EXPECT_EQ(call(34, e, &mj.v), S_OK);  // IndexedGetVersion
    EXPECT_EQ(minor, 0);
    DispArgs f;
    f.Int(1);
    Result o;
    EXPECT_EQ(call(35, f, &o.v), S_OK);  // IndexedGetOrigin
    DispArgs g;
    g.Int(0);
    EXPECT_EQ(call(36, g), S_OK);  // IndexedIsCompressed
    DispArgs h;
    h.Int(3);
    EXPECT_EQ(call(36, h), S_FALSE);
    DispArgs i;
    i.Str("OTHER.txt");
    Result idx;
    EXPECT_EQ(call(37, i, &idx.v), S_OK);  // GetIndex
    EXPECT_EQ(IntOf(idx.v), 1);
  }
  {
    DispArgs a;
    a.Str("buf.bin");
    EXPECT_EQ(call(15, a), S_OK);  // Remove
    DispArgs b;
    b.Str(dir.Path("copy.pkg"));
    EXPECT_EQ(call(38, b), S_OK);  // FlushAs
    EXPECT_TRUE(std::filesystem::exists(dir.Path("copy.pkg")));
  }
  {
    int32_t origin = -1, minor = -1, major = -1;
    DispArgs a;
    a.Str(dir.Path("copy.pkg")).OutInt(&origin).OutInt(&minor).OutInt(&major);
    EXPECT_EQ(call(28, a), S_OK);  // IsValidArchive
    EXPECT_EQ(major, 6);
    EXPECT_EQ(minor, 1);
    EXPECT_EQ(origin, 9);
  }
  {
    DispArgs a;
    EXPECT_EQ(call(16, a), S_OK);  // RemoveAll
    DispArgs b;
    b.Str("");
    EXPECT_EQ(call(2, b), S_OK);  // Close
    DispArgs c;
    EXPECT_EQ(call(3, c), S_OK);  // Abort
  }
  {
    // The memory engine: an image of the written archive.
    Variant image(ReadFile(dir.Path("copy.pkg")));
    DispArgs a;
    a.Ref(image.Get());
    ASSERT_EQ(call(39, a), S_OK);  // OpenBuffer
    DispArgs b;
    EXPECT_EQ(call(40, b), S_OK);  // ArchiveIsMemoryResident
    DispArgs c;
    Result r;
    EXPECT_EQ(call(41, c, &r.v), S_OK);  // FlushToBuffer
    EXPECT_TRUE(VariantIsByteArray(&r.v));
    DispArgs e;
    Result s;
    EXPECT_EQ(call(42, e, &s.v), S_OK);  // CloseBuffer
    ASSERT_TRUE(VariantIsByteArray(&s.v));
    EXPECT_EQ(std::string(static_cast<char*>(s.v.parray->pvData), s.v.parray->rgsabound[0].cElements),
              ReadFile(dir.Path("copy.pkg")));
  }
  EXPECT_EQ(called.size(), 43u);
}

TEST(ArchiveDispatch, CallsThatCannotBeMade) {
  ComPtr<IVelmorArchive> archive = MakeArchive();
  DispArgs none;
  EXPECT_EQ(none.Call(archive.Get(), 44), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(none.Call(archive.Get(), 0), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(none.Call(archive.Get(), 1), DISP_E_BADPARAMCOUNT);  // Open without its path
  DispArgs wrong;
  wrong.Int(3);
  EXPECT_EQ(wrong.Call(archive.Get(), 11), DISP_E_TYPEMISMATCH);  // IsInArchive(3)
  DispArgs extra;
  extra.Str("a").Str("b");
  EXPECT_EQ(extra.Call(archive.Get(), 11), DISP_E_BADPARAMCOUNT);
  DispArgs notOut;
  notOut.Str("a").Int(1);
  EXPECT_EQ(notOut.Call(archive.Get(), 24), DISP_E_TYPEMISMATCH);  // GetVersion needs a reference

  // Names map to their dispatch ids.
  const std::u16string name = u"flushtobuffer";
  OLECHAR* names[] = {const_cast<OLECHAR*>(name.c_str())};
  DISPID id = 0;
  EXPECT_EQ(archive->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 41);
  const std::u16string unknown = u"Explode";
  names[0] = const_cast<OLECHAR*>(unknown.c_str());
  EXPECT_EQ(archive->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  uint32_t count = 9;
  EXPECT_EQ(archive->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace quillon::filetools
