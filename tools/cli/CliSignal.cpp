// "signal": protocol recognition of a driver's functions, conversion between
// drivers and the IR interchange formats, and a function's signal.
//
//   signal decode DRIVER.vir [--function NAME] [--json]
//   signal convert IN OUT [--from F] [--to F] [--type T] [--kind qvx|halvar]
//                  [--raw] [--force] [--lenient]
//   signal render DRIVER.vir --function NAME [--json]
//
// Formats: vir (.vir), ir (.ir), pronto (.pronto, .txt), lirc (.conf),
// raw (.raw); "-" reads standard input or writes standard output and then
// needs --from or --to.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "capture/TIrCaptureSettings.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "platform/Cp1252.h"
#include "platform/SafeFile.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrFileFormat.h"
#include "signals/TIrInterchange.h"
#include "signals/TIrRawTextFile.h"
#include "signals/TIrSignalRender.h"
#include "signals/TIrTextReader.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

using Json = nlohmann::ordered_json;

// The largest input read: drivers are far smaller, text formats are bounded
// by their reader.
constexpr std::size_t kMaxInput = TIrTextReader::kMaxTextSize;

std::string ReadInput(const std::string& path) {
  try {
    const std::vector<std::uint8_t> bytes = ReadFileSafely(path, kMaxInput);
    return std::string(bytes.begin(), bytes.end());
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  }
}

std::string Label(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::unique_ptr<TQVXIr> LoadDriver(const std::string& path) {
  const std::string bytes = ReadInput(path);
  auto ir = std::make_unique<TQVXIr>();
  TQVXIrLoadBuffer in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  try {
    ir->Load(in);
  } catch (const TQVXIrException& e) {
    throw CliError(Label(path) + ": " + e.what() + " (code " + std::to_string(e.GetCode()) + ")");
  }
  return ir;
}

const TQVXIrFunction& FindFunction(const TQVXIr& driver, const std::string& path, const std::string& name) {
  const std::string stored = Utf8ToCp1252(name).value_or(name);
  const TQVXIrFunction* function = driver.FindFunction(stored);
  if (!function) throw CliError(Label(path) + ": no function named '" + name + "'");
  if (function->IsEmpty()) throw CliError(Label(path) + ": function '" + name + "' has no IR data");
  return *function;
}

std::string Name(const TQVXIrFunction& f) { return Cp1252ToUtf8(f.GetName() ? f.GetName() : ""); }

TIrFormat FormatOf(const std::string& given, const std::string& path, const char* option) {
  if (!given.empty()) {
    const auto format = TIrFileFormat::FromName(given);
    if (!format) throw UsageError(std::string(option) + " must be vir, ir, pronto, lirc or raw, not '" + given + "'");
    return *format;
  }
  const auto format = TIrFileFormat::FromPath(path);
  if (!format) {
    throw UsageError("cannot tell the format of '" + path + "' from its name; give " + option +
                     " (vir, ir, pronto, lirc or raw)");
  }
  return *format;
}

void Write(const std::string& path, const std::string& bytes) { WriteFileBytes(path, bytes); }

// The document's questions have no one to answer them here; its messages
// become the error text.
class QuietPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    last = text;
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::string last;
};

// --- decode ------------------------------------------------------------------

void Decode(const std::string& file, const std::string& function, bool json) {
  const auto driver = LoadDriver(file);
  std::vector<const TQVXIrFunction*> functions;
  if (!function.empty()) {
    functions.push_back(&FindFunction(*driver, file, function));
  } else {
    for (int i = 0; i < driver->GetFunctionCount(); ++i) {
      const TQVXIrFunction* f = driver->GetFunction(i);
      if (!TQVXIrFunction::IsEmpty(f)) functions.push_back(f);
    }
  }
  Json out = Json::array();
  for (const TQVXIrFunction* f : functions) {
    const TIrCode code = TIrDecoder::DecodeFunction(*f);
    if (json) {
      Json row;
      row["function"] = Name(*f);
      row["protocol"] = code.protocol;
      row["address"] = code.Known() ? Json(code.address) : Json(nullptr);
      row["command"] = code.Known() ? Json(code.command) : Json(nullptr);
      out.push_back(row);
    } else if (code.Known()) {
      std::cout << Name(*f) << ": " << code.protocol << " address " << code.address << " command " << code.command
                << "\n";
    } else {
      std::cout << Name(*f) << ": " << TIrCode::kUnknown << "\n";
    }
  }
  if (json) std::cout << out.dump() << "\n";
}

