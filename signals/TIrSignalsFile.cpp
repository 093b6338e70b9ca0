#include "signals/TIrSignalsFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "signals/TIrEncoder.h"
#include "signals/TIrNames.h"
#include "signals/TIrProtocol.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

constexpr std::string_view kFiletypeKey = "Filetype";
constexpr std::string_view kSignalsFile = "IR signals file";
constexpr std::string_view kLibraryFile = "IR library file";

struct Field {
  std::string value;
  int line = 0;
};

// One entry while it is read: its fields by key.
struct Entry {
  int line = 0;
  std::string name;
  std::map<std::string, Field> fields;

  const Field* Get(const std::string& key) const {
    const auto found = fields.find(key);
    return found == fields.end() ? nullptr : &found->second;
  }
};

// "04 00 00 00": up to four hex bytes, least significant first.
std::optional<uint32_t> ParseBytes(std::string_view text) {
  const auto tokens = TIrTextReader::Split(text);
  if (tokens.empty() || tokens.size() > 4) return std::nullopt;
  uint32_t value = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    uint64_t byte = 0;
    if (tokens[i].size() > 2 || !TIrTextReader::ParseHex(tokens[i], 0xFF, byte)) return std::nullopt;
    value |= static_cast<uint32_t>(byte) << (8 * i);
  }
  return value;
}

std::string Bytes(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF,
                (value >> 24) & 0xFF);
  return text;
}

class Reader {
 public:
  Reader(std::string_view text, const std::string& file) : m_in(text, file) {}

