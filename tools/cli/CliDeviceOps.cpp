// Device operations of quillon-cli:
//   device files                                   the device's file list
//   device upload FILE.vir [--number N | --name NAME | --local] [--replace] [--progress]
//   device download NAME OUT.vir [--force] [--progress]
//   device delete NAME...
//   device play --file NAME --function INDEX --port P [--repeat]
//   device stop --port P
//   device events stop|start
// each with the connection options (--ip / --com, --pwd).
#include <algorithm>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEvent.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"
#include "deviceops/CPlayback.h"
#include "deviceops/CQVXDeviceQueue.h"
#include "deviceops/CRunningEvents.h"
#include "deviceops/CTransfers.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

template <class T>
std::shared_ptr<T> Make(T value = T()) {
  return std::make_shared<T>(std::move(value));
}

// Queued command texts go out at the worker's next full update, which the
// file-list request brings forward; the refreshed list then shows the result.
void SendQueued(CliDeviceSession& session) { session.RefreshFileList(); }

void Files(const DeviceSessionOptions& options, bool json) {
  CliDeviceSession session(options);
  session.Link().WithFileList([&](const CQVXFileList& files) {
    if (json)
      PrintJson(DeviceFilesJson(files));
    else
      PrintDeviceFiles(files, "");
  });
}

// The device's file named NAME (exactly), or CliError naming the device.
void RequireOnDevice(CliDeviceSession& session, const DeviceSessionOptions& options, const std::string& stored,
                     const std::string& typed) {
  bool found = false;
  session.Link().WithFileList([&](const CQVXFileList& list) { found = list.Find(stored, true) >= 0; });
  if (!found) throw CliError(options.connection.Endpoint() + ": " + typed + " is not on the device");
}

// An IR port the connected device has (its type's port range), or CliError.
void RequirePort(CliDeviceSession& session, const DeviceSessionOptions& options, int port) {
  const auto type = session.Link().GetDeviceType();
  if (type && type->HasPorts() && (port < type->GetFirstPort() || port > type->GetLastPort())) {
    throw CliError(options.connection.Endpoint() + ": the device has no IR port " + std::to_string(port) + " (ports " +
                   std::to_string(type->GetFirstPort()) + "-" + std::to_string(type->GetLastPort()) + ")");
  }
}

struct UploadOptions {
  std::string file;
  std::string number;  // 0..99, checked (a value out of range is not clamped)
  std::string name;
  bool local = false;
  bool replace = false;
  bool progress = false;
};

// The upload dialogs answered from the command line.
class CliUploadUi : public IUploadUi {
 public:
  CliUploadUi(const UploadOptions& options, CliDeviceSession& session, CTransfers& transfers)
      : m_options(options), m_session(session), m_transfers(transfers) {}

  bool ChooseName(CUploadNameChoice& choice) override {
    if (!m_options.number.empty()) {
      choice.SetChoice(CUploadNameChoice::kNumber);
      choice.SetNumber(static_cast<int>(ParseNumber(m_options.number, "--number", 0, 99)));
    } else if (m_options.local || !m_options.name.empty()) {
      if (!choice.SetChoice(CUploadNameChoice::kLocalName)) throw CliError(m_options.file + ": the driver has no local file name");
    } else if (!choice.IsChoiceEnabled(CUploadNameChoice::kAutoNumber)) {
      throw CliError(m_session.Endpoint() + ": every numeric name 0.vir ... 99.vir is taken on the device; use --number or --local");
    }
    return true;
  }

  bool ConfirmReplace(const std::string& name, const std::string&, const std::string&) override {
    if (m_options.replace) return true;
    std::string date;
    m_session.Link().WithFileList([&](const CQVXFileList& list) {
      const int at = list.Find(name, false);
      if (at >= 0) date = ", " + DeviceFileDate(*list.GetAt(static_cast<size_t>(at)));
    });
    throw CliError(m_session.Endpoint() + ": " + Cp1252ToUtf8(name) + " exists on the device (" +
                   SizeTextOf(name) + date + "); use --replace to overwrite it");
  }

