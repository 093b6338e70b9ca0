// "driver show" and "driver build": a .vir driver shown as text or JSON, and
// a driver written from the same JSON shape, so that show --json followed by
// build reproduces a file byte for byte.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string IrError(const TQVXIrException& e) {
  return std::string(e.what()) + " (code " + std::to_string(e.GetCode()) + ")";
}

std::string Shown(const std::string& path) { return path == "-" ? std::string("standard input") : path; }

void LoadDriver(TQVXIr& ir, const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  TQVXIrLoadBuffer in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  try {
    ir.Load(in);
  } catch (const TQVXIrException& e) {
    throw CliError(Shown(path) + ": " + IrError(e));
  }
  ir.SetFileName(path.c_str());
}

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 0x0F];
  }
  return out;
}

const char* TagName(int tag) {
  switch (tag) {
    case TQVXIrHeaderEntry::kDeviceManufacturer: return "device_manufacturer";
    case TQVXIrHeaderEntry::kDeviceModel: return "device_model";
    case TQVXIrHeaderEntry::kDeviceType: return "device_type";
    case TQVXIrHeaderEntry::kDriverVersion: return "driver_version";
    case TQVXIrHeaderEntry::kSavedTime: return "saved_time";
    case TQVXIrHeaderEntry::kComments: return "comments";
    case TQVXIrHeaderEntry::kFormatVersion: return "format_version";
    case TQVXIrHeaderEntry::kProgramVersion: return "program_version";
    case TQVXIrHeaderEntry::kFileName: return "file_name";
    case TQVXIrHeaderEntry::kFlags: return "flags";
    default: return "tag";
  }
}

Json SubFunctionJson(const TQVXIrSubFunction& sub) {
  const int headerCount = std::min<int>(sub.GetHeaderCount(), sub.GetSelectorCount());
  Json header = Json::array();
  Json body = Json::array();
  for (int i = 0; i < sub.GetSelectorCount(); ++i) (i < headerCount ? header : body).push_back(sub.GetSelector(i));
  return Json{{"flags", sub.GetFlags()},
              {"divider", sub.GetDivider()},
              {"granularity", sub.GetGranularity()},
              {"header_count", sub.GetHeaderCount()},
              {"body_count", sub.GetBodyCount()},
              {"repeat_count", sub.GetRepeatCount()},
              {"times", sub.GetTimes()},
              {"header_selectors", header},
              {"body_selectors", body}};
}

Json DriverJson(const TQVXIr& ir) {
  Json header = Json::array();
  const TQVXIrHeader& h = ir.GetHeader();
  for (int i = 0; i < h.GetEntryCount(); ++i) {
    const TQVXIrHeaderEntry* entry = h.GetEntry(i);
    if (entry->IsBinary())
      header.push_back({{"tag", entry->GetTag()}, {"hex", Hex(entry->GetBytes())}});
    else
      header.push_back({{"tag", entry->GetTag()}, {"text", Cp1252ToUtf8(entry->GetBytes())}});
  }
  Json functions = Json::array();
  for (int i = 0; i < ir.GetFunctionCount(); ++i) {
    const TQVXIrFunction* f = ir.GetFunction(i);
    Json subs = Json::array();
    for (int j = 0; j < f->GetSubFunctionCount(); ++j) {
      if (const TQVXIrSubFunction* sub = f->GetSubFunction(j)) subs.push_back(SubFunctionJson(*sub));
    }
    Json name = f->GetName() ? Json(Cp1252ToUtf8(f->GetName())) : Json(nullptr);
    functions.push_back({{"name", name}, {"subfunctions", subs}});
  }
  return Json{{"kind", ir.GetKind()}, {"header", header}, {"functions", functions}};
}

std::string CarrierText(const TQVXIrSubFunction& sub) {
  if (sub.GetDivider() == 0) return "no carrier";
  char text[32];
  std::snprintf(text, sizeof text, "%.1fKHz", sub.GetCarrierHz() / 1000.0);
  return text;
}

