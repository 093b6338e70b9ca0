#pragma once
// Button names as interchange formats allow them: the writers pass every
// name through a format's rule and keep the results unique (ignoring case),
// describing each change.
#include <functional>
#include <string>
#include <vector>

namespace quillon {

class TIrNames {
 public:
  // Makes NAMES unique ignoring case after RULE has made each acceptable to
  // the format: a name left empty becomes "Signal", a name already given gets
  // "_2", "_3", ... appended. Every name that changed adds a note
  // "NAME: written as NEW (REASON)" with the rule's reason, or "(name
  // already used)".
  static std::vector<std::string> Make(const std::vector<std::string>& names,
                                       const std::function<std::string(const std::string&)>& rule,
                                       const std::string& reason, std::vector<std::string>& notes);
  // NAME with every byte outside printable ASCII, and every byte BANNED
  // holds, replaced by '_' (a UTF-8 character becomes one '_').
  static std::string PrintableAscii(const std::string& name, const std::string& banned = "");
  static bool EqualNoCase(const std::string& a, const std::string& b);
};

}  // namespace quillon
