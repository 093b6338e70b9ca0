#include "signals/TIrProntoFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "signals/TIrNames.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

constexpr uint16_t kLearned = 0x0000;
constexpr uint16_t kLearnedUnmodulated = 0x0100;
// Codes longer than this many words are refused (1 + 3 header words and the
// most burst pairs a signal may hold).
constexpr std::size_t kMaxWords = 4 + kMaxDurations;

bool IsWord(std::string_view token) {
  uint64_t v = 0;
  return token.size() == 4 && TIrTextReader::ParseHex(token, 0xFFFF, v);
}

uint16_t Word(std::string_view token) {
  uint64_t v = 0;
  TIrTextReader::ParseHex(token, 0xFFFF, v);
  return static_cast<uint16_t>(v);
}

std::string Hex(uint16_t word) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", word);
  return text;
}

}  // namespace

TIrSignal TIrProntoFile::FromWords(const std::vector<uint16_t>& words) {
  if (words.size() < 4) throw std::invalid_argument("a code needs at least 4 words, found " + std::to_string(words.size()));
  if (words[0] != kLearned && words[0] != kLearnedUnmodulated) {
    throw std::invalid_argument("form " + Hex(words[0]) + " is not the learned form 0000 or 0100");
  }
  if (words[1] == 0) throw std::invalid_argument("carrier word 0000");
  const std::size_t once = words[2], repeat = words[3];
  const std::size_t expected = 4 + 2 * (once + repeat);
  if (once + repeat == 0) throw std::invalid_argument("no burst pairs");
  if (words.size() != expected) {
    throw std::invalid_argument(std::to_string(once) + " + " + std::to_string(repeat) + " burst pairs need " +
                                std::to_string(expected) + " words, found " + std::to_string(words.size()));
  }
  const double unit = words[1] * kUnitUs;
  TIrSignal signal;
  signal.carrier_hz = words[0] == kLearned ? static_cast<int>(std::lround(1e6 / unit)) : 0;
  for (std::size_t i = 4; i < words.size(); ++i) {
    if (words[i] == 0) throw std::invalid_argument("a duration of 0 in word " + std::to_string(i + 1));
    const auto us = static_cast<uint32_t>(std::lround(words[i] * unit));
    (i - 4 < 2 * once ? signal.once : signal.repeat).push_back(us);
  }
  signal.repeats = signal.repeat.empty() ? 0 : 1;
  return signal;
}

std::vector<uint16_t> TIrProntoFile::ToWords(const TIrSignal& signal, std::string* note) {
  // An unmodulated signal keeps a 38 kHz time base.
  const int carrier = signal.carrier_hz > 0 ? signal.carrier_hz : 38000;
  const auto frequency = static_cast<uint16_t>(std::clamp<long>(std::lround(1e6 / (carrier * kUnitUs)), 1, 0xFFFF));
  const double unit = frequency * kUnitUs;
  std::vector<uint16_t> words{signal.carrier_hz > 0 ? kLearned : kLearnedUnmodulated, frequency,
                              static_cast<uint16_t>(std::min<std::size_t>(signal.once.size() / 2, 0xFFFF)),
                              static_cast<uint16_t>(std::min<std::size_t>(signal.repeat.size() / 2, 0xFFFF))};
  bool cut = false;
  for (const auto* part : {&signal.once, &signal.repeat}) {
    for (uint32_t us : *part) {
      const long units = std::lround(us / unit);
      cut = cut || units > 0xFFFF;
      words.push_back(static_cast<uint16_t>(std::clamp<long>(units, 1, 0xFFFF)));
    }
  }
  if (cut && note) *note = "a duration longer than 65535 carrier cycles was cut to that length";
  return words;
}

std::string TIrProntoFile::ToText(const std::vector<uint16_t>& words) {
  std::string out;
  for (uint16_t w : words) out += (out.empty() ? "" : " ") + Hex(w);
  return out;
}

