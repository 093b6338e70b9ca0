#include "irmodel/TQVXIrHeader.h"

namespace quillon {

TQVXIrHeader::TQVXIrHeader() = default;

TQVXIrHeader::TQVXIrHeader(const TQVXIrHeader& other) {
  for (const auto& entry : other.entries_) {
    if (entry) entries_.push_back(std::make_unique<TQVXIrHeaderEntry>(*entry));
  }
}

TQVXIrHeader& TQVXIrHeader::operator=(const TQVXIrHeader& other) {
  if (this == &other) return *this;
  // Entries are copied whole, tag and data alike, so binary entries of any
  // tag keep their bytes.
  std::vector<std::unique_ptr<TQVXIrHeaderEntry>> copies;
  for (const auto& entry : other.entries_) {
    if (entry) copies.push_back(std::make_unique<TQVXIrHeaderEntry>(*entry));
  }
  entries_ = std::move(copies);
  names_.clear();
  return *this;
}

TQVXIrHeader::~TQVXIrHeader() = default;

TQVXIrHeaderEntry* TQVXIrHeader::FindEntry(int tag) const {
  for (const auto& entry : entries_) {
    if (entry && entry->GetTag() == tag) return entry.get();
  }
  return nullptr;
}

const char* TQVXIrHeader::GetText(int tag) const {
  const TQVXIrHeaderEntry* entry = FindEntry(tag);
  return entry ? entry->GetText() : nullptr;
}

int TQVXIrHeader::AddText(int tag, const char* text) {
  entries_.push_back(std::make_unique<TQVXIrHeaderEntry>(tag, text));
  return 1;
}

int TQVXIrHeader::AddBinary(int tag, int size, const std::uint8_t* bytes) {
  entries_.push_back(std::make_unique<TQVXIrHeaderEntry>(tag, size, bytes));
  return 1;
}

void TQVXIrHeader::SetText(int tag, const char* text) {
  if (TQVXIrHeaderEntry* entry = FindEntry(tag))
    entry->SetText(text);
  else
    AddText(tag, text);
}

void TQVXIrHeader::SetBinary(int tag, int size, const std::uint8_t* bytes) {
  if (TQVXIrHeaderEntry* entry = FindEntry(tag))
    entry->SetBinary(size, bytes);
  else
    AddBinary(tag, size, bytes);
}

int TQVXIrHeader::RemoveEntry(int tag) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (*it && (*it)->GetTag() == tag) {
      entries_.erase(it);
      return 1;
    }
  }
  return 0;
}

void TQVXIrHeader::Clear() {
  entries_.clear();
  names_.clear();
}

TQVXIrHeaderEntry* TQVXIrHeader::GetEntry(int i) const {
  if (i < 0 || i >= GetEntryCount()) return nullptr;
  return entries_[static_cast<std::size_t>(i)].get();
}

void TQVXIrHeader::AddEntry(std::unique_ptr<TQVXIrHeaderEntry> entry) {
  if (entry) entries_.push_back(std::move(entry));
}

}  // namespace quillon
