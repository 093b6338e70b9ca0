#pragma once
// Generated driver libraries for the browser's tests: a temporary folder,
// temporary registry stores with both component libraries registered, and
// the builders of LibraryBuilders.h.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ComRegistration.h"
#include "tests/library/LibraryBuilders.h"

namespace quillon::testing {

// A temporary folder and registry stores, with both component libraries
// registered and the search fallback off, for one test suite.
class LibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-library-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    s_root = pattern;
    ::setenv("QUILLON_MACHINE_REGISTRY", (s_root + "/machine.ini").c_str(), 1);
    ::setenv("QUILLON_USER_REGISTRY", (s_root + "/user.ini").c_str(), 1);
    ::setenv("HOME", (s_root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (s_root + "/home/.config").c_str(), 1);
    std::filesystem::create_directories(s_root + "/home");
    const std::string bin = QUILLON_BINARY_DIR;
    ASSERT_EQ(ComRegistration::RegisterServerLibrary(bin + "/filetools/libVelmorFileTools.so", false), com::S_OK);
    ASSERT_EQ(ComRegistration::RegisterServerLibrary(bin + "/pkgreader/libVelmorPackageReader.so", false), com::S_OK);
    ComRegistration::SetSearchFallback(false);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(s_root, ec);
  }
  static inline std::string s_root;
};

// Registered once for the whole test program.
inline ::testing::Environment* const g_libraryEnvironment =
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

// A fresh folder below the suite's temporary folder.
inline std::string NewFolder(const std::string& name) {
  static int counter = 0;
  const std::string path = LibraryEnvironment::s_root + "/" + name + "-" + std::to_string(++counter);
  std::filesystem::create_directories(path);
  return path;
}

}  // namespace quillon::testing
