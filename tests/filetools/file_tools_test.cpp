// FileTools through its vtable and through Invoke, on real files in a
// temporary folder.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/filetools/ComTestSupport.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using namespace com;
namespace fs = std::filesystem;

struct FileToolsTest : ::testing::Test {
  TempFolder dir;
  ComPtr<IFileTools> tools = MakeFileTools();
  std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = dir.Path(name);
    WriteFile(path, bytes);
    return path;
  }
};

// Runs with HOME and XDG_CONFIG_HOME pointing into a temporary folder.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST_F(FileToolsTest, FilesAndFoldersAreToldApart) {
  const std::string file = Put("f.txt", "x");
  EXPECT_EQ(tools->FileExists(ComBstr(file).Get()), S_OK);
  EXPECT_EQ(tools->FileExists(ComBstr(dir.Root()).Get()), S_FALSE);
  EXPECT_EQ(tools->FileExists(ComBstr(dir.Path("none")).Get()), S_FALSE);
  EXPECT_EQ(tools->FolderExists(ComBstr(dir.Root()).Get()), S_OK);
  EXPECT_EQ(tools->FolderExists(ComBstr(dir.Root() + "/").Get()), S_OK);
  EXPECT_EQ(tools->FolderExists(ComBstr(file).Get()), S_FALSE);
  EXPECT_EQ(tools->FileExists(ComBstr("").Get()), E_INVALIDARG);
  EXPECT_EQ(tools->FileIsReadOnly(ComBstr(file).Get()), E_NOTIMPL);
  EXPECT_EQ(tools->SetFileIsReadOnly(ComBstr(file).Get(), 1), E_NOTIMPL);
}

TEST_F(FileToolsTest, FileSizeOfAMissingFileLeavesZero) {
  int32_t size = 99;
  EXPECT_EQ(tools->FileSize(ComBstr(dir.Path("none")).Get(), &size), STG_E_FILENOTFOUND);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(tools->FileSize(ComBstr(Put("five", "12345")).Get(), &size), S_OK);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(tools->FileSize(ComBstr(dir.Path("five")).Get(), nullptr), E_INVALIDARG);
}

TEST_F(FileToolsTest, RemoveFileAlsoRemovesReadOnlyFiles) {
  const std::string file = Put("ro.txt", "x");
  ::chmod(file.c_str(), 0444);
  EXPECT_EQ(tools->RemoveFile(ComBstr(file).Get()), S_OK);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(tools->RemoveFile(ComBstr(file).Get()), E_FAIL);
  EXPECT_EQ(tools->RemoveFile(ComBstr(dir.Root()).Get()), E_FAIL);  // a folder is no file
}

