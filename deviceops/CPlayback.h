#pragma once
// Test playback of a function of a driver stored on the device through one of
// its IR ports, and the stop of a continuous playback.
#include <string>

#include "deviceops/IDeviceQueue.h"

namespace quillon {

// What playback needs to know of the connected device's type.
struct PlaybackDeviceInfo {
  std::string partNumber;
  bool learnTypeQvx = false;
  int firstSIPort = 0;
  int lastSIPort = 0;
};

class CPlayback {
 public:
  explicit CPlayback(IDeviceQueue& device) : m_device(device) {}

  // Plays function FUNCTIONINDEX (0-based, -1 = none selected) of the device
  // file FILENAME on PORT. Returns false when nothing was sent: a port of 0
  // or below, a file whose base name is not all digits, or no function.
  bool Play(int port, const std::string& fileName, int functionIndex, bool continuous,
            const PlaybackDeviceInfo& device);

  // Stops the continuous playback, if one is running.
  void Stop();

  int GetContinuousPort() const { return m_continuousPort; }

  // 12 for "12.vir"; -1 when the base name is empty or not all decimal digits.
  static int FileNumber(const std::string& fileName);

 private:
  IDeviceQueue& m_device;
  int m_continuousPort = 0;
};

}  // namespace quillon
