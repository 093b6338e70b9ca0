#pragma once
// The calls the learn dialog makes on the device link. CQVXLearnLink answers
// them from the real device link; the dialog never talks to the device.
#include <cstdint>
#include <string>

namespace quillon {

class CQVXEventList;

class ILearnLink {
 public:
  virtual ~ILearnLink() = default;
  // Connection state; 6 is connected.
  virtual int GetConnectionState() = 0;
  // Capture-state text reported by the device ("" when none yet).
  virtual std::string GetCaptureStateText() = 0;
  // Name of the connected device's type ("" when unknown).
  virtual std::string GetDeviceTypeName() = 0;
  // Moves the pending events of the worker into LIST.
  virtual void TakeEvents(CQVXEventList& list) = 0;
  // Capture requests: 8 start a capture, 16 abort it, 32 acknowledge it.
  virtual void SetRequestBits(uint32_t bits) = 0;
  // The capture signal: set while a capture is wanted, reset at rest.
  virtual void SetCaptureSignal(bool on) = 0;
  // After a disconnection: drop the queued command texts, close the link.
  virtual void DiscardCommandsAndClose() = 0;
};

}  // namespace quillon
