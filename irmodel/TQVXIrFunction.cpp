#include "irmodel/TQVXIrFunction.h"

#include <cstring>

#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadStream.h"
#include "irmodel/TQVXIrSaveStream.h"

namespace quillon {

namespace {

constexpr int kRecordMarker = 0x55;
constexpr int kMaxSubFunctions = 255;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool NamesEqual(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  while (*a && *b) {
    if (Fold(*a) != Fold(*b)) return false;
    ++a;
    ++b;
  }
  return *a == *b;
}

TQVXIrFunction::TQVXIrFunction() = default;

TQVXIrFunction::TQVXIrFunction(const TQVXIrFunction& other) : name_(other.name_), flags_(other.flags_) {
  for (const auto& sub : other.subs_) subs_.push_back(sub ? std::make_unique<TQVXIrSubFunction>(*sub) : nullptr);
}

TQVXIrFunction& TQVXIrFunction::operator=(const TQVXIrFunction& other) {
  if (this == &other) return *this;
  std::deque<std::unique_ptr<TQVXIrSubFunction>> copies;
  for (const auto& sub : other.subs_) copies.push_back(sub ? std::make_unique<TQVXIrSubFunction>(*sub) : nullptr);
  name_ = other.name_;
  flags_ = other.flags_;
  subs_ = std::move(copies);
  return *this;
}

TQVXIrFunction::~TQVXIrFunction() = default;

TQVXIrFunction::TQVXIrFunction(TQVXIrLoadStream& stream) {
  const int count = stream.ReadByte() & 0xFF;
  const std::int64_t base = stream.Tell();
  int offsets[kMaxSubFunctions];
  for (int j = 0; j < count; ++j) offsets[j] = stream.Read16() & 0xFFFF;
  if (stream.ReadByte() != kRecordMarker) throw TQVXIrException(TQVXIrException::kCorruptFile);
  for (int j = 0; j < count; ++j) {
    stream.Seek(base + 2 * j + offsets[j]);
    subs_.push_back(std::make_unique<TQVXIrSubFunction>(stream));
  }
}

void TQVXIrFunction::SetName(const char* name) {
  if (name == nullptr)
    name_.reset();
  else
    name_ = std::string(name);
}

void TQVXIrFunction::SetName(const std::string& name) { SetName(name.c_str()); }

TQVXIrSubFunction* TQVXIrFunction::GetSubFunction(int i) const {
  if (i < 0 || i >= GetSubFunctionCount()) return nullptr;
  return subs_[static_cast<std::size_t>(i)].get();
}

int TQVXIrFunction::AddSubFunction(std::unique_ptr<TQVXIrSubFunction> sub) {
  if (!sub) return -1;
  const int previous = GetSubFunctionCount();
  subs_.push_back(std::move(sub));
  return previous;
}

int TQVXIrFunction::AddSubFunctionCopy(const TQVXIrSubFunction* sub) {
  if (sub == nullptr) return -1;
  return AddSubFunction(std::make_unique<TQVXIrSubFunction>(*sub));
}

void TQVXIrFunction::ClearSubFunctions() { subs_.clear(); }

std::unique_ptr<TQVXIrSubFunction> TQVXIrFunction::DetachSubFunction(int i) {
  if (i < 0 || i >= GetSubFunctionCount()) return nullptr;
  auto it = subs_.begin() + i;
  std::unique_ptr<TQVXIrSubFunction> sub = std::move(*it);
  subs_.erase(it);
  return sub;
}

TQVXIrSubFunction* TQVXIrFunction::FindMatch(const TQVXIrSubFunction* sub, float timeTolerance,
                                             float dividerTolerance) const {
  for (const auto& own : subs_) {
    if (own && own->Matches(sub, timeTolerance, dividerTolerance)) return own.get();
  }
  return nullptr;
}

bool TQVXIrFunction::HasMatch(const TQVXIrSubFunction* sub, float timeTolerance, float dividerTolerance) const {
  return FindMatch(sub, timeTolerance, dividerTolerance) != nullptr;
}

int TQVXIrFunction::CountNonNullSubFunctions() const {
  int n = 0;
  for (const auto& sub : subs_) n += sub ? 1 : 0;
  return n;
}

int TQVXIrFunction::GetStoredSize() const {
  int size = 2 * GetSubFunctionCount() + 2;
  for (const auto& sub : subs_) {
    if (!sub) throw TQVXIrException(TQVXIrException::kRuntimeError);
    size += sub->GetStoredSize();
  }
  return size;
}

int TQVXIrFunction::Write(TQVXIrSaveStream& stream) const {
  const int count = GetSubFunctionCount();
  if (count > kMaxSubFunctions) throw TQVXIrException(TQVXIrException::kRuntimeError);
  for (const auto& sub : subs_) {
    if (!sub) throw TQVXIrException(TQVXIrException::kRuntimeError);
  }
  int written = stream.WriteByte(count);
  // Offset words count from their own position; records follow without gaps.
  int offset = 2 * count + 1;
  for (const auto& sub : subs_) {
    written += stream.Write16(offset);
    offset += sub->GetStoredSize() - 2;
  }
  written += stream.WriteByte(kRecordMarker);
  for (const auto& sub : subs_) written += sub->Write(stream);
  return written;
}

bool TQVXIrFunction::IsEmptyName(const char* name) {
  return name == nullptr || name[0] == '\0' || NamesEqual(name, kEmptyName);
}

bool TQVXIrFunction::IsEmpty() const { return IsEmptyName(GetName()) || subs_.empty(); }

bool TQVXIrFunction::IsEmpty(const TQVXIrFunction* function) { return function == nullptr || function->IsEmpty(); }

}  // namespace quillon
