#pragma once
// The connection options shared by the device commands of quillon-cli:
//   --ip ADDR[:PORT]                           TCP (port 23 when omitted)
//   --com PORT,BAUD,PARITY,DATA,STOP[,FLOW]   serial; PORT is a number or a
//                                              device path (a pseudo-terminal)
//   --pwd PASSWORD                             administrator password
// The serial fields follow one grammar, the same as `conn parse` accepts in
// a "SERIAL:" text: PARITY is None, Odd, Even, Mark, Space or their first
// letter; STOP is 1 or 2; FLOW is Off/None/N/O, Hardware/H (CTR/CRS),
// Software/X (XOn/XOff) or a table text such as CTS/DTR; letter case does not
// matter. A field that does not fit is named in the error.
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

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
  std::unique_ptr<CQVXConnectionType> Build() const;
  // "127.0.0.1:2323" or the serial device ("/dev/pts/3", "COM1 (/dev/ttyS0)"),
  // for messages.
  std::string Endpoint() const;

  // Parsers behind Build, usable on their own.
  static std::unique_ptr<CQVXConnectionType> ParseIp(const std::string& text);
  static std::unique_ptr<CQVXConnectionType> ParseCom(const std::string& text);
};

// The serial parameter fields (bit rate onwards) of a connection text, with
// the short and long forms of the grammar above replaced by the table texts
// the connection descriptions use; other fields are kept as they are.
std::vector<std::string> NormaliseSerialFields(std::vector<std::string> fields);

// One line describing an event of the device link, e.g. "event 17 Invalid password.".
std::string DescribeEvent(const CQVXEvent& event);

// Takes the link's events and state changes and prints each to out as it
// happens (out may be null), until done() is true (returns true), the worker
// has ended (false) or timeoutMs passed (false). Every event seen is also
// passed to onEvent when given.
bool PumpLink(CQVX& link, std::ostream* out, int timeoutMs, const std::function<bool()>& done,
              const std::function<void(const CQVXEvent&)>& onEvent = nullptr);

// The one-line failure an event of the link stands for, naming ENDPOINT and
// the system's reason where there is one ("127.0.0.1:1: Connection
// refused"); "" for events that are no failure.
std::string LinkFailure(CQVX& link, const std::string& endpoint, const CQVXEvent& event);

// Connects link with the options and waits until the device is identified
// and its file list has been read, printing states and events to out.
// Throws CliError naming the address or device and the reason when the
// connection fails ("127.0.0.1:1: Connection refused").
void ConnectAndWait(CQVX& link, const CliConnectionOptions& options, std::ostream* out, int timeoutMs);

}  // namespace quillon::cli
