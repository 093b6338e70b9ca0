// "device info": connects to a device, prints each state change and event
// on stderr as it happens, then the device information, the matched device
// type, the running-event count and the file list on stdout (or as JSON),
// and disconnects.
//
//   device info (--ip ADDR[:PORT] | --com PORT,BAUD,PARITY,DATA,STOP[,FLOW]) [--pwd P]
//               [--settings FILE] [--timeout MS] [--json]
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliConnectionOptions.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

struct InfoOptions {
  CliConnectionOptions connection;
  std::string settings;
  int timeout = 30000;
  bool json = false;
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
  options.connection.Build();  // a malformed --ip or --com is a usage error before anything else
  CQVX link;
  CheckSettingsReadable(options.settings);
  if (!options.settings.empty()) link.SetSettingsFile(options.settings);
  // States and events go to stderr as they happen; the data to stdout.
  ConnectAndWait(link, options.connection, &std::cerr, options.timeout);

  const std::unique_ptr<CQVXDeviceType> type = link.GetDeviceType();
  if (options.json) {
    nlohmann::ordered_json info;
    info["address"] = options.connection.Endpoint();
    info["name"] = Trimmed(link.GetInfo1());
    info["information"] = Trimmed(link.GetInfo2());
    info["information3"] = Trimmed(link.GetInfo3());
    info["firmware"] = Trimmed(link.GetFirmware());
    info["part_number"] = Trimmed(link.GetPartNumber());
    info["memory"] = Trimmed(link.GetMemoryText());
    if (type) {
      info["device_type"] = {{"name", type->GetName()},
                             {"learner", LearnKindText(type->GetLearnKind())},
                             {"first_port", type->GetFirstPort()},
                             {"last_port", type->GetLastPort()}};
    } else {
      info["device_type"] = nullptr;
    }
    info["running_events"] = link.GetRunningEventCount();
    link.WithFileList([&](const CQVXFileList& files) { info["files"] = DeviceFilesJson(files); });
    PrintJson(info);
  } else {
    std::cout << "Name: " << Trimmed(link.GetInfo1()) << "\n";
    std::cout << "Information: " << Trimmed(link.GetInfo2()) << "\n";
    std::cout << "Information 3: " << Trimmed(link.GetInfo3()) << "\n";
    std::cout << "Firmware: " << Trimmed(link.GetFirmware()) << "\n";
    std::cout << "Part number: " << Trimmed(link.GetPartNumber()) << "\n";
    std::cout << "Memory: " << Trimmed(link.GetMemoryText()) << "\n";
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
      PrintDeviceFiles(files, "  ");
    });
  }
  std::cout.flush();
  link.Disconnect();
  PumpLink(link, &std::cerr, 5000, [&] { return !link.IsRunning() && link.GetState() == CQVX::kDisconnected; });
}

void RegisterDeviceInfo(CLI::App& app) {
  CLI::App& device = Group(app, "device", "Talk to a learning device or control processor");
  auto options = std::make_shared<InfoOptions>();
  auto* cmd = device.add_subcommand(
      "info", "Connect (states and events on stderr as they happen), then print the device information, type and files");
  options->connection.AddTo(cmd);
  cmd->add_option("--settings", options->settings, "Settings file to read the time-outs and device table from");
  cmd->add_option("--timeout", options->timeout, "Milliseconds to wait for the device to be identified (default 30000)");
  AddJsonFlag(cmd, options->json,
              "{\"address\",\"name\",\"information\",\"information3\",\"firmware\",\"part_number\",\"memory\","
              "\"device_type\":{\"name\",\"learner\",\"first_port\",\"last_port\"},\"running_events\",\"files\":[{\"name\","
              "\"size\",\"date\":\"YYYY-MM-DDTHH:MM:SS\",\"driver\"}]}");
  cmd->callback([options] { RunInfo(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(device_info, quillon::cli::RegisterDeviceInfo);
