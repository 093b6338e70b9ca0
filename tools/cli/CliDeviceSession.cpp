#include "tools/cli/CliDeviceSession.h"

#include <strings.h>

#include <iostream>
#include <memory>

#include "app/CCommandLibrary.h"
#include "app/CConfigFiles.h"
#include "app/CMfgList.h"
#include "app/CReferenceLists.h"
#include "irmodel/CDriverDocText.h"
#include "devicelink/CQVXEvent.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {

void DeviceSessionOptions::AddTo(CLI::App* command) {
  connection.AddTo(command);
  command->add_option("--settings", settings, "Settings file to read the time-outs and device table from");
  command->add_option("--timeout", timeout, "Milliseconds to wait for the device (default 30000)");
  command->add_flag("--verbose,-v", verbose, "Print every state change and event of the link");
}

CliDeviceSession::CliDeviceSession(const DeviceSessionOptions& options)
    : m_options(options), m_log(options.verbose ? &std::cerr : nullptr) {
  options.connection.Build();  // a malformed --ip or --com is a usage error before anything else
  CheckSettingsReadable(options.settings);
  if (!options.settings.empty()) m_link.SetSettingsFile(options.settings);
  ConnectAndWait(m_link, options.connection, m_log, options.timeout);
}

CliDeviceSession::~CliDeviceSession() {
  m_link.Disconnect();
  PumpLink(m_link, m_log, 5000, [this] { return !m_link.IsRunning(); });
}

void CliDeviceSession::WaitFor(const std::string& what, const std::function<bool()>& done,
                               const std::function<void(const CQVXEvent&)>& onEvent, int timeoutMs) {
  std::string failure;
  const std::string endpoint = m_options.connection.Endpoint();
  const int limit = timeoutMs < 0 ? m_options.timeout : timeoutMs;
  const bool ok = PumpLink(m_link, m_log, limit, done, [&](const CQVXEvent& event) {
    if (failure.empty() && (event.GetType() == 11 || event.GetType() == 3 || event.GetType() == 13)) {
      failure = LinkFailure(m_link, endpoint, event);
    }
    if (onEvent) onEvent(event);
  });
  if (!ok) {
    throw CliError(failure.empty() ? endpoint + ": no answer from the device within " + std::to_string(limit) +
                                         " ms while waiting for " + what
                                   : failure);
  }
}

void CliDeviceSession::RefreshFileList() {
  bool refreshed = false;
  m_link.SetRequestBits(CQVX::kRequestFileList);
  WaitFor("the file list", [&] { return refreshed; },
          [&](const CQVXEvent& event) { refreshed = refreshed || event.GetType() == 7; });
}

PromptAnswer CliYesPrompt::MessageBox(const std::string& text, const std::string&, PromptButtons buttons,
                                      PromptIcon) {
  messages.push_back(text);
  switch (buttons) {
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel: return PromptAnswer::Yes;
    case PromptButtons::RetryCancel: return PromptAnswer::Cancel;
    default:
      if (m_echo) std::cerr << text << "\n";
      return PromptAnswer::Ok;
  }
}

std::string DeviceFileDate(const CQVXFile& file) {
  // A two-digit year counts from 2000, as the device's own clock does.
  const int year = file.GetYear() < 100 ? 2000 + file.GetYear() : file.GetYear();
  return IsoDateTime(year, file.GetMonth(), file.GetDay(), file.GetHour(), file.GetMinute(), file.GetSecond());
}

nlohmann::ordered_json DeviceFilesJson(const CQVXFileList& files) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < files.GetCount(); ++i) {
    const CQVXFile& file = *files.GetAt(i);
    list.push_back({{"name", Cp1252ToUtf8(file.GetName())},
                    {"size", file.GetSize()},
                    {"date", DeviceFileDate(file)},
                    {"driver", file.IsDriver() == 1}});
  }
  return list;
}

void PrintDeviceFiles(const CQVXFileList& files, const std::string& indent) {
  if (files.GetCount() == 0) {
    std::cout << indent << "No files on the device.\n";
    return;
  }
  std::cout << indent << "NAME\tSIZE\tDATE\n";
  for (std::size_t i = 0; i < files.GetCount(); ++i) {
    const CQVXFile& file = *files.GetAt(i);
    std::cout << indent << Cp1252ToUtf8(file.GetName()) << "\t" << file.GetSize() << "\t" << DeviceFileDate(file) << "\n";
  }
}

std::vector<std::string> KnownDeviceTypes() {
  std::vector<std::string> types;
  if (const CCommandLibrary* library = CliCommandLibrary()) {
    for (int i = 0; i < library->GetCount(); ++i) types.push_back(Cp1252ToUtf8(library->GetAt(i)->GetTypeName()));
  }
  bool other = false;
  for (const std::string& type : types) other = other || strcasecmp(type.c_str(), CDriverDocText::kOtherDeviceType) == 0;
  if (!other) types.push_back(CDriverDocText::kOtherDeviceType);
  return types;
}

std::string CheckedDeviceType(const std::string& typed) {
  const std::vector<std::string> known = KnownDeviceTypes();
  for (const std::string& type : known) {
    if (strcasecmp(type.c_str(), typed.c_str()) == 0) return *Utf8ToCp1252(typed);
  }
  std::string list;
  for (const std::string& type : known) list += (list.empty() ? "" : ", ") + type;
  const std::string close = Suggest(typed, known);
  throw CliError("--type: unknown device type '" + typed + "'" + (close.empty() ? "" : " (did you mean " + close + "?)") +
                 "; known types: " + list);
}

void CheckSettingsReadable(const std::string& given) {
  const std::string path = given.empty() ? CConfigFiles::LocateIniFile(CConfigFiles::kSettingsFile) : given;
  if (!path.empty()) CheckReadable(path);
}

const CCommandLibrary* CliCommandLibrary() {
  static std::unique_ptr<CCommandLibrary> library;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    auto lists = std::make_unique<CCommandLibrary>();
    CMfgList manufacturers;
    try {
      CReferenceLists::Load(*lists, manufacturers, nullptr);
      library = std::move(lists);
    } catch (const std::exception& e) {
      std::cerr << "quillon-cli: warning: no command lists: " << e.what() << "\n";
    }
  }
  return library.get();
}

}  // namespace quillon::cli
