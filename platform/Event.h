#pragma once
// A signalling event shared between threads: manual-reset events stay set
// until Reset; auto-reset events release one waiter and clear themselves.
#include <condition_variable>
#include <mutex>

namespace quillon {

class Event {
 public:
  explicit Event(bool manualReset = true, bool initiallySet = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // True when the event is set, without consuming an auto-reset event.
  bool IsSet() const;
  // Waits up to timeoutMs (negative: forever); true when the event was set.
  // An auto-reset event is cleared by a successful wait.
  bool Wait(int timeoutMs);

 private:
  const bool manualReset_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_;
};

}  // namespace quillon
