#include "signals/TIrRawTextFile.h"

#include <algorithm>
#include <cstdint>

#include "signals/TIrNames.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

std::string BaseName(const std::string& file) {
  std::string base = file.substr(file.find_last_of('/') + 1);
  const std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
  if (base.empty() || base == "-") base = "Signal";
  return base;
}

struct Pending {
  std::string name;
  int line = 0;
  bool named = false;
  uint64_t carrier = TIrRawTextFile::kDefaultCarrierHz;
  // Marks and spaces as read; same-kind neighbours are joined.
  std::vector<std::pair<bool, uint32_t>> items;
};

}  // namespace

TIrParsedFile TIrRawTextFile::Parse(std::string_view text, const std::string& file) {
  TIrTextReader in(text, file);
  TIrParsedFile out;
  std::vector<TIrNamedSignal> read;
  std::vector<bool> named;
  // The carrier of signals without a carrier line: a carrier line outside
  // any signal sets it.
  uint64_t fileCarrier = kDefaultCarrierHz;
  Pending p;
  bool started = false;  // p holds a name or durations

  auto finish = [&]() {
    if (!started) return;
    if (p.items.empty()) {
      out.messages.push_back(in.Message(p.line, "\"" + (p.named ? p.name : BaseName(file)) + "\": no durations; signal skipped"));
    } else {
      std::vector<uint32_t> alternating;
      bool mark = true;
      for (const auto& [isMark, us] : p.items) {
        if (isMark != mark) alternating.push_back(0);  // keeps the alternation; FromSequence joins around it
        alternating.push_back(us);
        mark = !isMark;
      }
      TIrNamedSignal s;
      s.name = p.name;
      s.line = p.line;
      s.signal = TIrSignal::FromSequence(alternating, static_cast<int>(p.carrier), TIrSignal::PauseAfter(alternating));
      const std::string problem = s.signal.Problem();
      if (!problem.empty()) {
        out.messages.push_back(in.Message(p.line, "\"" + (p.named ? p.name : BaseName(file)) + "\": " + problem + "; signal skipped"));
      } else {
        if (read.size() >= 10000) in.Fail(p.line, "more than 10000 signals");
        read.push_back(std::move(s));
        named.push_back(p.named);
      }
    }
    p = Pending{};
    p.carrier = fileCarrier;
    started = false;
  };

  std::string_view line;
  std::size_t total = 0;
  while (in.Next(line)) {
    if (line.empty() || line.front() == '#') continue;
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view key = TIrTextReader::Trim(line.substr(0, colon));
      const std::string_view value = TIrTextReader::Trim(line.substr(colon + 1));
      if (key == "name") {
        finish();
        p.name = std::string(value);
        p.named = true;
        p.line = in.Line();
        started = true;
        continue;
      }
      if (key == "carrier") {
        uint64_t carrier = 0;
        if (!TIrTextReader::ParseUnsigned(value, 1000000, carrier)) {
          in.Fail("carrier \"" + TIrTextReader::Quote(value) + "\" is not a number of Hz up to 1000000");
        }
        // After durations it starts the next signal; outside a named signal
        // it holds for every signal that follows.
        if (!p.items.empty()) finish();
        if (!p.named) fileCarrier = carrier;
        p.carrier = carrier;
        continue;
      }
      in.Fail("unknown key \"" + TIrTextReader::Quote(key) + "\" (expected name: or carrier:)");
    }
    const auto tokens = TIrTextReader::Split(line);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      std::string_view token = tokens[i];
      int kind = 0;  // +1 mark, -1 space, 0 alternating
      if (token == "pulse" || token == "space") {
        kind = token == "pulse" ? 1 : -1;
        if (++i >= tokens.size()) in.Fail("\"" + std::string(token) + "\" without a duration");
        token = tokens[i];
      } else if (token.front() == '+' || token.front() == '-') {
        kind = token.front() == '+' ? 1 : -1;
        token.remove_prefix(1);
      }
      uint64_t us = 0;
      if (!TIrTextReader::ParseUnsigned(token, kMaxDurationUs, us)) {
        in.Fail("\"" + TIrTextReader::Quote(tokens[i]) + "\" is not a duration in microseconds (at most " +
                std::to_string(kMaxDurationUs) + ")");
      }
      if (!started) {
        p.line = in.Line();
        started = true;
      }
      if (++total > kMaxDurations * 16 || p.items.size() >= kMaxDurations) {
        in.Fail("more than " + std::to_string(kMaxDurations) + " durations in a signal");
      }
      const bool mark = kind == 0 ? (p.items.empty() || !p.items.back().first) : kind > 0;
      if (!p.items.empty() && p.items.back().first == mark) {
        p.items.back().second = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{p.items.back().second} + us, kMaxDurationUs + 1));
      } else {
        p.items.emplace_back(mark, static_cast<uint32_t>(us));
      }
    }
  }
  finish();

  // Signals without a name take the file's base name.
  const std::string base = BaseName(file);
  const auto unnamed = static_cast<std::size_t>(std::count(named.begin(), named.end(), false));
  int number = 0;
  for (std::size_t i = 0; i < read.size(); ++i) {
    if (!named[i]) read[i].name = unnamed > 1 ? base + " " + std::to_string(++number) : base;
  }
  out.entries = std::move(read);
  return out;
}

std::string TIrRawTextFile::Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  names = TIrNames::Make(
      names, [](const std::string& n) { return std::string(TIrTextReader::Trim(TIrNames::PrintableAscii(n))); },
      "printable ASCII", notes);
  std::string out = "# Raw IR signals: name, carrier in Hz, then +mark -space durations in microseconds\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TIrSignal& s = entries[i].signal;
    out += "\nname: " + names[i] + "\ncarrier: " + std::to_string(s.carrier_hz) + "\n";
    const std::vector<uint32_t> press = s.Press();
    for (std::size_t k = 0; k < press.size(); ++k) {
      out += (k % 2 == 0 ? "+" : "-") + std::to_string(press[k]);
      out += (k + 1 == press.size() || k % 16 == 15) ? "\n" : " ";
    }
  }
  return out;
}

}  // namespace quillon
