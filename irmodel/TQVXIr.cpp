#include "irmodel/TQVXIr.h"

#include <new>

#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadFile.h"
#include "irmodel/TQVXIrLoadStream.h"
#include "irmodel/TQVXIrSaveStream.h"

namespace quillon {

namespace {

constexpr int kSlotTableMarker = 0x12;
constexpr int kEntryListEnd = 0x56;
constexpr int kMaxSlots = 255;
constexpr int kMaxOffset = 0xFFFF;
constexpr int kMaxEntryLength = 255;

// The function-name table lives only for one load or save; this empties it
// however the operation ends.
class NameTableScope {
 public:
  explicit NameTableScope(TQVXIrHeader& header) : header_(header) { header_.ClearNames(); }
  ~NameTableScope() { header_.ClearNames(); }
  NameTableScope(const NameTableScope&) = delete;
  NameTableScope& operator=(const NameTableScope&) = delete;

 private:
  TQVXIrHeader& header_;
};

[[noreturn]] void Fail(int code) { throw TQVXIrException(code); }

// The name slot I contributes to a saved name table: a function with IR data
// always keeps its name; a placeholder keeps a name of its own only beyond
// the standard slots.
std::string SlotName(const TQVXIrFunction* f, int slot, int standardSlots) {
  if (f == nullptr) Fail(TQVXIrException::kRuntimeError);
  if (!f->IsEmpty()) return f->GetName();
  const char* name = f->GetName();
  if (name != nullptr && name[0] != '\0' && slot >= standardSlots && !NamesEqual(name, TQVXIrFunction::kEmptyName))
    return name;
  return std::string();
}

}  // namespace

TQVXIr::TQVXIr(const char* path) {
  if (path != nullptr && path[0] != '\0') LoadFile(path);
}

TQVXIr::TQVXIr(const TQVXIr& other)
    : TFunctionDeque(other), header_(other.header_), kind_(other.kind_), path_(other.path_) {}

TQVXIr& TQVXIr::operator=(const TQVXIr& other) {
  Assign(other);
  return *this;
}

TQVXIr::~TQVXIr() = default;

void TQVXIr::Assign(const TQVXIr& other) {
  if (this == &other) return;
  TFunctionDeque::operator=(other);
  header_ = other.header_;
  kind_ = other.kind_;
  path_ = other.path_;
}

const char* TQVXIr::KindLabel(std::uint8_t kind) {
  switch (kind) {
    case 0: return "IR Driver:  ";
    case 1: return "X10 Driver:  ";
    case 2:
    case 3: return "Multifunction IR Driver:  ";
    default: return "";
  }
}

void TQVXIr::SetFileName(const char* path) {
  if (path == nullptr)
    path_.reset();
  else
    path_ = std::string(path);
}

TQVXIrFunction* TQVXIr::FindFunction(const char* name) const {
  const int i = IndexOfFunction(name);
  return i < 0 ? nullptr : At(i);
}

int TQVXIr::IndexOfFunction(const char* name) const {
  if (name == nullptr || name[0] == '\0') return -1;
  for (int i = 0; i < Count(); ++i) {
    const TQVXIrFunction* f = At(i);
    if (f && NamesEqual(f->GetName(), name)) return i;
  }
  return -1;
}

int TQVXIr::Append(std::unique_ptr<TQVXIrFunction> function) {
  if (!function) return -1;
  if (IndexOf(function.get()) >= 0) {
    // Already listed: the list keeps owning it.
    (void)function.release();
    return -1;
  }
  const int previous = Count();
  PushBack(std::move(function));
  return previous;
}

int TQVXIr::AppendCopy(const TQVXIrFunction& function) {
  return Append(std::make_unique<TQVXIrFunction>(function));
}

int TQVXIr::InsertAt(int position, std::unique_ptr<TQVXIrFunction> function) {
  if (!function) return -1;
  if (IndexOf(function.get()) >= 0) {
    (void)function.release();
    return -1;
  }
  if (position < 0) position = 0;
  if (position > Count()) position = Count();
  Items().insert(Items().begin() + position, std::move(function));
  return position;
}

std::unique_ptr<TQVXIrFunction> TQVXIr::Detach(int position) { return TakeAt(position); }

std::unique_ptr<TQVXIrFunction> TQVXIr::Detach(const TQVXIrFunction* function) {
  const int i = IndexOf(function);
  return i < 0 ? nullptr : TakeAt(i);
}

int TQVXIr::Delete(int position) { return TakeAt(position) ? 1 : 0; }

int TQVXIr::Delete(const TQVXIrFunction* function) { return Detach(function) ? 1 : 0; }

int TQVXIr::Delete(const char* name) {
  const int i = IndexOfFunction(name);
  return i < 0 ? 0 : Delete(i);
}

void TQVXIr::Clear() { DestroyAll(); }

bool TQVXIr::IsMultiFunction() const {
  for (const auto& f : Items()) {
    if (f && f->CountNonNullSubFunctions() > 1) return true;
  }
  return false;
}

int TQVXIr::ApplyCommandList(const std::vector<std::string>& names, TFunctionDeque* overflow) {
  for (const auto& name : names) {
    if (name.empty()) return 2;
  }
  auto& slots = Items();
  const int oldCount = Count();
  std::deque<std::unique_ptr<TQVXIrFunction>> rebuilt;
  auto place = [&](std::unique_ptr<TQVXIrFunction> f) {
    if (overflow != nullptr && static_cast<int>(rebuilt.size()) >= kMaxListedFunctions)
      overflow->PushBack(std::move(f));
    else
      rebuilt.push_back(std::move(f));
  };
  for (int k = 0; k < static_cast<int>(names.size()); ++k) {
    const char* name = names[static_cast<std::size_t>(k)].c_str();
    int found = -1;
    for (int i = 0; i < oldCount; ++i) {
      if (slots[static_cast<std::size_t>(i)] && NamesEqual(slots[static_cast<std::size_t>(i)]->GetName(), name)) {
        found = i;
        break;
      }
    }
    if (found >= 0) {
      place(std::move(slots[static_cast<std::size_t>(found)]));
      continue;
    }
    if (k < oldCount) {
      auto& slot = slots[static_cast<std::size_t>(k)];
      if (slot && TQVXIrFunction::IsEmptyName(slot->GetName()) && slot->GetSubFunctionCount() == 0) {
        slot->SetName(name);
        place(std::move(slot));
        continue;
      }
    }
    auto created = std::make_unique<TQVXIrFunction>();
    created->SetName(name);
    const bool vacated = k < oldCount && !slots[static_cast<std::size_t>(k)];
    if (!vacated) created->SetNew(true);
    place(std::move(created));
  }
  for (auto& slot : slots) {
    if (slot) place(std::move(slot));
  }
  slots = std::move(rebuilt);
  return 0;
}

int TQVXIr::UpdateFrom(const TQVXIr& other) {
  int updated = 0;
  for (const auto& source : other.Items()) {
    if (!source || source->GetName() == nullptr || source->GetName()[0] == '\0') continue;
    if (source->GetFlags() & TQVXIrFunction::kLearnFailed) continue;
    TQVXIrFunction* target = FindFunction(source->GetName());
    if (target == nullptr) continue;
    if (target != source.get()) *target = *source;
    ++updated;
  }
  return updated;
}

int TQVXIr::LoadFile(const char* path) {
  DestroyAll();
  SetFileName(path);
  if (path == nullptr || path[0] == '\0') return 0;
  TQVXIrLoadFile file(path);
  if (!file.Open()) Fail(TQVXIrException::kCantOpenFile);
  const int result = Load(file);
  file.Close();
  return result;
}

int TQVXIr::Load(TQVXIrLoadStream& stream) {
  try {
    DestroyAll();
    NameTableScope names(header_);
    kind_ = static_cast<std::uint8_t>(stream.ReadPlainByte());
    const int slotCount = stream.ReadByte() & 0xFF;
    int slotOffsets[kMaxSlots + 1];
    for (int i = 0; i <= slotCount; ++i) slotOffsets[i] = stream.Read16() & 0xFFFF;
    if (stream.ReadByte() != kSlotTableMarker) Fail(TQVXIrException::kCorruptFile);

    for (int i = 0; i < slotCount; ++i) {
      const int here = slotOffsets[i];
      const int next = slotOffsets[i + 1];
      if (next == here - 2) {
        auto placeholder = std::make_unique<TQVXIrFunction>();
        placeholder->SetName(TQVXIrFunction::kEmptyName);
        PushBack(std::move(placeholder));
        continue;
      }
      stream.Seek(2 + 2 * i + here);
      stream.SetChain((next - here) & 0xFF);
      PushBack(std::make_unique<TQVXIrFunction>(stream));
    }

    const std::int64_t blockStart = 2 + 2 * slotCount + slotOffsets[slotCount];
    stream.Seek(blockStart);
    stream.SetChain(slotOffsets[slotCount] & 0xFF);
    header_.Clear();
    int nameOffsets[kMaxSlots + 1];
    for (int k = 0; k <= slotCount; ++k) nameOffsets[k] = stream.Read16() & 0xFFFF;
    if (stream.AtEnd()) Fail(TQVXIrException::kCorruptFile);
    std::vector<std::uint8_t> text;
    for (int k = 0; k < slotCount; ++k) {
      const int here = nameOffsets[k];
      const int next = nameOffsets[k + 1];
      if (next == here - 2) {
        header_.AddName(std::string());
        continue;
      }
      const int length = next - here + 2;
      // Offsets running backwards cannot describe a name.
      if (length < 0) Fail(TQVXIrException::kCorruptFile);
      text.assign(static_cast<std::size_t>(length), 0);
      stream.SetChain(here & 0xFF);
      stream.ReadBlock(text.data(), length);
      std::string name(reinterpret_cast<const char*>(text.data()), text.size());
      name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
      header_.AddName(std::move(name));
    }

    const int entryOffset = nameOffsets[slotCount];
    if (entryOffset != 0) {
      stream.Seek(blockStart + 2 * slotCount + entryOffset);
      stream.SetChain(entryOffset & 0xFF);
      std::vector<std::uint8_t> data;
      for (;;) {
        const int length = stream.ReadByte() & 0xFF;
        if (length == 0) {
          if (stream.AtEnd() || stream.ReadByte() != kEntryListEnd) Fail(TQVXIrException::kCorruptFile);
          break;
        }
        if (length - 2 <= 0) Fail(TQVXIrException::kCorruptFile);
        const int tag = stream.ReadByte() & 0xFF;
        data.assign(static_cast<std::size_t>(length - 2), 0);
        stream.ReadBlock(data.data(), length - 2);
        if (tag >= TQVXIrHeaderEntry::kFirstBinaryTag) {
          // Binary entries keep all their bytes.
          header_.AddBinary(tag, length - 2, data.data());
        } else {
          data.push_back(0);
          header_.AddText(tag, reinterpret_cast<const char*>(data.data()));
        }
        if (stream.AtEnd()) Fail(TQVXIrException::kCorruptFile);
      }
    }

    for (int k = 0; k < slotCount && k < header_.GetNameCount(); ++k) {
      TQVXIrFunction* f = At(k);
      if (f == nullptr) Fail(TQVXIrException::kRuntimeError);
      if (!header_.GetName(k).empty()) f->SetName(header_.GetName(k));
    }
    return 1;
  } catch (const std::bad_alloc&) {
    Fail(TQVXIrException::kMemoryError);
  }
}

std::int64_t TQVXIr::ComputeSize(bool includeNames, int standardSlots) const {
  const int slotCount = Count();
  std::int64_t size = 2 * static_cast<std::int64_t>(slotCount) + 5;
  for (int i = 0; i < slotCount; ++i) {
    const TQVXIrFunction* f = At(i);
    if (f == nullptr) Fail(TQVXIrException::kRuntimeError);
    if (!f->IsEmpty()) size += f->GetStoredSize();
  }
  if (includeNames) {
    for (int i = 0; i < slotCount; ++i) size += 2 + static_cast<std::int64_t>(SlotName(At(i), i, standardSlots).size());
    size += 4;
    for (int e = 0; e < header_.GetEntryCount(); ++e) size += header_.GetEntry(e)->GetDataLength() + 2;
  }
  return size;
}

std::int64_t TQVXIr::Save(TQVXIrSaveStream& stream, int standardSlots) {
  try {
    NameTableScope names(header_);
    const int slotCount = Count();
    for (int i = 0; i < slotCount; ++i) header_.AddName(SlotName(At(i), i, standardSlots));

    if (kind_ != kX10Driver) kind_ = IsMultiFunction() ? kMultiFunctionDriver : kIrDriver;

    // The slot count is one byte and every offset word 16 bits: a driver
    // beyond that cannot be represented and is refused before anything is
    // written.
    if (slotCount > kMaxSlots) Fail(TQVXIrException::kRuntimeError);
    std::vector<int> recordLengths(static_cast<std::size_t>(slotCount), 0);
    std::vector<int> slotOffsets(static_cast<std::size_t>(slotCount) + 1);
    slotOffsets[0] = 2 * slotCount + 3;
    for (int i = 0; i < slotCount; ++i) {
      const TQVXIrFunction* f = At(i);
      recordLengths[static_cast<std::size_t>(i)] = f->IsEmpty() ? 0 : f->GetStoredSize();
      slotOffsets[static_cast<std::size_t>(i) + 1] =
          slotOffsets[static_cast<std::size_t>(i)] + recordLengths[static_cast<std::size_t>(i)] - 2;
      if (slotOffsets[static_cast<std::size_t>(i) + 1] > kMaxOffset) Fail(TQVXIrException::kRuntimeError);
    }
    std::vector<std::int64_t> nameOffsets(static_cast<std::size_t>(slotCount) + 1);
    nameOffsets[0] = 2 * slotCount + 2;
    for (int k = 0; k < slotCount; ++k) {
      nameOffsets[static_cast<std::size_t>(k) + 1] = nameOffsets[static_cast<std::size_t>(k)] +
                                                     static_cast<std::int64_t>(header_.GetName(k).size()) - 2;
      if (nameOffsets[static_cast<std::size_t>(k) + 1] > kMaxOffset) Fail(TQVXIrException::kRuntimeError);
    }

    std::int64_t written = 0;
    written += stream.WritePlainByte(kind_);
    written += stream.WriteByte(slotCount);
    for (int offset : slotOffsets) written += stream.Write16(offset);
    written += stream.WriteByte(kSlotTableMarker);

    for (int i = 0; i < slotCount; ++i) {
      const TQVXIrFunction* f = At(i);
      if (f->IsEmpty()) continue;
      stream.SetChain((recordLengths[static_cast<std::size_t>(i)] - 2) & 0xFF);
      written += f->Write(stream);
    }

    stream.SetChain(slotOffsets[static_cast<std::size_t>(slotCount)] & 0xFF);
    for (std::int64_t offset : nameOffsets) written += stream.Write16(static_cast<int>(offset));
    for (int k = 0; k < slotCount; ++k) {
      stream.SetChain(static_cast<int>(nameOffsets[static_cast<std::size_t>(k)] & 0xFF));
      const std::string& name = header_.GetName(k);
      if (!name.empty() &&
          stream.WriteBlock(reinterpret_cast<const std::uint8_t*>(name.data()), static_cast<int>(name.size())))
        written += static_cast<std::int64_t>(name.size());
    }
    stream.SetChain(static_cast<int>(nameOffsets[static_cast<std::size_t>(slotCount)] & 0xFF));
    for (int e = 0; e < header_.GetEntryCount(); ++e) {
      const TQVXIrHeaderEntry* entry = header_.GetEntry(e);
      if (entry == nullptr) Fail(TQVXIrException::kRuntimeError);
      const int length = entry->GetDataLength() + 2;
      if (length > kMaxEntryLength) Fail(TQVXIrException::kRuntimeError);
      if (length == 2) continue;
      written += stream.WriteByte(length);
      written += stream.WriteByte(entry->GetTag() & 0xFF);
      if (stream.WriteBlock(entry->GetData(), length - 2)) written += length - 2;
    }
    written += stream.WriteByte(0x00);
    written += stream.WriteByte(kEntryListEnd);
    return written;
  } catch (const std::bad_alloc&) {
    Fail(TQVXIrException::kMemoryError);
  }
}

}  // namespace quillon