TEST_F(FileToolsTest, CompareFiles) {
  const std::string a = Put("a", std::string(3000, 'a') + "1");
  const std::string b = Put("b", std::string(3000, 'a') + "2");
  const std::string c = Put("c", std::string(3000, 'a') + "1");
  const std::string shortFile = Put("s", "aa");
  int32_t result = 0;
  EXPECT_EQ(tools->CompareFiles(ComBstr(a).Get(), ComBstr(b).Get(), &result), S_FALSE);
  EXPECT_LT(result, 0);
  EXPECT_EQ(tools->CompareFiles(ComBstr(b).Get(), ComBstr(a).Get(), &result), S_FALSE);
  EXPECT_GT(result, 0);
  EXPECT_EQ(tools->CompareFiles(ComBstr(a).Get(), ComBstr(c).Get(), &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(tools->CompareFiles(ComBstr(a).Get(), ComBstr(shortFile).Get(), &result), S_FALSE);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(tools->CompareFiles(ComBstr(shortFile).Get(), ComBstr(a).Get(), &result), S_FALSE);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(tools->CompareFiles(ComBstr(a).Get(), ComBstr(a).Get(), &result), E_INVALIDARG);
  EXPECT_EQ(tools->CompareFiles(ComBstr(a).Get(), ComBstr(dir.Path("none")).Get(), &result), STG_E_FILENOTFOUND);
}

TEST_F(FileToolsTest, RenameFileNeverReplacesATarget) {
  const std::string a = Put("a.txt", "A");
  const std::string b = Put("b.txt", "B");
  EXPECT_EQ(tools->RenameFile(ComBstr(a).Get(), ComBstr(dir.Path("A.TXT")).Get()), E_INVALIDARG);
  EXPECT_EQ(tools->RenameFile(ComBstr(a).Get(), ComBstr(b).Get()), E_FAIL);
  EXPECT_EQ(ReadFile(b), "B");
  EXPECT_EQ(tools->RenameFile(ComBstr(a).Get(), ComBstr(dir.Path("c.txt")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("c.txt")), "A");
  EXPECT_FALSE(fs::exists(a));
}

TEST_F(FileToolsTest, ForcePathCreatesMissingLevelsOnly) {
  EXPECT_EQ(tools->ForcePath(ComBstr(dir.Root()).Get()), S_OK);
  const std::string deep = dir.Root() + "/one\\two/three/";
  EXPECT_EQ(tools->ForcePath(ComBstr(deep).Get()), S_OK);
  EXPECT_TRUE(fs::is_directory(dir.Path("one/two/three")));
  const auto before = fs::last_write_time(dir.Path("one"));
  EXPECT_EQ(tools->ForcePath(ComBstr(dir.Path("one/two")).Get()), S_OK);
  EXPECT_EQ(fs::last_write_time(dir.Path("one")), before);
  Put("blocker", "x");
  EXPECT_EQ(tools->ForcePath(ComBstr(dir.Path("blocker/sub")).Get()), E_FAIL);
}

TEST_F(FileToolsTest, FolderOperations) {
  fs::create_directories(dir.Path("src/inner"));
  Put("src/a.txt", "a");
  Put("src/inner/b.txt", "b");
  // Rename.
  EXPECT_EQ(tools->RenameFolder(ComBstr(dir.Path("src")).Get(), ComBstr(dir.Path("SRC")).Get()), STG_E_INVALIDNAME);
  EXPECT_EQ(tools->RenameFolder(ComBstr(dir.Path("src")).Get(), ComBstr(dir.Path("moved")).Get()), S_OK);
  EXPECT_EQ(tools->RenameFolder(ComBstr(dir.Path("src")).Get(), ComBstr(dir.Path("x")).Get()),
            STG_E_FILEALREADYEXISTS);
  // Copy to a new folder, then into an existing one.
  EXPECT_EQ(tools->CopyFolder(ComBstr(dir.Path("moved")).Get(), ComBstr(dir.Path("copy")).Get(), 0), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("copy/inner/b.txt")), "b");
  EXPECT_EQ(tools->CopyFolder(ComBstr(dir.Path("moved")).Get(), ComBstr(dir.Path("copy")).Get(), 0),
            STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(tools->CopyFolder(ComBstr(dir.Path("moved")).Get(), ComBstr(dir.Path("copy")).Get(), 1), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("copy/moved/a.txt")), "a");
  EXPECT_EQ(tools->CopyFolder(ComBstr(dir.Path("moved")).Get(), ComBstr("").Get(), 1), STG_E_INVALIDNAME);
  // Move refuses an existing destination.
  EXPECT_EQ(tools->MoveFolder(ComBstr(dir.Path("moved")).Get(), ComBstr(dir.Path("copy")).Get()),
            STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(tools->MoveFolder(ComBstr(dir.Path("moved")).Get(), ComBstr(dir.Path("final")).Get()), S_OK);
  EXPECT_FALSE(fs::exists(dir.Path("moved")));
  // Empty without and with sub-folders, then remove.
  EXPECT_EQ(tools->EmptyFolder(ComBstr(dir.Path("final")).Get(), 0), S_OK);
  EXPECT_FALSE(fs::exists(dir.Path("final/a.txt")));
  EXPECT_TRUE(fs::exists(dir.Path("final/inner/b.txt")));
  EXPECT_EQ(tools->EmptyFolder(ComBstr(dir.Path("final")).Get(), 1), S_OK);
  EXPECT_TRUE(fs::is_empty(dir.Path("final")));
  EXPECT_EQ(tools->RemoveFolder(ComBstr(dir.Path("copy")).Get()), S_OK);
  EXPECT_FALSE(fs::exists(dir.Path("copy")));
}

TEST_F(FileToolsTest, SpecialFoldersFollowTheUserDirectories) {
  fs::create_directories(dir.Path("home/.config"));
  WriteFile(dir.Path("home/.config/user-dirs.dirs"), "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  ScopedEnv home("HOME", dir.Path("home"));
  ScopedEnv config("XDG_CONFIG_HOME", dir.Path("home/.config"));
  ComBstr documents;
  ASSERT_EQ(tools->GetWindowsDocumentsPath(documents.Out()), S_OK);
  EXPECT_EQ(documents.Utf8(), dir.Path("home/Papers"));
  ComBstr temp;
  ASSERT_EQ(tools->GetWindowsTempPath(temp.Out()), S_OK);
  EXPECT_EQ(temp.Utf8(), dir.Path("home/Papers/Temp"));
  EXPECT_EQ(tools->IsSystemFolder(ComBstr(dir.Path("home")).Get()), S_OK);
  EXPECT_EQ(tools->IsSystemFolder(ComBstr(dir.Path("home/Papers/")).Get()), S_OK);
  EXPECT_EQ(tools->IsSystemFolder(ComBstr(dir.Path("home/.config")).Get()), S_OK);
  EXPECT_EQ(tools->IsSystemFolder(ComBstr(dir.Path("home/Papers/Drivers")).Get()), S_FALSE);
  EXPECT_EQ(tools->IsSystemFolder(ComBstr("/usr/bin").Get()), S_OK);
}

TEST_F(FileToolsTest, EveryMemberByDispatchId) {
  const std::string a = Put("a", "12345");
  const std::string b = Put("b", "12346");
  fs::create_directories(dir.Path("d1/sub"));
  IDispatch* d = tools.Get();
  VARIANT r;
  VariantInit(&r);
  auto run = [&](DISPID id, DispArgs& args) {
    VariantClear(&r);
    return args.Call(d, id, &r);
  };
  DispArgs a1; a1.Str(a);
  EXPECT_EQ(run(1, a1), S_OK);
  DispArgs a2; a2.Str(a);
  EXPECT_EQ(run(2, a2), S_OK);
  EXPECT_EQ(r.lVal, 5);
  DispArgs a3; a3.Str(a);
  EXPECT_EQ(run(3, a3), E_NOTIMPL);
  DispArgs a4; a4.Str(a).Int(1);
  EXPECT_EQ(run(4, a4), E_NOTIMPL);
  DispArgs a6; a6.Str(a).Str(b);
  EXPECT_EQ(run(6, a6), S_FALSE);
  EXPECT_EQ(r.lVal, -1);
  DispArgs a5; a5.Str(b).Str(dir.Path("c"));
  EXPECT_EQ(run(5, a5), S_OK);
  DispArgs a7; a7.Str(dir.Path("c"));
  EXPECT_EQ(run(7, a7), S_OK);
  DispArgs a8; a8.Str(dir.Path("d1"));
  EXPECT_EQ(run(8, a8), S_OK);
  DispArgs a9; a9.Str(dir.Path("d1")).Str(dir.Path("d2"));
  EXPECT_EQ(run(9, a9), S_OK);
  DispArgs a10; a10.Str(dir.Path("d2")).Str(dir.Path("d3")).Int(0);
  EXPECT_EQ(run(10, a10), S_OK);
  DispArgs a11; a11.Str(dir.Path("d3")).Str(dir.Path("d4"));
  EXPECT_EQ(run(11, a11), S_OK);
  DispArgs a12; a12.Str(dir.Path("d4")).Int(1);
  EXPECT_EQ(run(12, a12), S_OK);
  DispArgs a13; a13.Str(dir.Path("d4"));
  EXPECT_EQ(run(13, a13), S_OK);
  DispArgs a14; a14.Str(dir.Path("x/y"));
  EXPECT_EQ(run(14, a14), S_OK);
  DispArgs a15; a15.Str(dir.Path("x/y"));
  EXPECT_EQ(run(15, a15), S_FALSE);
  DispArgs a16;
  EXPECT_EQ(run(16, a16), S_OK);
  EXPECT_EQ(r.vt, VT_BSTR);
  DispArgs a17;
  EXPECT_EQ(run(17, a17), S_OK);
  EXPECT_EQ(r.vt, VT_BSTR);
  DispArgs bad;
  EXPECT_EQ(run(18, bad), DISP_E_MEMBERNOTFOUND);
  VariantClear(&r);
}

}  // namespace
}  // namespace quillon::filetools
