#pragma once
// The captures the emulated learner reports: the files of a folder in name
// order (starting over after the last), or built-in signals of common
// remote-control protocols.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::emulator {

class EmulatorCaptureSource {
 public:
  // halvar: report Halvar captures (2052 bytes), else QVX captures.
  // PRESSES: how many captures in a row each signal gives.
  EmulatorCaptureSource(bool halvar, const std::string& folder, int presses = 1);

  std::vector<uint8_t> Next();
  // How many files the folder gave (0 for built-in signals).
  std::size_t FileCount() const { return m_files.size(); }

 private:
  bool m_halvar;
  std::vector<std::string> m_files;
  std::mutex m_mutex;
  std::size_t m_next = 0;
  std::size_t m_presses = 1;
};

}  // namespace quillon::emulator
