// "capture": analyse raw captures of both learner kinds, verify a capture
// against a driver's function, show a function's playback timeline and build
// realistic captures of common protocols.
//
//   capture analyse --kind qvx|halvar FILE [--settings FILE] [--repeats N] [--brief] [--json]
//                   [--analysis specified|enhanced]
//   capture verify --kind qvx|halvar FILE --driver FILE.vir --function NAME [--settings FILE]
//                  [--analysis specified|enhanced]
//   capture render FILE.vir --function NAME [--json]
//   capture synth --protocol P --kind qvx|halvar OUT [--address N] [--command N]
//                 [--frames N] [--seed N] [--jitter F] [--timeline FILE.json]
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrCaptureStatus.h"
#include "capture/TIrRender.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

constexpr const char* kAnalysisHelp =
    "Analysis: specified or enhanced (default: the settings file's analysis=, else specified)";

TIrCaptureKind ParseKind(const std::string& text) {
  if (text == "qvx") return TIrCaptureKind::QVX;
  if (text == "halvar") return TIrCaptureKind::Halvar;
  throw UsageError("--kind must be qvx or halvar, not '" + text + "'");
}

// --analysis: the analysis to run instead of the one the settings choose.
std::optional<TIrAnalysisMethod> ParseAnalysis(const std::string& text) {
  if (text.empty()) return std::nullopt;
  if (const auto method = TIrCaptureSettings::ParseAnalysis(text)) return method;
  throw UsageError("--analysis must be specified or enhanced, not '" + text + "'");
}

TIrCaptureSettings LoadSettings(TIrCaptureKind kind, const std::string& path) {
  TIrCaptureSettings settings = TIrCaptureSettings::Defaults(kind);
  if (path.empty()) return settings;
  CheckReadable(path);
  CMemINI ini;
  if (!ini.LoadFile(path)) throw CliError(path + ": cannot be read");
  settings.ReadOverrides(ini, kind);
  return settings;
}

struct Analysis {
  TIrCaptureResult result;
  int32_t code = 0;
};

std::unique_ptr<Analysis> AnalyseFile(TIrCaptureKind kind, const std::string& file,
                                      const std::string& settingsPath, int repeats, bool brief,
                                      const std::string& method) {
  const std::string bytes = ReadFileBytes(file);
  if (bytes.size() > 0x7FFFFFFF) throw CliError(file + ": capture too large");
  if (bytes.empty()) throw CliError((file == "-" ? std::string("standard input") : file) + ": the capture is empty");
  auto analysis = std::make_unique<Analysis>();
  analysis->result.min_repeats = std::clamp(repeats, 0, 15);
  TIrCaptureSettings settings = LoadSettings(kind, settingsPath);
  settings.analysis = ParseAnalysis(method).value_or(settings.analysis);
  analysis->code = TIrCaptureAnalysis::Analyse(kind, settings, brief,
                                               reinterpret_cast<const uint8_t*>(bytes.data()),
                                               static_cast<int32_t>(bytes.size()), analysis->result);
  return analysis;
}

int CarrierHz(uint16_t divider) { return divider ? 66000000 / divider : 0; }

std::string HexByte(uint8_t b) {
  static const char* digits = "0123456789ABCDEF";
  return std::string{digits[b >> 4], digits[b & 15]};
}

void PrintAnalysis(const Analysis& a, bool json) {
  const TIrCaptureResult& r = a.result;
  const std::string status = TIrCaptureStatus::Compose(r, false, nullptr).text;
  const bool ok = a.code == 0;
  if (json) {
    nlohmann::ordered_json j;
    j["result"] = a.code;
    j["status"] = status;
    j["divider"] = r.divider;
    j["carrier_hz"] = CarrierHz(r.divider);
    j["modulated"] = r.modulated;
    j["repeat_count"] = r.min_repeats;
    j["times"] = nlohmann::json::array();
    j["header_selectors"] = nlohmann::json::array();
    j["body_selectors"] = nlohmann::json::array();
    if (ok) {
      for (int i = 0; i < r.time_count; ++i) j["times"].push_back(r.times[static_cast<size_t>(i)]);
      for (int i = 0; i < r.header_count; ++i) {
        j["header_selectors"].push_back(r.header_selectors[static_cast<size_t>(i)]);
      }
      for (int i = 0; i < r.body_count; ++i) {
        j["body_selectors"].push_back(r.body_selectors[static_cast<size_t>(i)]);
      }
    }
    std::cout << j.dump() << "\n";
    return;
  }
  std::cout << "result: " << a.code << "\n" << "status: " << status << "\n";
  std::cout << "divider: " << r.divider << " (" << CarrierHz(r.divider) << " Hz)\n";
  std::cout << "modulated: " << (r.modulated ? "yes" : "no") << "\n";
  std::cout << "repeat_count: " << r.min_repeats << "\n";
  if (!ok) return;
  std::cout << "times:";
  for (int i = 0; i < r.time_count; ++i) std::cout << " " << r.times[static_cast<size_t>(i)];
  std::cout << "\nheader:";
  for (int i = 0; i < r.header_count; ++i) std::cout << " " << HexByte(r.header_selectors[static_cast<size_t>(i)]);
  std::cout << "\nbody:";
  for (int i = 0; i < r.body_count; ++i) std::cout << " " << HexByte(r.body_selectors[static_cast<size_t>(i)]);
  std::cout << "\n";
}