// --- convert -----------------------------------------------------------------

struct ConvertOptions {
  std::string in, out, from, to, type, kind = "qvx";
  bool raw = false, force = false, lenient = false;
};

std::string RemoteName(const TQVXIr* driver, const std::string& in) {
  if (driver) {
    const char* model = driver->GetHeader().GetText(TQVXIrHeaderEntry::kDeviceModel);
    const char* maker = driver->GetHeader().GetText(TQVXIrHeaderEntry::kDeviceManufacturer);
    std::string name = Cp1252ToUtf8(maker ? maker : "");
    if (model && *model) name += (name.empty() ? "" : "_") + Cp1252ToUtf8(model);
    if (!name.empty()) return name;
  }
  std::string base = in.substr(in.find_last_of('/') + 1);
  base = base.substr(0, base.find_last_of('.'));
  return base.empty() || base == "-" ? "quillon" : base;
}

void Convert(const ConvertOptions& o) {
  const TIrFormat from = FormatOf(o.from, o.in, "--from");
  const TIrFormat to = FormatOf(o.to, o.out, "--to");
  if (!o.type.empty() && to != TIrFormat::Driver) throw UsageError("--type applies only to a driver written (.vir)");
  if (o.kind != "qvx" && o.kind != "halvar") throw UsageError("--kind must be qvx or halvar, not '" + o.kind + "'");
  if (o.raw && to != TIrFormat::Signals) throw UsageError("--raw applies only to an .ir file written");
  CheckOutput(o.out, o.force);
  const TIrCaptureKind kind = o.kind == "qvx" ? TIrCaptureKind::QVX : TIrCaptureKind::Halvar;
  const TIrExporter::Options exportOptions{!o.raw};
  TIrInterchange::Outcome outcome;
  auto report = [&outcome] {
    for (const std::string& w : outcome.warnings) std::cerr << w << "\n";
    for (const std::string& n : outcome.notes) std::cerr << n << "\n";
  };
  auto exportText = [&](const TQVXIr& driver, TIrFormat format, const std::string& remote,
                        const TIrExporter::Options& options) {
    try {
      return TIrInterchange::ExportText(driver, format, remote, options, outcome);
    } catch (const std::invalid_argument& e) {
      report();
      throw CliError(Label(o.in) + ": " + e.what());
    }
  };

  std::string bytes;
  if (from == TIrFormat::Driver && to != TIrFormat::Driver) {
    const auto driver = LoadDriver(o.in);
    bytes = exportText(*driver, to, RemoteName(driver.get(), o.in), exportOptions);
  } else {
    // A text file is read into a new driver document; a driver read as the
    // source of another driver is exported and learned again.
    std::string text;
    TIrFormat textFormat = from;
    if (from == TIrFormat::Driver) {
      text = exportText(*LoadDriver(o.in), TIrFormat::Raw, "", TIrExporter::Options{false});
      textFormat = TIrFormat::Raw;
    } else {
      text = ReadInput(o.in);
    }
    QuietPrompt prompt;
    CDriverDoc doc(prompt, CliCommandLibrary());
    doc.OnNewDocument();
    if (!o.type.empty()) {
      const auto stored = Utf8ToCp1252(o.type);
      if (!stored) throw UsageError("--type '" + o.type + "' cannot be stored as Windows-1252 text");
      doc.ChooseDeviceType(*stored);
      CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
      fields.deviceType = *stored;
      doc.ApplyHeaderEdits(fields);
    }
    TIrInterchange::Outcome imported;
    try {
      imported = TIrInterchange::ImportText(doc, textFormat, text, Label(o.in), kind);
    } catch (const TIrFormatError& e) {
      throw CliError(e.what());
    }
    outcome.warnings.insert(outcome.warnings.end(), imported.warnings.begin(), imported.warnings.end());
    outcome.notes.insert(outcome.notes.end(), imported.notes.begin(), imported.notes.end());
    if (imported.functions == 0) {
      report();
      throw CliError(Label(o.in) + ": no signal could be imported");
    }
    if (to == TIrFormat::Driver) {
      try {
        const std::vector<std::uint8_t> image = doc.PrepareSaveImage(o.out == "-" ? std::string() : o.out);
        bytes.assign(image.begin(), image.end());
      } catch (const TQVXIrException& e) {
        throw CliError(o.out + ": " + e.what() + " (code " + std::to_string(e.GetCode()) + ")");
      }
    } else {
      bytes = exportText(doc.GetDriver(), to, RemoteName(nullptr, o.in), exportOptions);
    }
  }
  report();
  Write(o.out, bytes);
  if (!outcome.warnings.empty() && !o.lenient) {
    throw CliError(Label(o.in) + ": " + std::to_string(outcome.warnings.size()) +
                   " signal(s) left out or changed (see above; --lenient accepts this)");
  }
}

