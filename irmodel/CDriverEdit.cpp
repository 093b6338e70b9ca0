#include "irmodel/CDriverEdit.h"

#include "irmodel/TQVXIrHeaderEntry.h"

namespace quillon {
namespace {

using Entry = TQVXIrHeaderEntry;

// Entries a save writes by itself; they say nothing about the user's edits.
bool MaintainedBySave(int tag) {
  return tag == Entry::kFormatVersion || tag == Entry::kSavedTime || tag == Entry::kProgramVersion ||
         tag == Entry::kFileName;
}

// The header entries an edit can change, in order.
std::vector<const Entry*> EditableEntries(const TQVXIrHeader& header) {
  std::vector<const Entry*> entries;
  for (int i = 0; i < header.GetEntryCount(); ++i) {
    const Entry* entry = header.GetEntry(i);
    if (entry != nullptr && !MaintainedBySave(entry->GetTag())) entries.push_back(entry);
  }
  return entries;
}

bool SameEntry(const Entry& a, const Entry& b) {
  if (a.GetTag() != b.GetTag() || a.HasData() != b.HasData() || a.IsBinary() != b.IsBinary()) return false;
  return a.GetBytes() == b.GetBytes();
}

bool SameName(const TQVXIrFunction& a, const TQVXIrFunction& b) {
  if (a.HasName() != b.HasName()) return false;
  return !a.HasName() || std::string(a.GetName()) == b.GetName();
}

}  // namespace

std::string CDriverEdit::Label(const std::string& verb, const std::vector<std::string>& names) {
  if (names.empty()) return verb;
  if (names.size() == 1) return verb + " " + names.front();
  return verb + " " + std::to_string(names.size()) + " Functions";
}

bool CDriverEdit::SameSubFunction(const TQVXIrSubFunction& a, const TQVXIrSubFunction& b) {
  return a.GetFlags() == b.GetFlags() && a.GetDivider() == b.GetDivider() &&
         a.GetGranularity() == b.GetGranularity() && a.GetHeaderCount() == b.GetHeaderCount() &&
         a.GetBodyCount() == b.GetBodyCount() && a.GetCounts() == b.GetCounts() && a.GetTimes() == b.GetTimes() &&
         a.GetSelectors() == b.GetSelectors();
}

bool CDriverEdit::SameSignal(const TQVXIrFunction& a, const TQVXIrFunction& b) {
  if (a.GetSubFunctionCount() != b.GetSubFunctionCount()) return false;
  for (int i = 0; i < a.GetSubFunctionCount(); ++i) {
    const TQVXIrSubFunction* first = a.GetSubFunction(i);
    const TQVXIrSubFunction* second = b.GetSubFunction(i);
    if ((first == nullptr) != (second == nullptr)) return false;
    if (first != nullptr && !SameSubFunction(*first, *second)) return false;
  }
  return true;
}

bool CDriverEdit::SameContent(const TQVXIr& a, const TQVXIr& b) {
  if (&a == &b) return true;
  if (a.GetKind() != b.GetKind() || a.GetFunctionCount() != b.GetFunctionCount()) return false;
  for (int i = 0; i < a.GetFunctionCount(); ++i) {
    const TQVXIrFunction* first = a.GetFunction(i);
    const TQVXIrFunction* second = b.GetFunction(i);
    if ((first == nullptr) != (second == nullptr)) return false;
    if (first != nullptr && !(SameName(*first, *second) && SameSignal(*first, *second))) return false;
  }
  const std::vector<const Entry*> first = EditableEntries(a.GetHeader());
  const std::vector<const Entry*> second = EditableEntries(b.GetHeader());
  if (first.size() != second.size()) return false;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (!SameEntry(*first[i], *second[i])) return false;
  }
  return true;
}

}  // namespace quillon
