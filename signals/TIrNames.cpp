#include "signals/TIrNames.h"

#include <cctype>

namespace quillon {

bool TIrNames::EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string TIrNames::PrintableAscii(const std::string& name, const std::string& banned) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      // One '_' for a whole UTF-8 sequence.
      while (i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) ++i;
      out.push_back('_');
    } else if (c < 0x20 || c == 0x7F || banned.find(static_cast<char>(c)) != std::string::npos) {
      out.push_back('_');
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::vector<std::string> TIrNames::Make(const std::vector<std::string>& names,
                                        const std::function<std::string(const std::string&)>& rule,
                                        const std::string& reason, std::vector<std::string>& notes) {
  std::vector<std::string> out;
  for (const std::string& name : names) {
    std::string candidate = rule(name);
    std::string why = candidate == name ? std::string() : reason;
    if (candidate.empty()) {
      candidate = "Signal";
      why = "no name";
    }
    auto taken = [&out](const std::string& n) {
      for (const std::string& used : out) {
        if (EqualNoCase(used, n)) return true;
      }
      return false;
    };
    if (taken(candidate)) {
      const std::string base = candidate;
      for (int n = 2; taken(candidate); ++n) candidate = base + "_" + std::to_string(n);
      if (why.empty()) why = "name already used";
    }
    if (candidate != name) notes.push_back("\"" + name + "\": written as \"" + candidate + "\" (" + why + ")");
    out.push_back(candidate);
  }
  return out;
}

}  // namespace quillon
