#include "deviceops/CPlayback.h"

#include <cstdio>
#include <strings.h>

namespace quillon {

int CPlayback::FileNumber(const std::string& fileName) {
  const auto slash = fileName.find_last_of("/\\");
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  const auto dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);
  if (base.empty() || base.size() > 9) return -1;
  int number = 0;
  for (char c : base) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

bool CPlayback::Play(int port, const std::string& fileName, int functionIndex, bool continuous,
                     const PlaybackDeviceInfo& device) {
  const int fileNumber = FileNumber(fileName);
  if (port <= 0 || fileNumber < 0 || functionIndex < 0) return false;

  const bool siPort = device.firstSIPort >= 1 && device.lastSIPort >= device.firstSIPort &&
                      port >= device.firstSIPort && port <= device.lastSIPort;
  if (device.learnTypeQvx && (strcasecmp(device.partNumber.c_str(), "71-2204-01") == 0 ||
                              strcasecmp(device.partNumber.c_str(), "71-2204-02") == 0)) {
    port += 8;
  }
  Stop();
  if (continuous) m_continuousPort = port;

  char command[96];
  if (siPort) {
    std::snprintf(command, sizeof command, "%c%d,0IC%c", 27, port, 13);
    m_device.QueueCommandText(command);
  }
  std::snprintf(command, sizeof command, "%c%d,%d,%d,%dIR%c", 27, port, fileNumber,
                functionIndex + 1, continuous ? 1 : 0, 13);
  m_device.QueueCommandText(command);
  return true;
}

void CPlayback::Stop() {
  if (m_continuousPort <= 0) return;
  char command[32];
  std::snprintf(command, sizeof command, "%c%dIR%c", 27, m_continuousPort, 13);
  m_device.QueueCommandText(command);
  m_continuousPort = 0;
}

}  // namespace quillon
