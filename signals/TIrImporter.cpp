#include "signals/TIrImporter.h"

#include <memory>

#include "irmodel/CDriverDocText.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "platform/Cp1252.h"
#include "signals/TIrSignalLearner.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

// UTF-8 to Windows-1252 character by character; what the code page lacks
// (and bytes that are not UTF-8) becomes '_'.
std::string ToCp1252(const std::string& utf8, bool& lossy) {
  if (auto whole = Utf8ToCp1252(utf8)) return *whole;
  lossy = true;
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    bool whole = i + length <= utf8.size();
    for (std::size_t k = 1; whole && k < length; ++k) whole = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    if (!whole) length = 1;  // a stray byte
    const auto one = whole ? Utf8ToCp1252(utf8.substr(i, length)) : std::nullopt;
    out += one ? *one : "_";
    i += length;
  }
  return out;
}

std::string Quoted(const std::string& cp1252) { return "\"" + Cp1252ToUtf8(cp1252) + "\""; }

}  // namespace

std::string TIrImporter::StoredName(const std::string& name, std::string& why) {
  why.clear();
  bool lossy = false;
  std::string stored = ToCp1252(name, lossy);
  if (lossy) why = "characters Windows-1252 lacks";
  if (CDriverDocText::CleanHeaderText(stored)) why = "function names may not hold <, >, ', \" or &";
  std::string clean;
  for (char c : stored) clean.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '_' : c);
  if (clean != stored && why.empty()) why = "control characters";
  stored = std::string(TIrTextReader::Trim(clean));
  if (stored.size() > kMaxNameLength) {
    stored.resize(kMaxNameLength);
    if (why.empty()) why = "longer than " + std::to_string(kMaxNameLength) + " characters";
  }
  if (stored.empty() || TQVXIrFunction::IsEmptyName(stored.c_str())) {
    stored = "Signal";
    if (why.empty()) why = "not a usable name";
  }
  if (why.empty() && Cp1252ToUtf8(stored) != name) why = "blanks around the name";
  return stored;
}

TIrImporter::Report TIrImporter::Import(const std::vector<TIrNamedSignal>& signals, TQVXIr& driver,
                                        const std::string& file) const {
  Report report;
  const TIrSignalLearner learner(m_kind);
  for (const TIrNamedSignal& entry : signals) {
    // The text is copied out before the error that made it goes away.
    auto where = [&](const std::string& text) -> std::string {
      return TIrFormatError(file, entry.line, "\"" + entry.name + "\": " + text).what();
    };
    const TIrSignalLearner::Outcome learned = learner.Learn(entry.signal);
    if (learned.result != 0) {
      report.warnings.push_back(
          where("not imported: " + learned.status + " (analysis result " + std::to_string(learned.result) + ")"));
      continue;
    }

    if (!learned.deviation.empty()) {
      report.warnings.push_back(where("imported with a duration beyond the tolerance: " + learned.deviation));
    }
    std::string why;
    std::string name = StoredName(entry.name, why);
    TQVXIrFunction* target = driver.FindFunction(name);
    if (target != nullptr && target->GetSubFunctionCount() > 0) {
      // Taken by a function with IR data: the first free "NAME_n".
      const std::string base = name.substr(0, kMaxNameLength - 5);
      for (int n = 0; n < 1024 && driver.FindFunction(name) != nullptr; ++n) name = base + "_" + std::to_string(n);
      if (driver.FindFunction(name) != nullptr) {
        report.warnings.push_back(where("not imported: no free name"));
        continue;
      }
      why = "a function of that name exists";
      target = nullptr;
    }
    if (target == nullptr && driver.GetFunctionCount() >= kMaxFunctions) {
      report.warnings.push_back(where("not imported: the driver already holds " + std::to_string(kMaxFunctions) +
                                      " functions"));
      continue;
    }
    if (!why.empty()) report.notes.push_back(where("stored as " + Quoted(name) + " (" + why + ")"));

    if (target != nullptr) {
      // A placeholder of a standard command takes the signal.
      target->ClearSubFunctions();
      target->AddSubFunctionCopy(learned.sub.get());
      target->SetModified(true);
    } else {
      auto function = std::make_unique<TQVXIrFunction>();
      function->SetName(name);
      function->AddSubFunctionCopy(learned.sub.get());
      function->SetNew(true);
      driver.Append(std::move(function));
    }
    ++report.imported;
  }
  return report;
}

}  // namespace quillon
