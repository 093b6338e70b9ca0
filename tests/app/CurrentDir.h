#pragma once
// Changes the current directory for one test and changes it back afterwards.
#include <unistd.h>

#include <string>
#include <vector>

namespace quillon::testing {

class CurrentDir {
 public:
  explicit CurrentDir(const std::string& path) {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size())) m_previous = buffer.data();
    m_ok = ::chdir(path.c_str()) == 0;
  }
  ~CurrentDir() {
    if (!m_previous.empty()) (void)::chdir(m_previous.c_str());
  }
  CurrentDir(const CurrentDir&) = delete;
  CurrentDir& operator=(const CurrentDir&) = delete;
  bool Ok() const { return m_ok; }

 private:
  std::string m_previous;
  bool m_ok = false;
};

}  // namespace quillon::testing
