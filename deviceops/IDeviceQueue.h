#pragma once
// What the device operations ask of a connected device link: its running
// event count and its queues. The device link CQVX answers it; the command
// line and the windows hand it to the operations.
#include <string>

namespace quillon {

class IDeviceQueue {
 public:
  virtual ~IDeviceQueue() = default;
  // Number of events running on the connected processor, as last reported.
  virtual int GetRunningEventCount() = 0;
  // Hands a command text to the worker, which sends it in its next pass.
  virtual bool QueueCommandText(const std::string& text) = 0;
};

}  // namespace quillon
