#pragma once
// Points both registry stores at files in a temporary folder for one test and
// restores the previous settings afterwards.
#include <cstdlib>
#include <optional>
#include <string>

#include "tests/app/TempDir.h"

namespace quillon::testing {

class RegistryEnv {
 public:
  RegistryEnv() : m_machine(Save("QUILLON_MACHINE_REGISTRY")), m_user(Save("QUILLON_USER_REGISTRY")) {
    ::setenv("QUILLON_MACHINE_REGISTRY", m_dir.File("machine/registry.ini").c_str(), 1);
    ::setenv("QUILLON_USER_REGISTRY", m_dir.File("user/Quillon.ini").c_str(), 1);
  }
  ~RegistryEnv() {
    Restore("QUILLON_MACHINE_REGISTRY", m_machine);
    Restore("QUILLON_USER_REGISTRY", m_user);
  }
  RegistryEnv(const RegistryEnv&) = delete;
  RegistryEnv& operator=(const RegistryEnv&) = delete;

  const TempDir& Dir() const { return m_dir; }

 private:
  static std::optional<std::string> Save(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void Restore(const char* name, const std::optional<std::string>& value) {
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }

  TempDir m_dir;
  std::optional<std::string> m_machine;
  std::optional<std::string> m_user;
};

}  // namespace quillon::testing
