#include "signals/TIrLircFile.h"

#include <algorithm>
#include <map>

#include "signals/TIrNames.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

struct Remote {
  std::string name;
  int line = 0;
  bool raw = false;
  bool constLength = false;
  uint64_t carrier = TIrLircFile::kDefaultCarrierHz;
  uint64_t gap = 0;
  uint64_t minRepeat = 0;
  std::size_t skippedCodes = 0;
  std::vector<TIrNamedSignal> codes;
  std::vector<std::vector<uint32_t>> durations;
};

class Reader {
 public:
  Reader(std::string_view text, const std::string& file) : m_in(text, file) {}

  TIrParsedFile Run() {
    std::string_view line;
    bool any = false;
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      const auto tokens = TIrTextReader::Split(line);
      if (tokens.size() == 2 && tokens[0] == "begin" && tokens[1] == "remote") {
        ReadRemote();
        any = true;
        continue;
      }
      m_in.Fail("expected \"begin remote\", found \"" + TIrTextReader::Quote(line) + "\"");
    }
    if (!any) throw TIrFormatError(m_in.File(), 0, "no \"begin remote\" block");
    return std::move(m_out);
  }

 private:
  uint64_t Number(std::string_view token, uint64_t max, const char* what) {
    uint64_t value = 0;
    // Parameters may be written in hex ("0x...") as LIRC allows.
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
      if (TIrTextReader::ParseHex(token.substr(2), max, value)) return value;
    } else if (TIrTextReader::ParseUnsigned(token, max, value)) {
      return value;
    }
    m_in.Fail(std::string(what) + " \"" + TIrTextReader::Quote(token) + "\" is not a number up to " + std::to_string(max));
  }

  void ReadRemote() {
    Remote remote;
    remote.line = m_in.Line();
    std::string_view line;
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      const auto tokens = TIrTextReader::Split(line);
      const std::string_view key = tokens[0];
      if (key == "end") {
        if (tokens.size() != 2 || tokens[1] != "remote") m_in.Fail("expected \"end remote\"");
        Finish(remote);
        return;
      }
      if (key == "begin") {
        if (tokens.size() != 2) m_in.Fail("expected \"begin raw_codes\" or \"begin codes\"");
        if (tokens[1] == "raw_codes") {
          ReadRawCodes(remote);
        } else if (tokens[1] == "codes") {
          SkipCodes(remote);
        } else {
          m_in.Fail("unknown block \"" + TIrTextReader::Quote(tokens[1]) + "\"");
        }
        continue;
      }
      if (tokens.size() < 2) m_in.Fail("\"" + TIrTextReader::Quote(key) + "\" without a value");
      if (key == "name") {
        remote.name = std::string(TIrTextReader::Trim(line.substr(4)));
      } else if (key == "flags") {
        std::string flags(tokens[1]);
        for (std::size_t i = 2; i < tokens.size(); ++i) flags += tokens[i];
        remote.raw = flags.find("RAW_CODES") != std::string::npos;
        remote.constLength = flags.find("CONST_LENGTH") != std::string::npos;
      } else if (key == "frequency") {
        remote.carrier = Number(tokens[1], 1000000, "frequency");
      } else if (key == "gap") {
        remote.gap = Number(tokens[1], kMaxDurationUs, "gap");
      } else if (key == "min_repeat") {
        remote.minRepeat = Number(tokens[1], 15, "min_repeat");
      }
      // Other parameters (eps, aeps, duty_cycle, bit timings, ...) do not
      // change raw codes.
    }
    m_in.Fail("the remote that starts on line " + std::to_string(remote.line) + " has no \"end remote\"");
  }

  void SkipCodes(Remote& remote) {
    std::string_view line;
    const int start = m_in.Line();
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      const auto tokens = TIrTextReader::Split(line);
      if (tokens.size() == 2 && tokens[0] == "end" && tokens[1] == "codes") return;
      ++remote.skippedCodes;
    }
    m_in.Fail("the codes that start on line " + std::to_string(start) + " have no \"end codes\"");
  }

  void ReadRawCodes(Remote& remote) {
    std::string_view line;
    const int start = m_in.Line();
    while (m_in.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      auto tokens = TIrTextReader::Split(line);
      if (tokens.size() == 2 && tokens[0] == "end" && tokens[1] == "raw_codes") return;
      std::size_t from = 0;
      if (tokens[0] == "name") {
        if (tokens.size() < 2) m_in.Fail("\"name\" without a button name");
        if (m_out.entries.size() + remote.codes.size() >= 10000) m_in.Fail("more than 10000 codes");
        TIrNamedSignal code;
        code.name = std::string(tokens[1]);
        code.line = m_in.Line();
        remote.codes.push_back(std::move(code));
        remote.durations.emplace_back();
        from = 2;
      } else if (remote.codes.empty()) {
        m_in.Fail("durations before the first \"name\"");
      }
      auto& durations = remote.durations.back();
      for (std::size_t i = from; i < tokens.size(); ++i) {
        uint64_t us = 0;
        if (!TIrTextReader::ParseUnsigned(tokens[i], kMaxDurationUs, us)) {
          m_in.Fail("\"" + TIrTextReader::Quote(tokens[i]) + "\" is not a duration in microseconds (at most " +
                    std::to_string(kMaxDurationUs) + ")");
        }
        if (durations.size() >= kMaxDurations) m_in.Fail("more than " + std::to_string(kMaxDurations) + " durations");
        durations.push_back(static_cast<uint32_t>(us));
      }
    }
    m_in.Fail("the raw codes that start on line " + std::to_string(start) + " have no \"end raw_codes\"");
  }

  void Finish(Remote& remote) {
    const std::string label = remote.name.empty() ? "remote on line " + std::to_string(remote.line)
                                                  : "remote \"" + remote.name + "\"";
    if (remote.skippedCodes > 0) {
      m_out.messages.push_back(m_in.Message(remote.line, label + ": " + std::to_string(remote.skippedCodes) +
                                                             " codes described by bit timings skipped (only raw codes are read)"));
    }
    for (std::size_t i = 0; i < remote.codes.size(); ++i) {
      TIrNamedSignal& code = remote.codes[i];
      const std::vector<uint32_t>& d = remote.durations[i];
      uint64_t total = 0;
      for (uint32_t us : d) total += us;
      // The pause after the press: the remote's gap, or what is left of the
      // constant frame length; a code ending with a space brings its own.
      uint64_t gap = remote.gap;
      if (remote.constLength && gap > total) gap -= total;
      if (gap == 0) gap = TIrSignal::PauseAfter(d);
      code.signal = TIrSignal::FromSequence(d, static_cast<int>(remote.carrier), static_cast<uint32_t>(std::min<uint64_t>(gap, kMaxDurationUs)));
      code.signal.repeats = 1 + static_cast<int>(remote.minRepeat);
      const std::string problem = code.signal.Problem();
      if (!problem.empty()) {
        m_out.messages.push_back(m_in.Message(code.line, "\"" + code.name + "\": " + problem + "; code skipped"));
        continue;
      }
      m_out.entries.push_back(std::move(code));
    }
  }

  TIrTextReader m_in;
  TIrParsedFile m_out;
};

