// "conn": what Quillon makes of connection texts, and the remembered
// connections of the user's profile.
//
//   conn parse TEXT [--json]   kind, validity, every field, the canonical
//                              connection text and the display text
//   conn recent [--json]       the connection selected at exit and the
//                              recent connections, most recent first
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CSerialParamTable.h"
#include "platform/Cp1252.h"
#include "platform/SerialPort.h"
#include "tools/cli/CliConnectionOptions.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

std::string Show(const std::string& bytes) { return Cp1252ToUtf8(bytes); }

std::string TableText(SerialParam table, int value) {
  const char* text = CSerialParamTable::LookupText(table, value);
  return text ? text : "???";
}

nlohmann::ordered_json ToJson(const CQVXConnectionType& c) {
  nlohmann::ordered_json j;
  if (const auto* tcp = dynamic_cast<const CQVXConnectionTCP*>(&c)) {
    j["kind"] = "tcp";
    j["valid"] = c.IsValid() != 0;
    j["address"] = tcp->GetAddress();
    j["port"] = tcp->GetPort();
  } else if (const auto* serial = dynamic_cast<const CQVXConnectionSerial*>(&c)) {
    j["kind"] = "serial";
    j["valid"] = c.IsValid() != 0;
    j["port"] = serial->GetPort();
    j["device_path"] = serial->GetDevicePath().empty() ? SerialPort::PathForPort(serial->GetPort()) : serial->GetDevicePath();
    j["bit_rate"] = serial->GetBitRate();
    j["bit_rate_text"] = TableText(SerialParam::BitRate, serial->GetBitRate());
    j["parity"] = serial->GetParity();
    j["parity_text"] = TableText(SerialParam::Parity, serial->GetParity());
    j["data_bits"] = serial->GetDataBits();
    j["data_bits_text"] = TableText(SerialParam::DataBits, serial->GetDataBits());
    j["stop_bits"] = serial->GetStopBits();
    j["stop_bits_text"] = TableText(SerialParam::StopBits, serial->GetStopBits());
    j["flow_control"] = serial->GetFlowControl();
    j["flow_control_text"] = TableText(SerialParam::FlowControl, serial->GetFlowControl());
  }
  j["name"] = Show(c.GetName());
  j["password"] = Show(c.GetPassword());
  j["connection_text"] = Show(c.GetConnectionText());
  j["display_text"] = Show(c.GetDisplayText());
  return j;
}

void PrintText(const CQVXConnectionType& c) {
  const nlohmann::ordered_json j = ToJson(c);
  for (const auto& [key, value] : j.items()) {
    std::cout << key << ": ";
    if (value.is_string())
      std::cout << value.get<std::string>();
    else if (value.is_boolean())
      std::cout << (value.get<bool>() ? "yes" : "no");
    else
      std::cout << value.dump();
    std::cout << '\n';
  }
}

// The serial fields of a "SERIAL:" text in the grammar --com accepts
// (parity N, flow H, ...), rewritten to the table texts the connection
// texts use; the name and password fields are kept as they are.
std::string NormaliseSerialText(const std::string& text) {
  const std::string prefix = "SERIAL:";
  if (text.compare(0, prefix.size(), prefix) != 0) return text;
  std::vector<std::string> fields;
  std::size_t start = prefix.size();
  while (fields.size() < 6) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) {
      start = std::string::npos;
      break;
    }
    start = comma + 1;
  }
  fields = NormaliseSerialFields(fields);
  std::string result = prefix;
  for (std::size_t i = 0; i < fields.size(); ++i) result += (i ? "," : "") + fields[i];
  if (start != std::string::npos) result += "," + text.substr(start);
  return result;
}

void RunParse(const std::string& text, bool json) {
  // Connection texts are stored in the single-byte code page.
  const std::string bytes = NormaliseSerialText(Utf8ToCp1252(text).value_or(text));
  std::unique_ptr<CQVXConnectionType> c = CQVXConnectionType::CreateFromText(bytes);
  if (!c) throw CliError("'" + text + "': not a connection text: expected TCP:ADDRESS,PORT[,NAME[,PASSWORD]] or "
                         "SERIAL:PORT,BAUD,PARITY,DATA,STOP,FLOW[,NAME[,PASSWORD]]");
  if (json)
    std::cout << ToJson(*c).dump(2) << '\n';
  else
    PrintText(*c);
  // What was made of the text is printed either way; a text that does not
  // fully describe a usable connection fails, naming the field.
  if (!c->IsValid() || !c->GetParseProblem().empty()) {
    std::cout.flush();
    throw CliError("'" + text + "': " + (c->GetParseProblem().empty() ? std::string("not valid") : c->GetParseProblem()));
  }
}

void RunRecent(bool json) {
  CQVXConnectionTypeList list;
  std::unique_ptr<CQVXConnectionType> pending = list.LoadRecentFromProfile();
  if (json) {
    nlohmann::ordered_json j;
    j["pending"] = pending ? ToJson(*pending) : nlohmann::ordered_json(nullptr);
    j["recent"] = nlohmann::ordered_json::array();
    for (int i = 0; i < list.GetCount(); ++i) j["recent"].push_back(ToJson(*list.GetAt(i)));
    std::cout << j.dump(2) << '\n';
    return;
  }
  std::cout << "#\tCONNECTION TEXT\tDISPLAY TEXT\n";
  std::cout << "pending\t" << (pending ? Show(pending->GetConnectionText()) + "\t" + Show(pending->GetDisplayText()) : "")
            << '\n';
  if (list.GetCount() == 0) std::cout << "No recent connections.\n";
  for (int i = 0; i < list.GetCount(); ++i) {
    const CQVXConnectionType* c = list.GetAt(i);
    std::cout << i << '\t' << Show(c->GetConnectionText()) << '\t' << Show(c->GetDisplayText()) << '\n';
  }
}

void RegisterConn(CLI::App& app) {
  CLI::App& conn = Group(app, "conn", "Connection descriptions and the remembered connections");

  auto parseText = std::make_shared<std::string>();
  auto parseJson = std::make_shared<bool>(false);
  auto* parse = conn.add_subcommand(
      "parse", "Show what a connection text describes; exit status 1 when it is not valid or a field is not understood");
  parse->add_option("TEXT", *parseText,
                    "A connection text, e.g. TCP:10.0.0.5,23 or SERIAL:1,9600,None,8,1,Off; the serial fields take "
                    "the forms --com takes (N for None, H for Hardware, a device path for the port)")
      ->required();
  parse->add_flag("--json", *parseJson, "Print JSON");
  parse->callback([parseText, parseJson] { RunParse(*parseText, *parseJson); });

  auto recentJson = std::make_shared<bool>(false);
  auto* recent = conn.add_subcommand("recent", "List the remembered connections of the user's profile");
  recent->add_flag("--json", *recentJson, "Print JSON");
  recent->callback([recentJson] { RunRecent(*recentJson); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(conn, quillon::cli::RegisterConn);