  // The size of the device's file NAME, for people.
  std::string SizeTextOf(const std::string& name) {
    std::string text;
    m_session.Link().WithFileList([&](const CQVXFileList& list) {
      const int at = list.Find(name, false);
      if (at >= 0) text = SizeText(static_cast<std::uint64_t>(std::max(0, list.GetAt(static_cast<size_t>(at))->GetSize())));
    });
    return text;
  }

  void ShowProgress(CProgressAlert& alert) override {
    std::cerr << Cp1252ToUtf8(alert.GetText()) << "\n";
    bool failed = false;
    Progress progress(m_options.progress);
    const std::string label = "Uploading " + Cp1252ToUtf8(alert.GetFileName());
    m_session.WaitFor(
        "the upload",
        [&] {
          int64_t done = 0, total = 0;
          m_session.Link().GetTransferProgress(&done, &total);
          if (total > 0) progress.Show(label, done, total, "bytes");
          return alert.IsFinished();
        },
        [&](const CQVXEvent& event) {
          if (event.GetType() == 20 || event.GetType() == 21) failed = true;
          m_transfers.HandleEvent(event, nullptr, nullptr);
        });
    progress.Finish();
    if (failed) throw CliError(m_session.Endpoint() + ": " + Cp1252ToUtf8(alert.GetShownText()));
    std::cerr << Cp1252ToUtf8(alert.GetShownText()) << "\n";
  }

 private:
  const UploadOptions& m_options;
  CliDeviceSession& m_session;
  CTransfers& m_transfers;
};

void Upload(const DeviceSessionOptions& options, const UploadOptions& upload) {
  if (!upload.number.empty()) ParseNumber(upload.number, "--number", 0, 99);
  CliYesPrompt prompt(false);
  CDriverDoc doc(prompt, CliCommandLibrary());
  if (!doc.OnOpenDocument(upload.file) || doc.LoadFailed()) throw CliError(doc.GetLastError());
  if (doc.GetDriver().GetFunctionCount() < 1) throw CliError(upload.file + ": the driver holds no functions");
  if (upload.local && upload.file == "-") throw UsageError("--local needs a driver file with a name, not -");
  std::string localName;
  if (!upload.name.empty()) {
    const auto stored = Utf8ToCp1252(upload.name);
    if (!stored || stored->empty()) throw UsageError("--name must be a Windows-1252 text");
    localName = *stored;
  }
  CliDeviceSession session(options);
  CTransfers transfers(session.Link(), prompt);
  CliUploadUi ui(upload, session, transfers);
  const std::string target = transfers.Upload(doc, ui, localName);
  if (target.empty()) throw CliError(upload.file + ": the driver could not be prepared for upload");
  std::cout << Cp1252ToUtf8(target) << "\n";
}

// Fetches the device file NAME (a driver) and returns its bytes.
std::vector<uint8_t> Fetch(CliDeviceSession& session, const DeviceSessionOptions& options, const std::string& stored,
                           const std::string& typed, bool showProgress) {
  RequireOnDevice(session, options, stored, typed);
  CliYesPrompt prompt(false);
  CTransfers transfers(session.Link(), prompt);
  if (transfers.Download({stored}) != 1) throw CliError(session.Endpoint() + ": " + typed + " is not a driver file");
  std::vector<uint8_t> bytes;
  bool done = false;
  std::string failure;
  Progress progress(showProgress);
  session.WaitFor(
      "the download",
      [&] {
        int64_t got = 0, total = 0;
        session.Link().GetTransferProgress(&got, &total);
        if (total > 0 && !done) progress.Show("Downloading " + typed, got, total, "bytes");
        return done || !failure.empty();
      },
      [&](const CQVXEvent& event) {
        if (event.GetType() == 23 || event.GetType() == 24) failure = session.Endpoint() + ": the device could not send " + typed;
        transfers.HandleEvent(event, nullptr, [&](const CQVXDownloadable& item) {
          bytes = item.GetData();
          done = true;
        });
      });
  progress.Finish();
  if (!failure.empty()) throw CliError(failure);
  return bytes;
}

