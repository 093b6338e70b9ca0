#include "tools/emulator/EmulatorCaptureSource.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "capture/IrSynth.h"

namespace quillon::emulator {

namespace fs = std::filesystem;

EmulatorCaptureSource::EmulatorCaptureSource(bool halvar, const std::string& folder, int presses)
    : m_halvar(halvar), m_presses(presses > 1 ? static_cast<std::size_t>(presses) : 1) {
  if (folder.empty()) return;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    if (item.is_regular_file(ec)) m_files.push_back(item.path().string());
  }
  std::sort(m_files.begin(), m_files.end());
}

std::vector<uint8_t> EmulatorCaptureSource::Next() {
  std::lock_guard<std::mutex> lock(m_mutex);
  const std::size_t count = m_next++;
  const std::size_t index = count / m_presses;
  if (!m_files.empty()) {
    std::ifstream in(m_files[index % m_files.size()], std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const std::vector<std::string> protocols = IrSynth::Protocols();
  IrSynth::Options options;
  options.command = static_cast<uint32_t>(0x10 + index % 32);
  options.seed = static_cast<uint32_t>(count + 1);  // every press measures its own noise
  const TIrTimeline timeline = IrSynth::Make(protocols[index % protocols.size()], options);
  return m_halvar ? IrSynth::ToHalvar(timeline, options) : IrSynth::ToQVX(timeline, options);
}

}  // namespace quillon::emulator