void PrintSummary(const TQVXIr& ir, const std::string& path, bool all) {
  std::cout << TQVXIr::KindLabel(ir.GetKind()) << Shown(path) << "\n";
  const TQVXIrHeader& h = ir.GetHeader();
  std::cout << "Header entries: " << h.GetEntryCount() << "\n";
  for (int i = 0; i < h.GetEntryCount(); ++i) {
    const TQVXIrHeaderEntry* entry = h.GetEntry(i);
    char tag[8];
    std::snprintf(tag, sizeof tag, "0x%02X", entry->GetTag() & 0xFF);
    std::cout << "  " << TagName(entry->GetTag()) << " (" << tag << "): "
              << (entry->IsBinary() ? Hex(entry->GetBytes()) : Cp1252ToUtf8(entry->GetBytes())) << "\n";
  }
  int empty = 0;
  for (int i = 0; i < ir.GetFunctionCount(); ++i) empty += ir.GetFunction(i)->IsEmpty() ? 1 : 0;
  const int filled = ir.GetFunctionCount() - empty;
  std::cout << "Functions: " << ir.GetFunctionCount() << ", " << filled << " with signals";
  if (empty > 0 && !all) std::cout << " (" << empty << " empty slot" << (empty == 1 ? "" : "s") << " not shown; --all lists them)";
  std::cout << "\n";
  if (ir.GetFunctionCount() == 0) std::cout << "  The driver has no functions.\n";
  for (int i = 0; i < ir.GetFunctionCount(); ++i) {
    const TQVXIrFunction* f = ir.GetFunction(i);
    if (f->IsEmpty() && !all) continue;
    const std::string name = f->GetName() ? Cp1252ToUtf8(f->GetName()) : "(no name)";
    std::cout << "  " << i << ". " << name;
    if (f->IsEmpty()) {
      std::cout << " (empty)\n";
      continue;
    }
    std::cout << " - " << f->GetSubFunctionCount() << " sub-function" << (f->GetSubFunctionCount() == 1 ? "" : "s")
              << "\n";
    for (int j = 0; j < f->GetSubFunctionCount(); ++j) {
      const TQVXIrSubFunction* sub = f->GetSubFunction(j);
      if (!sub) continue;
      std::cout << "      " << CarrierText(*sub) << (sub->IsModulated() ? " modulated" : " unmodulated")
                << ", divider " << sub->GetDivider() << ", " << sub->GetTimeCount() << " times, header "
                << int(sub->GetHeaderCount()) << ", body " << int(sub->GetBodyCount()) << ", min. repeats "
                << sub->GetRepeatCount() << "\n";
    }
  }
}

void ShowDriver(const std::string& path, bool json, bool all) {
  TQVXIr ir;
  LoadDriver(ir, path);
  if (json)
    std::cout << DriverJson(ir).dump() << "\n";
  else
    PrintSummary(ir, path, all);
}

// --- build ---------------------------------------------------------------

[[noreturn]] void Bad(const std::string& where, const std::string& what) {
  throw CliError("invalid driver JSON at " + where + ": " + what);
}

long Integer(const Json& value, const std::string& where, long lo, long hi) {
  if (!value.is_number_integer()) Bad(where, "expected an integer");
  const long v = value.get<long>();
  if (v < lo || v > hi) Bad(where, "expected a value from " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

const Json& Member(const Json& object, const char* key, const std::string& where) {
  auto it = object.find(key);
  if (it == object.end()) Bad(where, std::string("missing \"") + key + "\"");
  return *it;
}

std::string Text(const Json& value, const std::string& where) {
  if (!value.is_string()) Bad(where, "expected a string");
  auto bytes = Utf8ToCp1252(value.get<std::string>());
  if (!bytes) Bad(where, "text the Windows-1252 code page cannot store");
  return *bytes;
}

std::vector<std::uint8_t> HexBytes(const Json& value, const std::string& where) {
  if (!value.is_string()) Bad(where, "expected a hex string");
  const std::string hex = value.get<std::string>();
  if (hex.size() % 2 != 0) Bad(where, "odd number of hex digits");
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int v = 0;
    for (char c : {hex[i], hex[i + 1]}) {
      int d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        Bad(where, "not a hex digit");
      v = v * 16 + d;
    }
    bytes.push_back(static_cast<std::uint8_t>(v));
  }
  return bytes;
}

std::vector<std::uint8_t> ByteList(const Json& value, const std::string& where) {
  if (!value.is_array()) Bad(where, "expected an array");
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < value.size(); ++i)
    out.push_back(static_cast<std::uint8_t>(Integer(value[i], where + "[" + std::to_string(i) + "]", 0, 255)));
  return out;
}