  TIrParsedFile Run() {
    ReadHeader();
    std::optional<Entry> entry;
    std::string_view line;
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) m_in.Fail("expected \"key: value\", found \"" + TIrTextReader::Quote(line) + "\"");
      const std::string key(TIrTextReader::Trim(line.substr(0, colon)));
      const std::string value(TIrTextReader::Trim(line.substr(colon + 1)));
      if (key == "name") {
        if (entry) Finish(*entry);
        if (m_out.entries.size() + m_skipped >= TIrSignalsFile::kMaxEntries) {
          m_in.Fail("more than " + std::to_string(TIrSignalsFile::kMaxEntries) + " entries");
        }
        entry = Entry{m_in.Line(), value, {}};
        continue;
      }
      if (!entry) m_in.Fail("\"" + TIrTextReader::Quote(key) + "\" before the first \"name:\"");
      if (entry->fields.count(key)) m_in.Fail("\"" + TIrTextReader::Quote(key) + "\" given twice for \"" + TIrTextReader::Quote(entry->name) + "\"");
      entry->fields[key] = Field{value, m_in.Line()};
    }
    if (entry) Finish(*entry);
    return std::move(m_out);
  }

 private:
  void ReadHeader() {
    std::string_view line;
    bool filetype = false;
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      const std::size_t colon = line.find(':');
      const std::string_view key = colon == std::string_view::npos ? line : TIrTextReader::Trim(line.substr(0, colon));
      const std::string_view value = colon == std::string_view::npos ? "" : TIrTextReader::Trim(line.substr(colon + 1));
      if (!filetype) {
        if (key != kFiletypeKey || (value != kSignalsFile && value != kLibraryFile)) {
          m_in.Fail("not an IR signals file (expected \"Filetype: IR signals file\")");
        }
        filetype = true;
        continue;
      }
      uint64_t version = 0;
      if (key != "Version" || !TIrTextReader::ParseUnsigned(value, 0xFFFF, version)) {
        m_in.Fail("expected \"Version: 1\" after the file type");
      }
      if (version != 1) m_in.Fail("version " + std::to_string(version) + " is not supported (only version 1)");
      return;
    }
    m_in.Fail(filetype ? "no \"Version:\" line" : "empty file");
  }

  void Skip(const Entry& e, int line, const std::string& reason) {
    m_out.messages.push_back(m_in.Message(line, "\"" + e.name + "\": " + reason + "; entry skipped"));
    ++m_skipped;
  }

  void Finish(const Entry& e) {
    if (e.name.empty()) return Skip(e, e.line, "no name");
    const Field* type = e.Get("type");
    if (!type) return Skip(e, e.line, "no \"type:\"");
    TIrNamedSignal out;
    out.name = e.name;
    out.line = e.line;
    if (type->value == "parsed") {
      if (!ReadParsed(e, out)) return;
    } else if (type->value == "raw") {
      if (!ReadRaw(e, out)) return;
    } else {
      return Skip(e, type->line, "type \"" + TIrTextReader::Quote(type->value) + "\" is neither parsed nor raw");
    }
    m_out.entries.push_back(std::move(out));
  }

  bool ReadParsed(const Entry& e, TIrNamedSignal& out) {
    const Field* protocol = e.Get("protocol");
    const Field* address = e.Get("address");
    const Field* command = e.Get("command");
    for (const auto& [key, field] : {std::pair{"protocol", protocol}, {"address", address}, {"command", command}}) {
      if (!field) {
        Skip(e, e.line, std::string("no \"") + key + ":\"");
        return false;
      }
    }
    const TIrProtocol::Info* info = TIrProtocol::Find(protocol->value);
    if (!info) {
      Skip(e, protocol->line, "unknown protocol \"" + TIrTextReader::Quote(protocol->value) + "\"");
      return false;
    }
    const auto a = ParseBytes(address->value);
    if (!a) m_in.Fail(address->line, "address \"" + TIrTextReader::Quote(address->value) + "\" is not four hex bytes");
    const auto c = ParseBytes(command->value);
    if (!c) m_in.Fail(command->line, "command \"" + TIrTextReader::Quote(command->value) + "\" is not four hex bytes");
    const TIrCode code{info->name, *a, *c};
    if (!TIrProtocol::Fits(code)) {
      const TIrCode cut = TIrProtocol::Cut(code);
      m_out.messages.push_back(m_in.Message(
          e.line, "\"" + e.name + "\": address " + std::to_string(code.address) + ", command " +
                      std::to_string(code.command) + " do not fit " + info->name + "'s " +
                      std::to_string(info->address_bits) + " and " + std::to_string(info->command_bits) +
                      " bits; sent as " + std::to_string(cut.address) + ", " + std::to_string(cut.command)));
    }
    out.code = code;
    out.signal = TIrEncoder::Encode(code);
    return true;
  }

  bool ReadRaw(const Entry& e, TIrNamedSignal& out) {
    const Field* frequency = e.Get("frequency");
    const Field* data = e.Get("data");
    if (!frequency) {
      Skip(e, e.line, "no \"frequency:\"");
      return false;
    }
    if (!data) {
      Skip(e, e.line, "no \"data:\"");
      return false;
    }
    uint64_t carrier = 0;
    if (!TIrTextReader::ParseUnsigned(frequency->value, 1000000, carrier)) {
      m_in.Fail(frequency->line, "frequency \"" + TIrTextReader::Quote(frequency->value) + "\" is not a number of Hz up to 1000000");
    }
    if (const Field* duty = e.Get("duty_cycle")) {
      char* end = nullptr;
      const double d = std::strtod(duty->value.c_str(), &end);
      if (duty->value.empty() || *end != '\0' || !(d >= 0.0 && d <= 1.0)) {
        m_in.Fail(duty->line, "duty_cycle \"" + TIrTextReader::Quote(duty->value) + "\" is not a number from 0 to 1");
      }
    }
    std::vector<uint32_t> durations;
    for (std::string_view token : TIrTextReader::Split(data->value)) {
      uint64_t us = 0;
      if (!TIrTextReader::ParseUnsigned(token, kMaxDurationUs, us)) {
        m_in.Fail(data->line, "data: \"" + TIrTextReader::Quote(token) + "\" is not a duration in microseconds (at most " +
                                  std::to_string(kMaxDurationUs) + ")");
      }
      if (durations.size() >= kMaxDurations) m_in.Fail(data->line, "data: more than " + std::to_string(kMaxDurations) + " durations");
      durations.push_back(static_cast<uint32_t>(us));
    }
    out.signal = TIrSignal::FromSequence(durations, static_cast<int>(carrier), TIrSignal::PauseAfter(durations));
    const std::string problem = out.signal.Problem();
    if (!problem.empty()) {
      Skip(e, data->line, problem);
      return false;
    }
    return true;
  }

  TIrTextReader m_in;
  TIrParsedFile m_out;
  std::size_t m_skipped = 0;
};

}  // namespace

TIrParsedFile TIrSignalsFile::Parse(std::string_view text, const std::string& file) { return Reader(text, file).Run(); }

std::string TIrSignalsFile::Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  names = TIrNames::Make(
      names, [](const std::string& n) { return TIrNames::PrintableAscii(n); }, "only printable ASCII", notes);
  std::string out = "Filetype: IR signals file\nVersion: 1\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TIrNamedSignal& e = entries[i];
    out += "#\nname: " + names[i] + "\n";
    if (e.code && e.code->Known()) {
      out += "type: parsed\nprotocol: " + TIrProtocol::CanonicalName(e.code->protocol) + "\naddress: " +
             Bytes(e.code->address) + "\ncommand: " + Bytes(e.code->command) + "\n";
      continue;
    }
    std::vector<uint32_t> press = e.signal.Press();
    if (!press.empty()) press.pop_back();  // the closing pause
    out += "type: raw\nfrequency: " + std::to_string(e.signal.carrier_hz) + "\nduty_cycle: 0.330000\ndata:";
    for (uint32_t d : press) out += " " + std::to_string(d);
    out += "\n";
  }
  return out;
}

}  // namespace quillon