// --- render ------------------------------------------------------------------

void Render(const std::string& file, const std::string& function, bool json) {
  const auto driver = LoadDriver(file);
  const TQVXIrFunction& f = FindFunction(*driver, file, function);
  const TIrSignal signal = TIrSignalRender::FromFunction(f);
  const std::vector<uint32_t> press = signal.Press();
  if (json) {
    Json out;
    out["function"] = Name(f);
    out["carrier_hz"] = signal.carrier_hz;
    out["durations_us"] = press;
    out["once"] = signal.once;
    out["repeat"] = signal.repeat;
    out["repeats"] = signal.repeats;
    std::cout << out.dump() << "\n";
    return;
  }
  std::vector<std::string> notes;
  std::cout << TIrRawTextFile::Write({TIrNamedSignal{Name(f), signal, std::nullopt, 0}}, notes);
}

void RegisterSignal(CLI::App& app) {
  CLI::App& group = Group(app, "signal", "Recognise IR protocols, convert to and from other IR formats");
  {
    auto* cmd = group.add_subcommand("decode", "Protocol, address and command of a driver's functions");
    auto file = std::make_shared<std::string>();
    auto function = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("DRIVER", *file, "Driver file (.vir, - for standard input)")->required();
    cmd->add_option("--function", *function, "Only this function");
    cmd->add_flag("--json", *json, "JSON output: [{\"function\",\"protocol\",\"address\",\"command\"}]");
    cmd->callback([=] { Decode(*file, *function, *json); });
  }
  {
    auto* cmd = group.add_subcommand(
        "convert", "Convert between drivers and IR interchange files (vir, ir, pronto, lirc, raw)");
    auto o = std::make_shared<ConvertOptions>();
    cmd->add_option("IN", o->in, "File to read (- for standard input)")->required();
    cmd->add_option("OUT", o->out, "File to write (- for standard output)")->required();
    cmd->add_option("--from", o->from, "Format of IN: vir, ir, pronto, lirc or raw (default: by extension)");
    cmd->add_option("--to", o->to, "Format of OUT: vir, ir, pronto, lirc or raw (default: by extension)");
    cmd->add_option("--type", o->type, "Device type of a driver written (\"TV\", \"DVD\", ...)");
    cmd->add_option("--kind", o->kind, "Learner the signals are learned as: qvx (default) or halvar");
    cmd->add_flag("--raw", o->raw, "Write durations to an .ir file even for recognised protocols");
    cmd->add_flag("--force", o->force, "Replace OUT when it exists");
    cmd->add_flag("--lenient", o->lenient, "Exit 0 even when signals were left out or changed");
    cmd->callback([=] { Convert(*o); });
  }
  {
    auto* cmd = group.add_subcommand("render", "The durations and carrier one press of a function sends");
    auto file = std::make_shared<std::string>();
    auto function = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("DRIVER", *file, "Driver file (.vir, - for standard input)")->required();
    cmd->add_option("--function", *function, "Function name")->required();
    cmd->add_flag("--json", *json, "JSON output");
    cmd->callback([=] { Render(*file, *function, *json); });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(signal, quillon::cli::RegisterSignal);