TIrParsedFile TIrProntoFile::Parse(std::string_view text, const std::string& file) {
  TIrTextReader in(text, file);
  TIrParsedFile out;
  std::string name;       // the name line before the code
  int nameLine = 0;
  std::vector<uint16_t> words;  // the code being read
  int codeLine = 0;
  std::size_t wanted = 0;       // words the code being read needs
  int unnamed = 0;

  auto finish = [&]() {
    TIrNamedSignal entry;
    entry.line = codeLine;
    entry.name = name.empty() ? "Signal " + std::to_string(++unnamed) : name;
    try {
      entry.signal = TIrProntoFile::FromWords(words);
      const std::string problem = entry.signal.Problem();
      if (!problem.empty()) throw std::invalid_argument(problem);
    } catch (const std::invalid_argument& e) {
      out.messages.push_back(in.Message(codeLine, "\"" + entry.name + "\": " + e.what() + "; code skipped"));
      entry.signal = TIrSignal{};
    }
    if (!entry.signal.Empty()) {
      if (out.entries.size() >= 10000) in.Fail(codeLine, "more than 10000 codes");
      out.entries.push_back(std::move(entry));
    }
    name.clear();
    words.clear();
    wanted = 0;
  };

  std::string_view line;
  while (in.Next(line)) {
    if (line.empty()) {
      if (!words.empty()) in.Fail("the code that starts on line " + std::to_string(codeLine) + " ends after " +
                                  std::to_string(words.size()) + " of " + std::to_string(wanted) + " words");
      continue;
    }
    if (line.front() == '#') continue;
    std::string_view data = line;
    if (words.empty()) {
      // "NAME: 0000 ..." or a line of words starting a code, else a name.
      const std::size_t colon = line.find(':');
      const auto tokens = TIrTextReader::Split(line);
      const bool startsCode = tokens.size() >= 4 && IsWord(tokens[0]) && IsWord(tokens[1]) && IsWord(tokens[2]) &&
                              IsWord(tokens[3]);
      if (!startsCode) {
        if (colon != std::string_view::npos) {
          const auto after = TIrTextReader::Split(line.substr(colon + 1));
          if (!after.empty() && IsWord(after[0])) {
            name = std::string(TIrTextReader::Trim(line.substr(0, colon)));
            nameLine = in.Line();
            data = line.substr(colon + 1);
          }
        }
        if (data.data() == line.data()) {
          if (!name.empty()) {
            out.messages.push_back(in.Message(nameLine, "\"" + name + "\": no code follows the name"));
          }
          name = std::string(line);
          nameLine = in.Line();
          continue;
        }
      }
      codeLine = in.Line();
    }
    for (std::string_view token : TIrTextReader::Split(data)) {
      if (!IsWord(token)) in.Fail("\"" + TIrTextReader::Quote(token) + "\" is not a four-digit hex word");
      words.push_back(Word(token));
      if (words.size() == 4) {
        wanted = 4 + 2 * (std::size_t{words[2]} + words[3]);
        if (wanted > kMaxWords) in.Fail("a code of " + std::to_string(wanted) + " words is longer than any signal");
      }
      if (words.size() > 4 && words.size() > wanted) in.Fail("more words than the code's counts say");
    }
    if (words.size() >= 4 && words.size() == wanted) finish();
  }
  if (!words.empty()) {
    throw TIrFormatError(file, codeLine, "the code ends after " + std::to_string(words.size()) + " of " +
                                             std::to_string(std::max<std::size_t>(wanted, 4)) + " words");
  }
  if (!name.empty()) out.messages.push_back(in.Message(nameLine, "\"" + name + "\": no code follows the name"));
  return out;
}

std::string TIrProntoFile::Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  // A name must not look like the start of a code or hold a line break.
  names = TIrNames::Make(
      names,
      [](const std::string& n) {
        std::string clean(TIrTextReader::Trim(TIrNames::PrintableAscii(n, ":#")));
        const auto tokens = TIrTextReader::Split(clean);
        if (tokens.size() >= 4 && IsWord(tokens[0]) && IsWord(tokens[1]) && IsWord(tokens[2]) && IsWord(tokens[3])) {
          clean = "_" + clean;
        }
        return clean;
      },
      "printable ASCII without : or #, not read as a code", notes);
  std::string out;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // Pronto sends the repeated part at least once and then while the
    // button is held: a press of REPEATS copies keeps all but one of them
    // in the once part, and a press without a copy has no repeated part.
    TIrSignal signal = entries[i].signal;
    if (signal.repeats > 1) signal.once = signal.Flatten(signal.repeats - 1);
    if (signal.repeats < 1 && !signal.once.empty()) signal.repeat.clear();
    std::string note;
    const std::vector<uint16_t> words = ToWords(signal, &note);
    if (!note.empty()) notes.push_back("\"" + entries[i].name + "\": " + note);
    out += names[i] + "\n" + ToText(words) + "\n\n";
  }
  return out;
}

}  // namespace quillon
