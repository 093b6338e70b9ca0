#pragma once
// Stops the events running on a control processor before the device is used
// for learning, and starts them again afterwards.
#include "app/IPrompt.h"
#include "deviceops/IDeviceQueue.h"

namespace quillon {

class CRunningEvents {
 public:
  explicit CRunningEvents(IDeviceQueue& device) : m_device(device) {}

  // Asks the user when events are running and stops them on Yes. Returns
  // false when the user answered No: the learn dialog must not open.
  bool StopBeforeLearn(IPrompt& prompt);

  // Starts the events again when StopBeforeLearn stopped them.
  void RestartAfterLearn();

  bool EventsWereStopped() const { return m_stopped; }

  static std::string StopCommand();
  static std::string StartCommand();

 private:
  IDeviceQueue& m_device;
  bool m_stopped = false;
};

}  // namespace quillon
