// "device discover": asks the devices on the network (or one address) to
// identify themselves and lists those that answer within the time-out.
//
//   device discover [--target ADDR] [--timeout MS] [--all] [--ask-port N] [--answer-port N] [--json]
//
// One line per device: address, part number, firmware and name, separated by
// tabs. Only learning devices of the device table are listed unless --all is
// given; devices whose part number is not in the table are never listed.
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "app/CConfigFiles.h"
#include "app/CMemINI.h"
#include "app/CQuillonException.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CQVXIrFinder.h"
#include "platform/Cp1252.h"
#include "platform/UdpSocket.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

struct DiscoverOptions {
  std::string target;
  int timeout = 1000;
  bool all = false;
  int askPort = CQVXIrFinder::kDefaultAskPort;
  int answerPort = CQVXIrFinder::kDefaultAnswerPort;
  bool json = false;
};

std::string FinderError(const CQVXIrFinder& finder) {
  std::string context, text;
  const int code = finder.GetLastError(&context, &text);
  return context + (code ? " (" + std::to_string(code) + ": " + text + ")" : std::string());
}

void RunDiscover(const DiscoverOptions& o) {
  if (!o.target.empty() && !UdpSocket::ParseAddress(o.target, nullptr))
    throw UsageError("--target must be an IPv4 address such as 192.168.1.20, not '" + o.target + "'");
  // Answers arrive while the program waits: a line says so on a terminal.
  if (!o.json && ::isatty(STDERR_FILENO) == 1) std::cerr << "Waiting " << o.timeout << " ms for answers...\n";

  CheckSettingsReadable("");
  CMemINI ini;
  try {
    CConfigFiles::LoadSettingsIni(ini);
  } catch (const CQuillonException& e) {
    throw CliError("cannot load the device table: " + e.GetText());
  }
  CQVXDeviceTypeList& types = CQVXDeviceTypeList::Program();
  types.Load(ini);

  CQVXIrFinder finder(&types);
  finder.SetPorts(static_cast<uint16_t>(o.askPort), static_cast<uint16_t>(o.answerPort));
  if (!finder.Start()) {
    throw CliError("UDP port " + std::to_string(o.answerPort) + ": cannot listen for answers: " + FinderError(finder));
  }
  if (!finder.SendAsk(o.target)) {
    const std::string error = FinderError(finder);
    finder.Stop();
    throw CliError((o.target.empty() ? std::string("broadcast") : o.target) + ":" + std::to_string(o.askPort) +
                   ": the discovery ask cannot be sent" + (error.empty() ? std::string() : ": " + error));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(o.timeout));
  finder.Stop();

  std::vector<CQVXDatagram> records;
  finder.CopyRecords(records);
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  int listed = 0;
  for (const auto& r : records) {
    if (!o.all && !types.IsLearner(r.m_PartNumber)) continue;
    const std::string address = r.FormatAddress();
    if (o.json) {
      list.push_back({{"address", address},
                      {"part_number", Cp1252ToUtf8(r.m_PartNumber)},
                      {"firmware", Cp1252ToUtf8(r.m_Firmware)},
                      {"name", Cp1252ToUtf8(r.m_Name)},
                      {"learner", types.IsLearner(r.m_PartNumber)}});
    } else {
      if (listed == 0) std::cout << "ADDRESS\tPART NUMBER\tFIRMWARE\tNAME\n";
      std::cout << address << '\t' << Cp1252ToUtf8(r.m_PartNumber) << '\t' << Cp1252ToUtf8(r.m_Firmware) << '\t'
                << Cp1252ToUtf8(r.m_Name) << '\n';
    }
    ++listed;
  }
  if (o.json) {
    std::cout << list.dump(2) << '\n';
  } else if (listed == 0) {
    std::cout << "No " << (o.all ? "device" : "learning device") << " answered within " << o.timeout << " ms.\n";
  }
}

void RegisterDiscover(CLI::App& app) {
  CLI::App& device = Group(app, "device", "Talk to a learning device or control processor");
  auto options = std::make_shared<DiscoverOptions>();
  auto* cmd = device.add_subcommand(
      "discover", "List the devices that answer a discovery ask (learners only unless --all)");
  cmd->add_option("--target", options->target, "Ask this IPv4 address instead of broadcasting");
  cmd->add_option("--timeout", options->timeout, "Milliseconds to wait for answers (default 1000)")
      ->check(CLI::Range(0, 600000));
  cmd->add_flag("--all", options->all, "Also list known devices that cannot learn IR");
  cmd->add_option("--ask-port", options->askPort, "UDP port asks are sent to (default 1231)")
      ->check(CLI::Range(1, 65535));
  cmd->add_option("--answer-port", options->answerPort, "UDP port answers are received on (default 1230)")
      ->check(CLI::Range(0, 65535));
  AddJsonFlag(cmd, options->json, "[{\"address\",\"part_number\",\"firmware\",\"name\",\"learner\"}]");
  cmd->callback([options] { RunDiscover(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(discover, quillon::cli::RegisterDiscover);