void Download(const DeviceSessionOptions& options, const std::string& name, const std::string& out, bool force,
              bool showProgress) {
  const auto stored = Utf8ToCp1252(name);
  if (!stored) throw UsageError("NAME must be a Windows-1252 text");
  CheckOutput(out, force);
  CliDeviceSession session(options);
  const std::vector<uint8_t> bytes = Fetch(session, options, *stored, name, showProgress);
  TQVXIr driver;
  try {
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
  } catch (const TQVXIrException& e) {
    throw CliError(session.Endpoint() + ": " + name + " is not a readable driver (" + e.what() + ")");
  }
  WriteFileBytes(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::cerr << name << ": " << SizeText(bytes.size()) << ", " << driver.GetFunctionCount() << " functions\n";
}

void Delete(const DeviceSessionOptions& options, const std::vector<std::string>& names) {
  CliYesPrompt prompt(false);
  std::vector<std::string> stored;
  for (const std::string& name : names) {
    const auto text = Utf8ToCp1252(name);
    if (!text) throw UsageError("names must be Windows-1252 texts");
    stored.push_back(*text);
  }
  CliDeviceSession session(options);
  // Nothing is deleted unless every name is there.
  for (std::size_t i = 0; i < stored.size(); ++i) RequireOnDevice(session, options, stored[i], names[i]);
  CTransfers transfers(session.Link(), prompt);
  transfers.Delete(stored, nullptr);
  SendQueued(session);
  int left = 0;
  session.Link().WithFileList([&](const CQVXFileList& list) {
    for (const std::string& name : stored) {
      if (list.Find(name, true) >= 0) {
        std::cerr << "quillon-cli: " << session.Endpoint() << ": " << Cp1252ToUtf8(name) << " is still on the device\n";
        ++left;
      }
    }
  });
  if (left > 0) throw CliError(session.Endpoint() + ": " + std::to_string(left) + " file(s) could not be deleted");
}

PlaybackDeviceInfo DeviceInfo(CQVX& link) {
  PlaybackDeviceInfo info;
  if (const auto type = link.GetDeviceType()) {
    info.partNumber = type->GetPartNumber();
    info.learnTypeQvx = type->IsQVXLearner();
    info.firstSIPort = type->GetFirstSharedPort();
    info.lastSIPort = type->GetLastSharedPort();
  }
  return info;
}

void Play(const DeviceSessionOptions& options, const std::string& file, int function, int port, bool repeat) {
  if (CPlayback::FileNumber(file) < 0) throw UsageError("--file must name a numbered driver file such as 12.vir");
  if (port <= 0) throw UsageError("--port must be 1 or more");
  if (function < 0) throw UsageError("--function must be 0 or more");
  CliDeviceSession session(options);
  RequirePort(session, options, port);
  // The driver is read from the device as the device bar reads it, so a
  // function that is not there is refused instead of played as nothing.
  const std::vector<uint8_t> bytes = Fetch(session, options, file, file, false);
  TQVXIr driver;
  try {
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
  } catch (const TQVXIrException& e) {
    throw CliError(session.Endpoint() + ": " + file + " is not a readable driver (" + e.what() + ")");
  }
  if (function >= driver.GetFunctionCount() || driver.GetFunction(function)->GetSubFunctionCount() == 0) {
    throw CliError(session.Endpoint() + ": " + file + " has no function with a signal at position " +
                   std::to_string(function) + " (it holds " + std::to_string(driver.GetFunctionCount()) + " functions)");
  }
  CQVXDeviceQueue queue(session.Link());
  CPlayback playback(queue);
  playback.Play(port, file, function, repeat, DeviceInfo(session.Link()));
  SendQueued(session);
}

void Stop(const DeviceSessionOptions& options, int port) {
  if (port <= 0) throw UsageError("--port must be 1 or more");
  CliDeviceSession session(options);
  RequirePort(session, options, port);
  session.Link().QueueCommand("\x1b" + std::to_string(port) + "IR\r");
  SendQueued(session);
}

void Events(const DeviceSessionOptions& options, const std::string& action) {
  CliDeviceSession session(options);
  session.Link().QueueCommand(action == "stop" ? CRunningEvents::StopCommand() : CRunningEvents::StartCommand());
  SendQueued(session);
  std::cout << "running events: " << session.Link().GetRunningEventCount() << "\n";
}

void RegisterDeviceOps(CLI::App& app) {
  CLI::App& device = Group(app, "device", "Talk to a learning device or control processor");
  {
    auto* cmd = device.add_subcommand("files", "List the files stored on the device");
    auto options = Make<DeviceSessionOptions>();
    auto json = Make<bool>(false);
    options->AddTo(cmd);
    AddJsonFlag(cmd, *json, "[{\"name\",\"size\",\"date\":\"YYYY-MM-DDTHH:MM:SS\",\"driver\"}]");
    cmd->callback([=] { Files(*options, *json); });
  }
  {
    auto* cmd = device.add_subcommand("upload", "Upload a driver; prints the name it was stored under");
    auto options = Make<DeviceSessionOptions>();
    auto upload = Make<UploadOptions>();
    options->AddTo(cmd);
    cmd->add_option("FILE", upload->file, "Driver file (.vir); - reads standard input")->required();
    auto* number = cmd->add_option("--number", upload->number, "Store as N.vir (0..99)");
    auto* name = cmd->add_option("--name", upload->name, "Store under this name (functions may not be playable)");
    auto* local = cmd->add_flag("--local", upload->local, "Store under the driver's own file name");
    number->excludes(name)->excludes(local);
    name->excludes(local);
    cmd->add_flag("--replace", upload->replace, "Overwrite a file of the same name");
    AddProgressFlag(cmd, upload->progress);
    cmd->callback([=] { Upload(*options, *upload); });
  }
  {
    auto* cmd = device.add_subcommand("download", "Download a driver file from the device");
    auto options = Make<DeviceSessionOptions>();
    auto name = Make<std::string>();
    auto out = Make<std::string>();
    auto force = Make<bool>(false);
    auto progress = Make<bool>(false);
    options->AddTo(cmd);
    cmd->add_option("NAME", *name, "File name on the device")->required();
    cmd->add_option("OUT", *out, "Driver file to write; - writes standard output")->required();
    AddForceFlag(cmd, *force);
    AddProgressFlag(cmd, *progress);
    cmd->callback([=] { Download(*options, *name, *out, *force, *progress); });
  }
  {
    auto* cmd = device.add_subcommand("delete", "Delete files on the device");
    auto options = Make<DeviceSessionOptions>();
    auto names = Make<std::vector<std::string>>();
    options->AddTo(cmd);
    cmd->add_option("NAMES", *names, "File names on the device")->required();
    cmd->callback([=] { Delete(*options, *names); });
  }
  {
    auto* cmd = device.add_subcommand("play", "Play a function of a driver stored on the device");
    auto options = Make<DeviceSessionOptions>();
    auto file = Make<std::string>();
    auto function = Make<int>(-1);
    auto port = Make<int>(0);
    auto repeat = Make<bool>(false);
    options->AddTo(cmd);
    cmd->add_option("--file", *file, "Driver file on the device (N.vir)")->required();
    cmd->add_option("--function", *function, "Position of the function in the driver, counting from 0")->required();
    cmd->add_option("--port", *port, "IR port of the device (its type's port range)")->required();
    cmd->add_flag("--repeat", *repeat, "Play continuously until `device stop`");
    cmd->callback([=] { Play(*options, *file, *function, *port, *repeat); });
  }
  {
    auto* cmd = device.add_subcommand("stop", "Stop a continuous playback on a port");
    auto options = Make<DeviceSessionOptions>();
    auto port = Make<int>(0);
    options->AddTo(cmd);
    cmd->add_option("--port", *port, "IR port of the playback")->required();
    cmd->callback([=] { Stop(*options, *port); });
  }
  {
    auto* cmd = device.add_subcommand("events", "Stop or start the events running on the device");
    auto options = Make<DeviceSessionOptions>();
    auto action = Make<std::string>();
    options->AddTo(cmd);
    cmd->add_option("ACTION", *action, "stop or start")->required()->check(CLI::IsMember({"stop", "start"}));
    cmd->callback([=] { Events(*options, *action); });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(device_ops, quillon::cli::RegisterDeviceOps);
