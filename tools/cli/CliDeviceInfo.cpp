// "device info": connects to a device, prints each state change and event
// as it happens, then the device information, the matched device type, the
// running-event count and the file list, and disconnects.
//
//   device info (--ip ADDR[:PORT] | --com PORT,BAUD,PARITY,DATA,STOP[,FLOW]) [--pwd P]
//               [--settings FILE] [--timeout MS]
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliConnectionOptions.h"

namespace quillon::cli {
namespace {

struct InfoOptions {
  CliConnectionOptions connection;
  std::string settings;
  int timeout = 30000;
};

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return Cp1252ToUtf8(text);
}

const char* LearnKindText(int kind) {
  switch (kind) {
    case CQVXDeviceType::kQVXLearner: return "QVX learner";
    case CQVXDeviceType::kHalvarLearner: return "Halvar learner";
    default: return "not a learner";
  }
}

void RunInfo(const InfoOptions& options) {
  CQVX link;
  if (!options.settings.empty()) link.SetSettingsFile(options.settings);
  ConnectAndWait(link, options.connection, &std::cout, options.timeout);

  std::cout << "Name: " << Trimmed(link.GetInfo1()) << "\n";
  std::cout << "Information: " << Trimmed(link.GetInfo2()) << "\n";
  std::cout << "Information 3: " << Trimmed(link.GetInfo3()) << "\n";
  std::cout << "Firmware: " << Trimmed(link.GetFirmware()) << "\n";
  std::cout << "Part number: " << Trimmed(link.GetPartNumber()) << "\n";
  std::cout << "Memory: " << Trimmed(link.GetMemoryText()) << "\n";
  const std::unique_ptr<CQVXDeviceType> type = link.GetDeviceType();
  if (type) {
    std::cout << "Device type: " << type->GetName() << " (" << LearnKindText(type->GetLearnKind());
    if (type->HasPorts()) std::cout << ", ports " << type->GetFirstPort() << "-" << type->GetLastPort();
    std::cout << ")\n";
  } else {
    std::cout << "Device type: none\n";
  }
  std::cout << "Running events: " << link.GetRunningEventCount() << "\n";
  link.WithFileList([](const CQVXFileList& files) {
    std::cout << "Files: " << files.GetCount() << "\n";
    for (std::size_t i = 0; i < files.GetCount(); ++i) {
      const CQVXFile* file = files.GetAt(i);
      std::cout << "  " << Cp1252ToUtf8(file->GetName()) << "\t" << file->GetSize() << "\t" << file->GetDateText() << " "
                << std::setfill('0') << std::setw(2) << file->GetHour() << ":" << std::setw(2) << file->GetMinute()
                << ":" << std::setw(2) << file->GetSecond() << std::setfill(' ') << "\n";
    }
  });
  std::cout.flush();
  link.Disconnect();
  PumpLink(link, &std::cout, 5000, [&] { return !link.IsRunning() && link.GetState() == CQVX::kDisconnected; });
}

void RegisterDeviceInfo(CLI::App& app) {
  CLI::App& device = Group(app, "device", "Talk to a learning device or control processor");
  auto options = std::make_shared<InfoOptions>();
  auto* cmd = device.add_subcommand(
      "info", "Connect, show states and events as they happen, then the device information, type and files");
  options->connection.AddTo(cmd);
  cmd->add_option("--settings", options->settings, "Settings file to read the time-outs and device table from");
  cmd->add_option("--timeout", options->timeout, "Milliseconds to wait for the device to be identified (default 30000)");
  cmd->callback([options] { RunInfo(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(device_info, quillon::cli::RegisterDeviceInfo);
