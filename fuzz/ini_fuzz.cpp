// INI texts: any bytes load into the store, and the store holds exactly what
// the lines say: the sections and pairs a plain reading of the text under the
// store's line rules gives, in their order, spelled as they first occur, with
// the last value given to a key. Every value is found again by section and
// key; the text the store saves loads into a store holding the same sections
// and values, which saves the same text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/CMemINI.h"
#include "fuzz/FuzzTarget.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
struct Section {
  std::string name;
  Pairs pairs;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text read line by line: a line ends after its LF, after 4096 bytes, or
// at the end; a NUL ends the line's text.
class Reading {
 public:
  std::vector<Section> sections;
  int stored = 0;

  void Read(std::string_view input) {
    while (!input.empty()) {
      std::string_view piece = input.substr(0, 4096);
      const std::size_t lf = piece.find('\n');
      if (lf != std::string_view::npos) piece = piece.substr(0, lf + 1);
      input.remove_prefix(piece.size());
      Line(piece.substr(0, piece.find('\0')));
    }
  }

 private:
  void Line(std::string_view line) {
    if (line.size() < 2) return;
    // Trailing blanks and line ends go, but the first character stays.
    while (line.size() > 1 && (IsBlank(line.back()) || line.back() == '\r' || line.back() == '\n'))
      line.remove_suffix(1);
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first >= 4095) return;
    line.remove_prefix(first);
    if (!line.empty() && line[0] == '[') {
      const std::size_t close = line.find(']', 1);
      if (close == std::string_view::npos) return;
      std::string_view name = line.substr(1, close - 1);
      while (name.size() > 1 && name.back() == ' ') name.remove_suffix(1);
      if (name.empty()) return;
      const auto [known, added] = sectionIndex_.emplace(Lower(name), sections.size());
      if (added) {
        sections.push_back(Section{std::string(name), {}});
        keyIndex_.emplace_back();
      }
      current_ = known->second;
      return;
    }
    if (line.empty() || line[0] == ';' || line[0] == '/' || line[0] == '=' || current_ == kNone) return;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    std::size_t valueStart = equals + 1;
    while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
    if (valueStart == line.size()) return;
    const std::string_view value = line.substr(valueStart);
    Pairs& pairs = sections[current_].pairs;
    const auto [known, added] = keyIndex_[current_].emplace(Lower(key), pairs.size());
    if (added)
      pairs.emplace_back(std::string(key), std::string(value));
    else
      pairs[known->second].second = std::string(value);
    ++stored;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t current_ = kNone;
  // Positions by name without regard to case.
  std::unordered_map<std::string, std::size_t> sectionIndex_;
  std::vector<std::unordered_map<std::string, std::size_t>> keyIndex_;
};

// STORE holds exactly SECTIONS. With LOOKUPS values are also found by
// section and key in other letter case (the first pairs of a section and a
// spread of the rest: every lookup is a scan).
void CheckHolds(const quillon::CMemINI& store, const std::vector<Section>& sections, bool lookups) {
  QUILLON_FUZZ_CHECK(store.GetCount() == static_cast<int>(sections.size()));
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const quillon::CMemINISection* section = store.GetAt(static_cast<int>(i));
    QUILLON_FUZZ_CHECK(section != nullptr);
    QUILLON_FUZZ_CHECK(section->GetName() == sections[i].name);
    if (lookups && (i < 8 || i % 32 == 0)) QUILLON_FUZZ_CHECK(store.FindSection(Lower(sections[i].name)) == section);
    const Pairs& pairs = sections[i].pairs;
    QUILLON_FUZZ_CHECK(section->GetCount() == static_cast<int>(pairs.size()));
    for (std::size_t k = 0; k < pairs.size(); ++k) {
      const quillon::CMemINIValue* value = section->GetAt(static_cast<int>(k));
      QUILLON_FUZZ_CHECK(value != nullptr);
      QUILLON_FUZZ_CHECK(value->GetKey() == pairs[k].first && value->GetValue() == pairs[k].second);
      if (lookups && (k < 8 || k % 64 == 0 || k + 1 == pairs.size())) {
        QUILLON_FUZZ_CHECK(store.GetString(sections[i].name, pairs[k].first, "") == pairs[k].second);
        QUILLON_FUZZ_CHECK(section->FindValue(Lower(pairs[k].first)) == value);
      }
    }
  }
}

}  // namespace

QUILLON_FUZZ_TARGET(ini) {
  using namespace quillon;
  const std::string input(reinterpret_cast<const char*>(data), size);
  CMemINI ini;
  const int pairs = ini.LoadBuffer(input.data(), input.size());

  Reading reading;
  reading.Read(input);
  QUILLON_FUZZ_CHECK(pairs == reading.stored);
  CheckHolds(ini, reading.sections, true);

  // Saved and read back, every value is there again.
  const std::string text = ini.SaveText();
  CMemINI again;
  again.LoadBuffer(text);
  CheckHolds(again, reading.sections, false);
  QUILLON_FUZZ_CHECK(again.SaveText() == text);
  return 0;
}