std::unique_ptr<TQVXIrSubFunction> BuildSubFunction(const Json& j, const std::string& where) {
  if (!j.is_object()) Bad(where, "expected an object");
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(static_cast<std::uint8_t>(Integer(Member(j, "flags", where), where + ".flags", 0, 255)));
  sub->SetDivider(static_cast<std::uint16_t>(Integer(Member(j, "divider", where), where + ".divider", 0, 65535)));
  if (j.contains("granularity"))
    sub->SetGranularity(static_cast<std::uint16_t>(Integer(j["granularity"], where + ".granularity", 0, 65535)));
  const long repeat = j.contains("repeat_count") ? Integer(j["repeat_count"], where + ".repeat_count", 0, 15) : 0;
  const Json& timesJson = Member(j, "times", where);
  if (!timesJson.is_array() || timesJson.empty() || timesJson.size() > 15)
    Bad(where + ".times", "expected 1 to 15 time values");
  std::vector<std::uint16_t> times;
  for (std::size_t i = 0; i < timesJson.size(); ++i)
    times.push_back(static_cast<std::uint16_t>(Integer(timesJson[i], where + ".times", 0, 65535)));
  const std::vector<std::uint8_t> header = ByteList(Member(j, "header_selectors", where), where + ".header_selectors");
  const std::vector<std::uint8_t> body = ByteList(Member(j, "body_selectors", where), where + ".body_selectors");
  if (header.size() > 255 || body.size() > 255) Bad(where, "more than 255 header or body selectors");
  if (header.empty() && body.empty()) Bad(where, "no selectors");
  if (j.contains("header_count") && Integer(j["header_count"], where + ".header_count", 0, 255) != long(header.size()))
    Bad(where + ".header_count", "does not match header_selectors");
  if (j.contains("body_count") && Integer(j["body_count"], where + ".body_count", 0, 255) != long(body.size()))
    Bad(where + ".body_count", "does not match body_selectors");
  sub->SetTimes(times);
  sub->SetCounts(static_cast<std::uint8_t>((repeat << 4) | static_cast<long>(times.size())));
  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body.data(), static_cast<int>(body.size()));
  return sub;
}

void BuildDriverModel(TQVXIr& ir, const Json& doc) {
  if (!doc.is_object()) Bad("top level", "expected an object");
  if (doc.contains("kind")) ir.SetKind(static_cast<std::uint8_t>(Integer(doc["kind"], "kind", 0, 255)));
  if (doc.contains("header")) {
    const Json& header = doc["header"];
    if (!header.is_array()) Bad("header", "expected an array");
    for (std::size_t i = 0; i < header.size(); ++i) {
      const std::string where = "header[" + std::to_string(i) + "]";
      const Json& e = header[i];
      if (!e.is_object()) Bad(where, "expected an object");
      const int tag = static_cast<int>(Integer(Member(e, "tag", where), where + ".tag", 0, 255));
      if (e.contains("hex")) {
        const auto bytes = HexBytes(e["hex"], where + ".hex");
        ir.GetHeader().AddBinary(tag, static_cast<int>(bytes.size()), bytes.data());
      } else {
        const std::string text = Text(Member(e, "text", where), where + ".text");
        if (tag >= TQVXIrHeaderEntry::kFirstBinaryTag)
          ir.GetHeader().AddBinary(tag, static_cast<int>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data()));
        else
          ir.GetHeader().AddText(tag, text.c_str());
      }
    }
  }
  if (doc.contains("functions")) {
    const Json& functions = doc["functions"];
    if (!functions.is_array()) Bad("functions", "expected an array");
    for (std::size_t i = 0; i < functions.size(); ++i) {
      const std::string where = "functions[" + std::to_string(i) + "]";
      const Json& fj = functions[i];
      if (!fj.is_object()) Bad(where, "expected an object");
      auto f = std::make_unique<TQVXIrFunction>();
      if (fj.contains("name") && !fj["name"].is_null()) f->SetName(Text(fj["name"], where + ".name"));
      if (fj.contains("subfunctions")) {
        const Json& subs = fj["subfunctions"];
        if (!subs.is_array()) Bad(where + ".subfunctions", "expected an array");
        for (std::size_t j = 0; j < subs.size(); ++j)
          f->AddSubFunction(BuildSubFunction(subs[j], where + ".subfunctions[" + std::to_string(j) + "]"));
      }
      ir.Append(std::move(f));
    }
  }
}

