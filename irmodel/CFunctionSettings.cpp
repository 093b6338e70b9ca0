#include "irmodel/CFunctionSettings.h"

#include "irmodel/CSubFunctionText.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"

namespace quillon {

std::string CFunctionSettings::StatusText(unsigned flags) {
  std::string text;
  const auto add = [&text](const char* word) {
    if (!text.empty()) text += ", ";
    text += word;
  };
  if (flags & TQVXIrFunction::kNew) add("New");
  if (flags & TQVXIrFunction::kModified) add("Modified");
  if (flags & TQVXIrFunction::kLearned) add("Learned");
  if (flags & TQVXIrFunction::kLearnFailed) add("Learn Failed");
  return text.empty() ? "Unchanged" : text;
}

CFunctionSettings CFunctionSettings::Of(const TQVXIr& driver, const std::vector<int>& positions) {
  CFunctionSettings settings;
  std::vector<std::pair<int, const TQVXIrFunction*>> selected;
  for (int position : positions) {
    if (const TQVXIrFunction* function = driver.GetFunction(position)) selected.emplace_back(position, function);
  }
  settings.m_count = static_cast<int>(selected.size());
  if (selected.empty()) return settings;

  int subs = 0;
  int modulated = 0;
  const TQVXIrSubFunction* firstSub = nullptr;
  for (const auto& [position, function] : selected) {
    for (int j = 0; j < function->GetSubFunctionCount(); ++j) {
      const TQVXIrSubFunction* sub = function->GetSubFunction(j);
      if (sub == nullptr) continue;
      if (firstSub == nullptr) firstSub = sub;
      ++subs;
      if (sub->IsModulated()) ++modulated;
    }
  }
  if (firstSub != nullptr) settings.m_repeatCount = firstSub->GetRepeatCount();
  settings.m_modulation = subs == 0            ? Modulation::kNone
                          : modulated == subs  ? Modulation::kOn
                          : modulated == 0     ? Modulation::kOff
                                               : Modulation::kMixed;

  auto& rows = settings.m_rows;
  if (selected.size() > 1) {
    std::string names;
    for (const auto& entry : selected) {
      if (!names.empty()) names += ", ";
      names += entry.second->GetName() ? entry.second->GetName() : "";
    }
    rows.emplace_back("Selected", std::to_string(selected.size()) + " functions");
    rows.emplace_back("Names", names);
    rows.emplace_back("Sub-Functions", std::to_string(subs));
    return settings;
  }
  const auto& [position, function] = selected.front();
  rows.emplace_back("Name", function->GetName() ? function->GetName() : "");
  rows.emplace_back("Index", std::to_string(position));
  rows.emplace_back("Sub-Functions", std::to_string(subs));
  if (firstSub != nullptr) {
    rows.emplace_back("Carrier", CSubFunctionText::CarrierText(*firstSub));
    rows.emplace_back("Min. Repeats", std::to_string(firstSub->GetRepeatCount()));
    rows.emplace_back("Modulated", firstSub->IsModulated() ? "Yes" : "No");
    try {
      rows.emplace_back("Stored Size", std::to_string(function->GetStoredSize()) + " bytes");
    } catch (const TQVXIrException&) {
      // A function with a missing sub-function entry has no stored size.
    }
  } else {
    rows.emplace_back("IR Data", "None (placeholder)");
  }
  rows.emplace_back("Status", StatusText(function->GetFlags()));
  return settings;
}

}  // namespace quillon
