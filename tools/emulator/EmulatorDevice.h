#pragma once
// The emulated device: speaks the device command protocol on one byte
// stream (a TCP connection or the master side of a pseudo-terminal), with
// log-in, identification, status polls, the learn cycle, captures, the file
// store, running events and the fault behaviours of its options. Several
// connections may be served at once; they share the store and the running
// events.
#include <atomic>
#include <cstdio>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/emulator/EmulatorCaptureSource.h"
#include "tools/emulator/EmulatorFileStore.h"
#include "tools/emulator/EmulatorOptions.h"

namespace quillon::emulator {

class EmulatorDevice {
 public:
  enum class End { PeerLeft, Stopped, FaultClosed };

  explicit EmulatorDevice(EmulatorOptions options);
  ~EmulatorDevice();
  EmulatorDevice(const EmulatorDevice&) = delete;
  EmulatorDevice& operator=(const EmulatorDevice&) = delete;

  const EmulatorOptions& GetOptions() const { return m_options; }
  // The part number reported: the option, or one that suits the learner kind.
  std::string PartNumber() const;
  bool IsHalvar() const { return m_options.learner == "halvar"; }
  bool IsLearner() const { return m_options.learner == "qvx" || m_options.learner == "halvar"; }

  // Serves one connection until the peer leaves, stop becomes true or a
  // fault option closes it. The descriptor stays open (the caller owns it).
  End Serve(int fd, bool serial, const std::atomic<bool>& stop);

  // Writes one time-stamped line to the command log.
  void Log(const std::string& line);

  // Shared device state.
  EmulatorFileStore& Store() { return m_store; }
  std::vector<uint8_t> NextCapture() { return m_captures.Next(); }
  int RunningEvents() const;
  void StopRunningEvents();
  void StartRunningEvents();

 private:
  EmulatorOptions m_options;
  EmulatorFileStore m_store;
  EmulatorCaptureSource m_captures;
  mutable std::mutex m_mutex;
  int m_runningEvents;
  int m_stoppedEvents = 0;
  std::mutex m_logMutex;
  FILE* m_log = nullptr;
};

}  // namespace quillon::emulator
