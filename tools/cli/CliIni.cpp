// "ini": shows exactly what the program's INI store makes of a file —
// sections and pairs in store order — and writes it back in the store's own
// form (CR LF lines, a blank line after each section).
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/CMemINI.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

void LoadOrFail(CMemINI& ini, const std::string& path) {
  // The reason first ("-" is read once, by the store).
  CheckReadable(path);
  if (!ini.LoadFile(path)) throw CliError(path + ": cannot be read");
}

void ShowIni(const std::string& path, bool json) {
  CMemINI ini;
  LoadOrFail(ini, path);
  if (json) {
    nlohmann::ordered_json sections = nlohmann::ordered_json::array();
    for (int i = 0; i < ini.GetCount(); ++i) {
      const CMemINISection* section = ini.GetAt(i);
      nlohmann::ordered_json values = nlohmann::ordered_json::array();
      for (int j = 0; j < section->GetCount(); ++j) {
        const CMemINIValue* value = section->GetAt(j);
        values.push_back(nlohmann::ordered_json::array({Cp1252ToUtf8(value->GetKey()), Cp1252ToUtf8(value->GetValue())}));
      }
      sections.push_back({{"name", Cp1252ToUtf8(section->GetName())}, {"values", values}});
    }
    std::cout << nlohmann::ordered_json{{"sections", sections}}.dump() << "\n";
    return;
  }
  if (ini.GetCount() == 0) std::cout << "; the file holds no sections\n";
  for (int i = 0; i < ini.GetCount(); ++i) {
    const CMemINISection* section = ini.GetAt(i);
    std::cout << "[" << Cp1252ToUtf8(section->GetName()) << "]\n";
    for (int j = 0; j < section->GetCount(); ++j) {
      const CMemINIValue* value = section->GetAt(j);
      std::cout << Cp1252ToUtf8(value->GetKey()) << "=" << Cp1252ToUtf8(value->GetValue()) << "\n";
    }
    std::cout << "\n";
  }
}

void NormaliseIni(const std::string& in, const std::string& out, bool force) {
  CheckOutput(out, force);
  CMemINI ini;
  LoadOrFail(ini, in);
  WriteFileBytes(out, ini.SaveText());
}

void RegisterIni(CLI::App& app) {
  auto& group = Group(app, "ini", "Inspect INI files the way the program reads them");

  auto* show = group.add_subcommand(
      "show", "List sections and key/value pairs in store order; --json gives "
              "{\"sections\":[{\"name\":\"A\",\"values\":[[\"key\",\"value\"],...]}]}");
  auto file = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  show->add_option("FILE", *file, "INI file; - reads standard input")->required();
  show->add_flag("--json", *json, "JSON output");
  show->callback([file, json] { ShowIni(*file, *json); });

  auto* normalise = group.add_subcommand("normalise", "Load IN and save it as OUT in the store's own form");
  auto in = std::make_shared<std::string>();
  auto out = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  normalise->add_option("IN", *in, "INI file to read; - reads standard input")->required();
  normalise->add_option("OUT", *out, "INI file to write; - writes standard output")->required();
  AddForceFlag(normalise, *force);
  normalise->callback([in, out, force] { NormaliseIni(*in, *out, *force); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(ini, quillon::cli::RegisterIni);
