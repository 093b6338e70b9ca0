#pragma once
// Everything the device emulator can be told on its command line.
#include <string>

namespace quillon::emulator {

struct EmulatorOptions {
  // Identity.
  std::string partNumber;  // empty: chosen by learner kind
  std::string firmware = "1.05";
  std::string name = "QVX Emulator";
  std::string serialNumber = "1045-2231";
  std::string info2 = "QVX Control Processor";
  std::string info3 = "Build 2026.12";
  // Log-in: a password makes the greeting ask for it.
  std::string password;
  std::string greeting = "QVX Telnet Server";
  bool sendGreeting = true;  // on TCP connections; the serial side never greets
  bool admin = true;
  // Learner kind: "qvx", "halvar" or "none".
  std::string learner = "qvx";
  std::string captureFolder;  // capture files served in name order; empty: built-in signals
  int presses = 1;            // captures of each signal in a row (learn, then verify)
  std::string storeFolder;    // file store; empty: in memory
  long long capacity = 12000000;
  int runningEvents = 0;
  // Learn cycle timing.
  int firstPulseMs = 400;
  int captureMs = 300;
  // Faults.
  long long closeAfterBytes = -1;  // close the connection after sending this many bytes
  int slowReplyMs = 0;             // delay before every reply
  bool garbageReplies = false;     // text replies are junk
  bool shortCapture = false;       // a capture sends half the samples it announces
  bool dropInCapture = false;      // the connection closes halfway through a capture
  bool zeroDownload = false;       // every download announces length 0
  bool shortDownload = false;      // a download sends half of the bytes it announces
  std::string logFile;             // received commands; empty: standard error
};

}  // namespace quillon::emulator