std::string LircName(const std::string& name) {
  // LIRC splits lines at blanks and reads '#' at a line start as a comment.
  std::string out = TIrNames::PrintableAscii(name, " #");
  return out;
}

}  // namespace

TIrParsedFile TIrLircFile::Parse(std::string_view text, const std::string& file) { return Reader(text, file).Run(); }

std::string TIrLircFile::Write(const std::vector<TIrNamedSignal>& entries, const std::string& remote,
                               std::vector<std::string>& notes) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  names = TIrNames::Make(names, LircName, "LIRC names are printable ASCII without blanks or #", notes);
  // One remote per carrier, in the order the carriers first appear.
  std::vector<int> carriers;
  for (const auto& e : entries) {
    if (std::find(carriers.begin(), carriers.end(), e.signal.carrier_hz) == carriers.end()) {
      carriers.push_back(e.signal.carrier_hz);
    }
  }
  std::string remoteName = LircName(remote.empty() ? std::string("quillon") : remote);
  std::string out = "#\n# Raw codes written by Quillon.\n#\n";
  for (int carrier : carriers) {
    // LIRC keeps one pause for all codes of a remote: the longest, so that
    // no press runs into the next.
    uint32_t gap = 0, shortest = UINT32_MAX;
    for (const auto& e : entries) {
      if (e.signal.carrier_hz != carrier || e.signal.Empty()) continue;
      gap = std::max(gap, e.signal.Press().back());
      shortest = std::min(shortest, e.signal.Press().back());
    }
    const std::string name = carriers.size() > 1 ? remoteName + "_" + std::to_string(carrier) : remoteName;
    if (gap != shortest) {
      notes.push_back("remote \"" + name + "\": the pauses after the presses range from " + std::to_string(shortest) +
                      " to " + std::to_string(gap) + " us; its gap is the longest");
    }
    out += "\nbegin remote\n\n  name  " + name + "\n  flags RAW_CODES\n  eps            30\n  aeps          100\n";
    out += "  frequency    " + std::to_string(carrier) + "\n  gap          " + std::to_string(gap ? gap : kDefaultGapUs) +
           "\n\n      begin raw_codes\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TIrSignal& s = entries[i].signal;
      if (s.carrier_hz != carrier) continue;
      std::vector<uint32_t> press = s.Press();
      if (!press.empty()) press.pop_back();  // the pause is the remote's gap
      out += "\n          name " + names[i] + "\n";
      for (std::size_t k = 0; k < press.size(); k += 6) {
        out += "             ";
        for (std::size_t j = k; j < std::min(press.size(), k + 6); ++j) {
          std::string value = std::to_string(press[j]);
          out += std::string(value.size() < 8 ? 8 - value.size() : 1, ' ') + value;
        }
        out += "\n";
      }
    }
    out += "\n      end raw_codes\n\nend remote\n";
  }
  return out;
}

}  // namespace quillon
