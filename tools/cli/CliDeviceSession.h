#pragma once
// A connected device for one command of quillon-cli: connects on creation,
// pumps the link's events while a command waits for an outcome, and
// disconnects when it goes.
#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "app/IPrompt.h"
#include "devicelink/CQVX.h"
#include "tools/cli/CliConnectionOptions.h"

namespace quillon {
class CCommandLibrary;
class CQVXFile;
class CQVXFileList;
}

namespace quillon::cli {

// Options every device operation shares.
struct DeviceSessionOptions {
  CliConnectionOptions connection;
  std::string settings;
  int timeout = 30000;
  bool verbose = false;

  void AddTo(CLI::App* command);
};

class CliDeviceSession {
 public:
  explicit CliDeviceSession(const DeviceSessionOptions& options);
  ~CliDeviceSession();

  CQVX& Link() { return m_link; }
  // The address or device the session talks to, for messages.
  std::string Endpoint() const { return m_options.connection.Endpoint(); }
  // States and events are printed here with --verbose; nowhere otherwise.
  std::ostream* Log() { return m_log; }

  // Pumps events into ONEVENT until DONE is true; throws CliError naming
  // WHAT when the worker ends or the time-out passes first.
  void WaitFor(const std::string& what, const std::function<bool()>& done,
               const std::function<void(const CQVXEvent&)>& onEvent, int timeoutMs = -1);

  // Asks the worker for a fresh file list and waits for it.
  void RefreshFileList();

 private:
  DeviceSessionOptions m_options;
  CQVX m_link;
  std::ostream* m_log;
};

// Answers the questions of device operations on the command line: every
// question is answered Yes (the command itself is the user's consent),
// messages are kept and echoed to stderr.
class CliYesPrompt : public IPrompt {
 public:
  // ECHO: message boxes without a question are also printed on stderr.
  explicit CliYesPrompt(bool echo = true) : m_echo(echo) {}
  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                          PromptIcon icon) override;
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;

 private:
  bool m_echo;
};

// A device file's date and time in ISO 8601 ("2024-03-05T14:07:09", the
// device's clock; a two-digit year counts from 2000).
std::string DeviceFileDate(const CQVXFile& file);
// The device's file list as JSON: [{"name","size","date","driver"}].
nlohmann::ordered_json DeviceFilesJson(const CQVXFileList& files);
// The file list for people: a header line, one line per file, or a line
// saying the list is empty.
void PrintDeviceFiles(const CQVXFileList& files, const std::string& indent);

// The settings file a device command reads (GIVEN with --settings, else the
// program's quillon.ini where one is located), checked to be readable: a
// settings file that cannot be read is an error, never a silent fall-back to
// the defaults. Throws CliError "PATH: reason".
void CheckSettingsReadable(const std::string& given);

// The device types the command lists know, and "OTHER" (a driver without a
// standard layout), as UTF-8.
std::vector<std::string> KnownDeviceTypes();
// TYPED (UTF-8) as stored in a driver when it is a known device type;
// otherwise CliError "--type: unknown device type 'TV' (did you mean ...?);
// known types: ...".
std::string CheckedDeviceType(const std::string& typed);

// The command lists of the program's reference file (null when unreadable).
const CCommandLibrary* CliCommandLibrary();

}  // namespace quillon::cli