std::unique_ptr<TQVXIr> LoadDriver(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);  // a readable file, or a clear message naming it
  try {
    auto driver = std::make_unique<TQVXIr>();
    TQVXIrLoadBuffer stream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    driver->Load(stream);
    return driver;
  } catch (const TQVXIrException& e) {
    throw CliError(path + ": " + e.what());
  }
}

TQVXIrFunction& FindFunction(const TQVXIr& driver, const std::string& path, const std::string& name) {
  const std::string stored = Utf8ToCp1252(name).value_or(name);
  TQVXIrFunction* function = driver.FindFunction(stored);
  if (!function) throw CliError(path + ": no function named '" + name + "'");
  return *function;
}

void RegisterCapture(CLI::App& app) {
  CLI::App& group = Group(app, "capture", "Analyse, verify, render and synthesise IR captures");

  {
    auto* cmd = group.add_subcommand("analyse", "Analyse a raw capture into an IR function");
    auto kind = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto settings = std::make_shared<std::string>();
    auto repeats = std::make_shared<int>(4);
    auto brief = std::make_shared<bool>(false);
    auto json = std::make_shared<bool>(false);
    auto lenient = std::make_shared<bool>(false);
    auto method = std::make_shared<std::string>();
    cmd->add_option("--kind", *kind, "Learner kind: qvx or halvar")->required();
    cmd->add_option("FILE", *file, "Raw capture file; - reads standard input")->required();
    cmd->add_option("--settings", *settings, "Settings file with capture-setting overrides");
    cmd->add_option("--repeats", *repeats, "Minimum repeat count stored (0-15, default 4)")->check(CLI::Range(0, 15));
    cmd->add_flag("--brief", *brief, "Brief analysis (one merge pass for QVX captures)");
    AddJsonFlag(cmd, *json,
                "{\"result\":0,\"status\":TEXT,\"divider\":N,\"carrier_hz\":N,\"modulated\":BOOL,"
                "\"repeat_count\":N,\"times\":[...],\"header_selectors\":[...],\"body_selectors\":[...]}");
    AddLenientFlag(cmd, *lenient);
    cmd->add_option("--analysis", *method, kAnalysisHelp);
    cmd->callback([=] {
      const auto analysis = AnalyseFile(ParseKind(*kind), *file, *settings, *repeats, *brief, *method);
      PrintAnalysis(*analysis, *json);
      // The result is printed either way; an unsuccessful analysis fails.
      if (analysis->code != 0 && !*lenient) {
        std::cout.flush();
        throw CliError((*file == "-" ? std::string("standard input") : *file) + ": analysis unsuccessful (result " +
                       std::to_string(analysis->code) + ": " +
                       TIrCaptureStatus::Compose(analysis->result, false, nullptr).text + ") (--lenient accepts this)");
      }
    });
  }
  {
    auto* cmd = group.add_subcommand("verify", "Verify a raw capture against a driver's function");
    auto kind = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto driver = std::make_shared<std::string>();
    auto function = std::make_shared<std::string>();
    auto settings = std::make_shared<std::string>();
    auto method = std::make_shared<std::string>();
    cmd->add_option("--kind", *kind, "Learner kind: qvx or halvar")->required();
    cmd->add_option("FILE", *file, "Raw capture file; - reads standard input")->required();
    cmd->add_option("--driver", *driver, "Driver file (.vir)")->required();
    cmd->add_option("--function", *function, "Function to verify against")->required();
    cmd->add_option("--settings", *settings, "Settings file with capture-setting overrides");
    cmd->add_option("--analysis", *method, kAnalysisHelp);
    cmd->callback([=] {
      const TIrCaptureKind k = ParseKind(*kind);
      const auto ir = LoadDriver(*driver);
      const TQVXIrFunction& fn = FindFunction(*ir, *driver, *function);
      const auto analysis = AnalyseFile(k, *file, *settings, 4, false, *method);
      const auto report = TIrCaptureStatus::Compose(analysis->result, true, &fn);
      if (report.animation != TIrCaptureStatus::kVerifySuccessful) {
        throw CliError((*file == "-" ? std::string("standard input") : *file) + ": " + report.text);
      }
      std::cout << report.text << "\n";
    });
  }
  {
    auto* cmd = group.add_subcommand("render", "Show a function's on/off timeline in microseconds");
    auto file = std::make_shared<std::string>();
    auto function = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("FILE", *file, "Driver file (.vir); - reads standard input")->required();
    cmd->add_option("--function", *function, "Function name")->required();
    cmd->add_flag("--json", *json, "JSON output");
    cmd->callback([=] {
      const auto ir = LoadDriver(*file);
      const TQVXIrFunction& fn = FindFunction(*ir, *file, *function);
      nlohmann::ordered_json j;
      j["function"] = Cp1252ToUtf8(fn.GetName() ? fn.GetName() : "");
      j["subfunctions"] = nlohmann::json::array();
      std::ostringstream text;
      for (int i = 0; i < fn.GetSubFunctionCount(); ++i) {
        const TQVXIrSubFunction* sub = fn.GetSubFunction(i);
        if (!sub) continue;
        const auto& sel = sub->GetSelectors();
        const int headerCount = std::min<int>(sub->GetHeaderCount(), static_cast<int>(sel.size()));
        const int bodyCount =
            std::min<int>(sub->GetBodyCount(), static_cast<int>(sel.size()) - headerCount);
        const auto durations = TIrRender::Microseconds(
            sub->GetDivider(), sub->GetTimes().data(), sub->GetTimeCount(), sel.data(), headerCount,
            sel.data() + headerCount, bodyCount, sub->GetRepeatCount());
        nlohmann::ordered_json s;
        s["carrier_hz"] = CarrierHz(sub->GetDivider());
        s["divider"] = sub->GetDivider();
        s["modulated"] = sub->IsModulated();
        s["repeat_count"] = sub->GetRepeatCount();
        s["durations_us"] = durations;
        j["subfunctions"].push_back(s);
        text << "subfunction " << i << ": " << CarrierHz(sub->GetDivider()) << " Hz, "
             << (sub->IsModulated() ? "modulated" : "unmodulated") << ", repeats "
             << sub->GetRepeatCount() << "\n";
        for (size_t k = 0; k < durations.size(); ++k) {
          text << (k % 2 == 0 ? "+" : "-") << durations[k] << (k + 1 < durations.size() ? " " : "\n");
        }
      }
      if (*json) {
        std::cout << j.dump() << "\n";
      } else {
        std::cout << text.str();
      }
    });
  }
  {
    auto* cmd = group.add_subcommand("synth", "Build a raw capture of a common remote protocol");
    auto protocol = std::make_shared<std::string>();
    auto kind = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto timelinePath = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    auto options = std::make_shared<IrSynth::Options>();
    std::string protocols;
    for (const auto& p : IrSynth::Protocols()) protocols += (protocols.empty() ? "" : "|") + p;
    cmd->add_option("--protocol", *protocol, protocols)->required();
    cmd->add_option("--kind", *kind, "Learner kind: qvx or halvar")->required();
    cmd->add_option("OUT", *out, "Output file; - writes standard output")->required();
    cmd->add_option("--address", options->address, "Device address");
    cmd->add_option("--command", options->command, "Command number");
    cmd->add_option("--frames", options->frames, "Frames of the held button (default 4)");
    cmd->add_option("--seed", options->seed, "Seed of the measurement noise");
    cmd->add_option("--jitter", options->jitter, "Largest relative duration error (default 0.02)");
    cmd->add_option("--timeline", *timelinePath, "Also write the ideal timeline as JSON");
    AddForceFlag(cmd, *force);
    cmd->callback([=] {
      const TIrCaptureKind k = ParseKind(*kind);
      if (!IrSynth::IsProtocol(*protocol)) {
        const std::string close = Suggest(*protocol, IrSynth::Protocols());
        throw UsageError("unknown protocol '" + *protocol + "'" + (close.empty() ? "" : "; did you mean '" + close + "'?"));
      }
      if (options->jitter < 0.0 || options->jitter > 0.5) throw UsageError("--jitter must be 0 to 0.5");
      CheckOutput(*out, *force);
      if (!timelinePath->empty()) CheckOutput(*timelinePath, *force);
      const TIrTimeline timeline = IrSynth::Make(*protocol, *options);
      const auto bytes = k == TIrCaptureKind::QVX ? IrSynth::ToQVX(timeline, *options)
                                                  : IrSynth::ToHalvar(timeline, *options);
      WriteFileBytes(*out, std::string(bytes.begin(), bytes.end()));
      if (!timelinePath->empty()) {
        nlohmann::ordered_json j;
        j["carrier_hz"] = timeline.carrier_hz;
        j["durations_us"] = timeline.durations_us;
        j["first_frame"] = timeline.first_frame;
        WriteFileBytes(*timelinePath, j.dump() + "\n");
      }
    });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(capture, quillon::cli::RegisterCapture);