void BuildDriver(const std::string& jsonPath, const std::string& outPath, int standardSlots, bool force) {
  CheckOutput(outPath, force);
  Json doc;
  try {
    doc = Json::parse(ReadFileBytes(jsonPath));
  } catch (const Json::parse_error& e) {
    throw CliError(Shown(jsonPath) + ": not JSON: " + e.what());
  }
  TQVXIr ir;
  try {
    BuildDriverModel(ir, doc);
  } catch (const CliError& e) {
    throw CliError(Shown(jsonPath) + ": " + e.what());
  }
  std::string image;
  try {
    const std::int64_t size = ir.ComputeSize(true, standardSlots);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size), 0);
    TQVXIrSaveBuffer out(buffer.data(), buffer.size());
    const std::int64_t written = ir.Save(out, standardSlots);
    // Entries without data are counted by the size but not written; the
    // file holds exactly what was written.
    image.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(written));
  } catch (const TQVXIrException& e) {
    throw CliError(outPath + ": " + IrError(e));
  }
  WriteFileBytes(outPath, image);
}

void RegisterDriver(CLI::App& app) {
  auto& group = Group(app, "driver", "Inspect and build .vir driver files");

  auto* show = group.add_subcommand(
      "show",
      "Show a driver. --json prints {\"kind\":0,\"header\":[{\"tag\":131,\"text\":\"DVD\"},{\"tag\":255,"
      "\"hex\":\"00000001\"}],\"functions\":[{\"name\":\"POWER\",\"subfunctions\":[{\"flags\":1,\"divider\":1736,"
      "\"granularity\":1,\"header_count\":1,\"body_count\":17,\"repeat_count\":4,\"times\":[...],"
      "\"header_selectors\":[...],\"body_selectors\":[...]}]}]}; an empty slot is a function named \"*Empty*\" "
      "(or its own name) with no sub-functions. Texts are Windows-1252 bytes shown as Unicode.");
  auto file = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto all = std::make_shared<bool>(false);
  show->add_option("FILE", *file, "Driver file (.vir); - reads standard input")->required();
  show->add_flag("--json", *json, "JSON output (always every slot)");
  show->add_flag("--all", *all, "Also list the empty slots");
  show->callback([file, json, all] { ShowDriver(*file, *json, *all); });

  auto* build = group.add_subcommand(
      "build",
      "Write a driver from the JSON shape of 'driver show --json' (a function's name may be null; granularity "
      "defaults to 1, repeat_count to 0; header_count/body_count, when given, must match the selector lists). "
      "Empty functions at positions below --standard-slots lose their names (default 0: every name is kept), "
      "so show --json followed by build reproduces the file.");
  auto jsonIn = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto slots = std::make_shared<int>(0);
  auto force = std::make_shared<bool>(false);
  build->add_option("JSON", *jsonIn, "Driver description (JSON); - reads standard input")->required();
  build->add_option("OUT", *out, "Driver file to write (.vir); - writes standard output")->required();
  build->add_option("--standard-slots", *slots, "Leading positions that belong to the standard command list")
      ->check(CLI::NonNegativeNumber);
  AddForceFlag(build, *force);
  build->callback([jsonIn, out, slots, force] { BuildDriver(*jsonIn, *out, *slots, *force); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(driver, quillon::cli::RegisterDriver);
