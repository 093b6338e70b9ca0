#pragma once
// The connection options shared by the device commands of quillon-cli:
//   --ip ADDR[:PORT]                           TCP (port 23 when omitted)
//   --com PORT,BAUD,PARITY,DATA,STOP[,FLOW]   serial; PORT is a number or a
//                                              device path (a pseudo-terminal)
//   --pwd PASSWORD                             administrator password
// PARITY is one letter (N, O, E, M, S), STOP is 1 or 2, FLOW is H (hardware),
// X (XOn/XOff), N or O (none) or empty, in either case.
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXConnectionType.h"

namespace quillon::cli {

struct CliConnectionOptions {
  std::string ip;
  std::string com;
  std::string pwd;

  // Adds --ip, --com and --pwd to a command.
  void AddTo(CLI::App* command);

  // The connection description the options give; throws UsageError when
  // neither or both of --ip and --com are given or a field is malformed.
  // A serial port given as a device path is returned in devicePath (empty
  // otherwise).
  std::unique_ptr<CQVXConnectionType> Build(std::string* devicePath) const;

  // Parsers behind Build, usable on their own.
  static std::unique_ptr<CQVXConnectionType> ParseIp(const std::string& text);
  static std::unique_ptr<CQVXConnectionType> ParseCom(const std::string& text, std::string* devicePath);
};

// One line describing an event of the device link, e.g. "event 17 wrong password".
std::string DescribeEvent(const CQVXEvent& event);

// Takes the link's events and state changes and prints each to out as it
// happens (out may be null), until done() is true (returns true), the worker
// has ended (false) or timeoutMs passed (false). Every event seen is also
// passed to onEvent when given.
bool PumpLink(CQVX& link, std::ostream* out, int timeoutMs, const std::function<bool()>& done,
              const std::function<void(const CQVXEvent&)>& onEvent = nullptr);

// Connects link with the options and waits until the device is identified
// and its file list has been read, printing states and events to out.
// Throws CliError with the failure's message when the connection fails.
void ConnectAndWait(CQVX& link, const CliConnectionOptions& options, std::ostream* out, int timeoutMs);

}  // namespace quillon::cli
