#include "tools/cli/CliDeviceSession.h"

#include <iostream>
#include <memory>

#include "app/CCommandLibrary.h"
#include "app/CMfgList.h"
#include "app/CReferenceLists.h"
#include "devicelink/CQVXEvent.h"
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
  const bool ok = PumpLink(m_link, m_log, timeoutMs < 0 ? m_options.timeout : timeoutMs, done,
                           [&](const CQVXEvent& event) {
                             if (event.GetType() == 11 && failure.empty()) failure = "connection lost: " + event.GetText();
                             if (event.GetType() == 3 && failure.empty()) failure = "the device closed the connection";
                             if (onEvent) onEvent(event);
                           });
  if (!ok) throw CliError(failure.empty() ? "no answer from the device while waiting for " + what : failure);
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
    default: std::cerr << text << "\n"; return PromptAnswer::Ok;
  }
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
