#include "platform/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace quillon {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "quillon-safefile-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(path); }
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntryCount(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(SafeFile, ReplacesARegularFileKeepingItsModeAndLeavesNoTemporaryFile) {
  TempFolder dir;
  const std::string file = dir.File("tv.vir");
  WriteFileSafely(file, std::string("old"));
  ::chmod(file.c_str(), 0640);
  WriteFileSafely(file, std::string("new contents"));
  EXPECT_EQ(Slurp(file), "new contents");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(EntryCount(dir.path), 1u);
}

TEST(SafeFile, SymbolicLinksStayLinksAndTheirTargetsAreReplaced) {
  TempFolder dir;
  fs::create_directory(dir.File("store"));
  const std::string target = dir.File("store/real.vir");
  WriteFileSafely(target, std::string("old"));
  // A relative link to a link: both stay, the final target changes.
  fs::create_symlink("store/real.vir", dir.File("first.vir"));
  fs::create_symlink(dir.File("first.vir"), dir.File("second.vir"));
  WriteFileSafely(dir.File("second.vir"), std::string("through two links"));
  EXPECT_TRUE(fs::is_symlink(dir.File("first.vir")));
  EXPECT_TRUE(fs::is_symlink(dir.File("second.vir")));
  EXPECT_EQ(Slurp(target), "through two links");
  EXPECT_EQ(EntryCount(dir.File("store")), 1u);

  // A dangling link creates the file it points to.
  fs::create_symlink("store/new.vir", dir.File("dangling.vir"));
  WriteFileSafely(dir.File("dangling.vir"), std::string("created"));
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.vir")));
  EXPECT_EQ(Slurp(dir.File("store/new.vir")), "created");

  // A loop of links is an error, not a hang.
  fs::create_symlink("loop-b", dir.File("loop-a"));
  fs::create_symlink("loop-a", dir.File("loop-b"));
  EXPECT_THROW(WriteFileSafely(dir.File("loop-a"), std::string("x")), SafeFileError);
}

TEST(SafeFile, PipesAndDevicesAreWrittenDirectlyNeverReplaced) {
  TempFolder dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ClassifyOutput(fifo), OutputKind::Direct);
  std::string received;
  std::thread reader([&] { received = Slurp(fifo); });
  WriteFileSafely(fifo, std::string("streamed"));
  reader.join();
  EXPECT_EQ(received, "streamed");
  EXPECT_TRUE(fs::is_fifo(fifo));

  EXPECT_EQ(ClassifyOutput("/dev/null"), OutputKind::Direct);
  WriteFileSafely("/dev/null", std::string("discarded"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(ClassifyOutput("-"), OutputKind::Stdout);
}

TEST(SafeFile, FailuresNameTheFileAndTheReasonAndKeepTheOldFile) {
  TempFolder dir;
  try {
    WriteFileSafely(dir.path, std::string("x"));
    FAIL() << "a folder was overwritten";
  } catch (const SafeFileError& e) {
    EXPECT_EQ(std::string(e.what()), dir.path + ": Is a directory");
  }
  const std::string missing = dir.File("no/such/folder/tv.vir");
  EXPECT_THROW(CheckWritable(missing), SafeFileError);
  try {
    WriteFileSafely(missing, std::string("x"));
    FAIL();
  } catch (const SafeFileError& e) {
    EXPECT_EQ(std::string(e.what()), missing + ": No such file or directory");
    EXPECT_EQ(e.Errno(), ENOENT);
  }
  try {
    ReadFileSafely(dir.File("absent.vir"));
    FAIL();
  } catch (const SafeFileError& e) {
    EXPECT_EQ(std::string(e.what()), dir.File("absent.vir") + ": No such file or directory");
  }
  EXPECT_THROW(ReadFileSafely(dir.path), SafeFileError);

  const std::string big = dir.File("big.bin");
  WriteFileSafely(big, std::string(100, 'x'));
  EXPECT_THROW(ReadFileSafely(big, 99), SafeFileError);
  EXPECT_EQ(ReadFileSafely(big, 100).size(), 100u);
  EXPECT_TRUE(OutputExists(big));
  EXPECT_FALSE(OutputExists("-"));
  EXPECT_FALSE(OutputExists("/dev/null"));
}

TEST(SafeFile, AStreamingWriterShowsNothingUntilCommitAndAbortKeepsTheOldFile) {
  TempFolder dir;
  const std::string file = dir.File("pkg.bin");
  WriteFileSafely(file, std::string("old"));
  {
    SafeFileWriter writer(file);
    writer.Write("new ", 4);
    writer.Write("bytes", 5);
    EXPECT_EQ(Slurp(file), "old");
    // Destroyed without Commit: a failed codec run leaves no trace.
  }
  EXPECT_EQ(Slurp(file), "old");
  EXPECT_EQ(EntryCount(dir.path), 1u);

  fs::create_symlink("pkg.bin", dir.File("link.bin"));
  SafeFileWriter writer(dir.File("link.bin"));
  EXPECT_EQ(writer.Kind(), OutputKind::Replace);
  writer.Write("streamed", 8);
  writer.Commit();
  EXPECT_EQ(writer.Fd(), -1);
  EXPECT_EQ(Slurp(file), "streamed");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.bin")));
  EXPECT_EQ(EntryCount(dir.path), 2u);
}

}  // namespace
}  // namespace quillon
