#include "irmodel/CDriverDoc.h"

#include <algorithm>
#include <memory>
#include <new>

#include "app/CAccessCodes.h"
#include "app/CCommandLibrary.h"
#include "app/CMemINIValue.h"
#include "app/IPrompt.h"
#include "irmodel/CDriverDocText.h"
#include "irmodel/CDriverFile.h"
#include "irmodel/CFunctionClipboard.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace quillon {
namespace {

using Entry = TQVXIrHeaderEntry;

std::string HeaderText(const TQVXIr& driver, int tag) {
  const char* text = driver.GetHeader().GetText(tag);
  return text ? text : "";
}

bool IsDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The driver image of DRIVER (names included) for STANDARDSLOTS.
std::vector<std::uint8_t> SaveImage(TQVXIr& driver, int standardSlots) {
  const std::int64_t size = driver.ComputeSize(true, standardSlots);
  if (size <= 0) return {};
  std::vector<std::uint8_t> image(static_cast<std::size_t>(size), 0);
  TQVXIrSaveBuffer stream(image.data(), image.size());
  driver.Save(stream, standardSlots);
  return image;
}

}  // namespace

const std::vector<std::string>& CDriverDoc::ConflictOptions() {
  static const std::vector<std::string> options = {
      "Rename the new function",
      "Rename the existing function",
      "Replace the existing function",
      "Add the new sub-functions to the existing function",
      "Skip this function",
      "Skip all remaining functions",
  };
  return options;
}

CDriverDoc::CDriverDoc(IPrompt& prompt, const CCommandLibrary* library) : prompt_(prompt), library_(library) {}

CDriverDoc::~CDriverDoc() = default;

void CDriverDoc::SetAccessTests(std::function<bool()> advancedMode, std::function<bool()> supportedDriver) {
  advancedMode_ = std::move(advancedMode);
  supportedDriver_ = std::move(supportedDriver);
}

void CDriverDoc::SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

void CDriverDoc::SetUpdateListener(std::function<void()> listener) { listener_ = std::move(listener); }

bool CDriverDoc::AdvancedMode() const { return advancedMode_ ? advancedMode_() : CAccessCodes::IsAdvancedMode(); }

bool CDriverDoc::SupportedDriver() const {
  return supportedDriver_ ? supportedDriver_() : CAccessCodes::IsSupportedDriverCode(CAccessCodes::Keystrokes());
}

std::time_t CDriverDoc::Now() const { return clock_ ? clock_() : std::time(nullptr); }

void CDriverDoc::Refresh() {
  if (listener_) listener_();
}

void CDriverDoc::Changed() {
  modified_ = true;
  Refresh();
}

// --- Life cycle --------------------------------------------------------------

void CDriverDoc::AddMissingHeaderDefaults() {
  TQVXIrHeader& header = driver_.GetHeader();
  if (!header.FindEntry(Entry::kFormatVersion)) header.AddText(Entry::kFormatVersion, CDriverDocText::kFormatVersion);
  if (!header.FindEntry(Entry::kSavedTime))
    header.AddText(Entry::kSavedTime, CDriverDocText::FormatSavedTime(Now()).c_str());
  if (!header.FindEntry(Entry::kDriverVersion)) header.AddText(Entry::kDriverVersion, "1");
}

void CDriverDoc::AddFlagsEntryIfMissing() {
  if (driver_.GetHeader().FindEntry(Entry::kFlags)) return;
  const std::uint8_t zero[4] = {0, 0, 0, 0};
  driver_.GetHeader().AddBinary(Entry::kFlags, 4, zero);
}

bool CDriverDoc::OnNewDocument() {
  driver_ = TQVXIr();
  path_.clear();
  fileLength_ = 0;
  loadFailed_ = false;
  selection_.clear();
  const std::uint8_t zero[4] = {0, 0, 0, 0};
  driver_.GetHeader().AddBinary(Entry::kFlags, 4, zero);
  driver_.GetHeader().SetText(Entry::kProgramVersion, CDriverDocText::ProgramVersionText().c_str());
  AddMissingHeaderDefaults();
  modified_ = false;
  Refresh();
  return true;
}

bool CDriverDoc::ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  lastError_.clear();
  try {
    bytes = CDriverFile::ReadAll(path);
  } catch (const CDriverFile::Error& e) {
    lastError_ = e.what();
    prompt_.MessageBox(CDriverDocText::FormatError(CDriverDocText::kLoadErrorFormat, path,
                                                   TQVXIrException::kCantOpenFile,
                                                   TQVXIrException::TextOf(TQVXIrException::kCantOpenFile)),
                       CDriverDocText::kLoadErrorCaption, PromptButtons::Ok, PromptIcon::Error);
    return false;
  }
  path_ = path;
  LoadImage(bytes, path);
  return true;
}

void CDriverDoc::LoadImage(const std::vector<std::uint8_t>& bytes, const std::string& shownName) {
  driver_ = TQVXIr();
  fileLength_ = bytes.size();
  loadFailed_ = false;
  selection_.clear();
  try {
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver_.Load(stream);
    driver_.SetFileName(shownName.c_str());
    ApplyDeviceCommandList(false);
  } catch (const TQVXIrException& e) {
    loadFailed_ = true;
    lastError_ = shownName + ": " + e.GetText() + " (code " + std::to_string(e.GetCode()) + ")";
    prompt_.MessageBox(CDriverDocText::FormatError(CDriverDocText::kLoadErrorFormat, shownName, e.GetCode(), e.GetText()),
                       CDriverDocText::kLoadErrorCaption, PromptButtons::Ok, PromptIcon::Error);
  } catch (...) {
    loadFailed_ = true;
    lastError_ = shownName + ": " + CDriverDocText::kUnexpectedLoadError;
    prompt_.MessageBox(CDriverDocText::kUnexpectedLoadError, CDriverDocText::kLoadErrorCaption, PromptButtons::Ok,
                       PromptIcon::Error);
  }
  if (loadFailed_) {
    selection_.clear();
    driver_.Clear();
  }
  AddMissingHeaderDefaults();
}

bool CDriverDoc::OnOpenDocument(const std::string& path) {
  if (!ReadFile(path)) return false;
  AddFlagsEntryIfMissing();
  modified_ = false;
  Refresh();
  return true;
}

void CDriverDoc::OnOpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& name) {
  path_.clear();
  LoadImage(bytes, name);
  AddFlagsEntryIfMissing();
  modified_ = false;
  Refresh();
}

std::vector<std::uint8_t> CDriverDoc::PrepareSaveImage(const std::string& path) {
  TQVXIrHeader& header = driver_.GetHeader();
  if (!(AdvancedMode() && SupportedDriver())) {
    TQVXIrHeaderEntry* flags = header.FindEntry(Entry::kFlags);
    if (flags != nullptr && flags->GetDataLength() >= 4) {
      std::vector<std::uint8_t> bytes(flags->GetData(), flags->GetData() + flags->GetDataLength());
      bytes[3] &= static_cast<std::uint8_t>(~Entry::kVelmorSupported);
      flags->SetBinary(static_cast<int>(bytes.size()), bytes.data());
    }
  }
  header.SetText(Entry::kFormatVersion, CDriverDocText::kFormatVersion);
  header.SetText(Entry::kSavedTime, CDriverDocText::FormatSavedTime(Now()).c_str());
  header.SetText(Entry::kProgramVersion, CDriverDocText::ProgramVersionText().c_str());
  if (!path.empty()) header.SetText(Entry::kFileName, CDriverDocText::FileNameEntry(path).c_str());
  else header.RemoveEntry(Entry::kFileName);

  const int standardSlots = GetStandardSlots();
  if (driver_.ComputeSize(true, standardSlots) <= 0) return {};
  driver_.SetFileName(path.c_str());
  return SaveImage(driver_, standardSlots);
}

bool CDriverDoc::OnSaveDocument(const std::string& path) {
  lastError_.clear();
  try {
    const std::vector<std::uint8_t> image = PrepareSaveImage(path);
    if (image.empty()) {
      lastError_ = path + ": the driver is empty";
      return false;
    }
    CDriverFile::WriteReplacing(path, image.data(), image.size());
  } catch (const TQVXIrException& e) {
    lastError_ = path + ": " + e.GetText() + " (code " + std::to_string(e.GetCode()) + ")";
    prompt_.MessageBox(CDriverDocText::FormatError(CDriverDocText::kSaveErrorFormat, path, e.GetCode(), e.GetText()),
                       CDriverDocText::kSaveErrorCaption, PromptButtons::Ok, PromptIcon::Error);
    return false;
  } catch (const CDriverFile::Error& e) {
    lastError_ = e.what();
    prompt_.MessageBox(CDriverDocText::kUnexpectedFileError, CDriverDocText::kFileErrorCaption, PromptButtons::Ok,
                       PromptIcon::Error);
    return false;
  } catch (...) {
    lastError_ = path + ": " + CDriverDocText::kUnexpectedSaveError;
    prompt_.MessageBox(CDriverDocText::kUnexpectedSaveError, CDriverDocText::kSaveErrorCaption, PromptButtons::Ok,
                       PromptIcon::Error);
    return false;
  }
  path_ = path;
  modified_ = false;
  for (auto& function : driver_.Items()) {
    if (function) function->SetFlags(function->GetFlags() & ~(TQVXIrFunction::kNew | TQVXIrFunction::kModified));
  }
  Refresh();
  return true;
}

// --- Command list ------------------------------------------------------------

const CCommandList* CDriverDoc::FindCommandList(const std::string& deviceType) const {
  if (library_ == nullptr || deviceType.empty()) return nullptr;
  return library_->Find(deviceType);
}

const CCommandList* CDriverDoc::GetCommandList() const {
  return FindCommandList(HeaderText(driver_, Entry::kDeviceType));
}

int CDriverDoc::GetStandardSlots() const {
  const CCommandList* list = GetCommandList();
  return list ? list->GetCount() : TQVXIr::kNoStandardSlots;
}

int CDriverDoc::ApplyDeviceCommandList(bool trim, const std::optional<std::string>& deviceType) {
  const std::string type = deviceType ? *deviceType : HeaderText(driver_, Entry::kDeviceType);
  const CCommandList* list = FindCommandList(type);
  if (list == nullptr) return 0;
  if (driver_.ApplyCommandList(list->GetCommands(), nullptr) != 0) return 0;
  if (trim) {
    for (int i = driver_.GetFunctionCount() - 1; i >= list->GetCount(); --i) {
      TQVXIrFunction* function = driver_.GetFunction(i);
      if (!TQVXIrFunction::IsEmpty(function)) break;
      DeleteFunction(function);
    }
  }
  return 1;
}

// --- Selection ---------------------------------------------------------------

std::vector<int> CDriverDoc::GetSelection() const {
  std::vector<int> positions;
  for (int i = 0; i < driver_.GetFunctionCount(); ++i) {
    const TQVXIrFunction* function = driver_.GetFunction(i);
    if (function && std::find(selection_.begin(), selection_.end(), function) != selection_.end())
      positions.push_back(i);
  }
  return positions;
}

void CDriverDoc::SetSelection(const std::vector<int>& positions) {
  selection_.clear();
  for (int position : positions) {
    const TQVXIrFunction* function = driver_.GetFunction(position);
    if (function && std::find(selection_.begin(), selection_.end(), function) == selection_.end())
      selection_.push_back(function);
  }
}

bool CDriverDoc::SelectByNames(const std::vector<std::string>& names) {
  selection_.clear();
  bool all = true;
  for (const std::string& name : names) {
    const TQVXIrFunction* function = driver_.FindFunction(name);
    if (function == nullptr) {
      all = false;
      continue;
    }
    if (std::find(selection_.begin(), selection_.end(), function) == selection_.end()) selection_.push_back(function);
  }
  return all;
}

void CDriverDoc::DeleteFunction(TQVXIrFunction* function) {
  selection_.erase(std::remove(selection_.begin(), selection_.end(), function), selection_.end());
  driver_.Delete(function);
}

// --- Function list operations ------------------------------------------------

bool CDriverDoc::CanNewFunction() const { return driver_.GetFunctionCount() < kNewFunctionEnabledBelow; }

int CDriverDoc::NewFunction() {
  if (driver_.GetFunctionCount() >= kNewFunctionActsBelow) return -1;
  auto created = std::make_unique<TQVXIrFunction>();
  created->SetName(TQVXIrFunction::kEmptyName);
  created->SetNew(true);
  const TQVXIrFunction* function = created.get();
  if (driver_.Append(std::move(created)) < 0) return -1;
  ApplyDeviceCommandList(false);
  selection_.assign(1, function);
  Changed();
  return driver_.IndexOf(function);
}

bool CDriverDoc::RenameFunction(int position, const std::string& name, const TQVXIrFunction* expected) {
  if (CDriverDocText::HasIllegalNameCharacters(name)) {
    prompt_.MessageBox(CDriverDocText::kIllegalNameMessage, CDriverDocText::kProgramCaption, PromptButtons::Ok,
                       PromptIcon::Error);
    return false;
  }
  TQVXIrFunction* function = driver_.GetFunction(position);
  if (name.empty() || function == nullptr || (expected != nullptr && function != expected)) return false;
  function->SetName(name);
  ApplyDeviceCommandList(false);
  selection_.assign(1, function);
  Changed();
  return true;
}

int CDriverDoc::DeleteSelected() {
  // The selected functions themselves are deleted (not the first function
  // of each name), so duplicates and unnamed functions go as selected.
  const std::vector<int> positions = GetSelection();
  std::vector<TQVXIrFunction*> doomed;
  for (int position : positions) doomed.push_back(driver_.GetFunction(position));
  for (TQVXIrFunction* function : doomed) DeleteFunction(function);
  selection_.clear();
  if (!doomed.empty()) Changed();
  return static_cast<int>(doomed.size());
}

bool CDriverDoc::CopySelected(std::vector<std::uint8_t>* block) {
  const std::vector<int> positions = GetSelection();
  if (positions.empty()) return false;
  std::vector<std::uint8_t> made;
  try {
    TQVXIr copy = TQVXIrIni::Selection(driver_, positions);
    made = CFunctionClipboard::MakeBlock(SaveImage(copy, 0));
  } catch (...) {
    prompt_.MessageBox(CDriverDocText::kCopyError, CDriverDocText::kProgramCaption, PromptButtons::Ok,
                       PromptIcon::Error);
    return false;
  }
  if (block != nullptr) *block = std::move(made);
  else CFunctionClipboard::Instance().SetBlock(std::move(made));
  return true;
}

bool CDriverDoc::CutSelected(std::vector<std::uint8_t>* block) {
  if (!CopySelected(block)) return false;
  DeleteSelected();
  ApplyDeviceCommandList(false);
  Changed();
  return true;
}

bool CDriverDoc::MoveSelected(int dropPosition) {
  const std::vector<int> positions = GetSelection();
  if (positions.empty() || dropPosition == positions.front()) return false;
  auto& items = driver_.Items();
  for (int position : positions) {
    TQVXIrFunction* function = driver_.GetFunction(position);
    function->SetFlags(function->GetFlags() | TQVXIrFunction::kMoving);
  }
  const int count = driver_.GetFunctionCount();
  const int limit = (dropPosition < 0 || dropPosition >= count) ? count : dropPosition;
  int insertAt = 0;
  for (int i = 0; i < limit; ++i) {
    if (!(items[static_cast<std::size_t>(i)]->GetFlags() & TQVXIrFunction::kMoving)) ++insertAt;
  }
  std::vector<std::unique_ptr<TQVXIrFunction>> moving;
  for (int i = count - 1; i >= 0; --i) {
    if (items[static_cast<std::size_t>(i)]->GetFlags() & TQVXIrFunction::kMoving) moving.push_back(driver_.Detach(i));
  }
  std::reverse(moving.begin(), moving.end());
  for (std::size_t m = 0; m < moving.size(); ++m) {
    moving[m]->SetFlags(moving[m]->GetFlags() & ~TQVXIrFunction::kMoving);
    driver_.InsertAt(insertAt + static_cast<int>(m), std::move(moving[m]));
  }
  Changed();
  return true;
}

int CDriverDoc::Paste() {
  const std::optional<std::vector<std::uint8_t>> block = CFunctionClipboard::Instance().GetBlock();
  if (!block) return -1;
  return PasteBlock(*block);
}

int CDriverDoc::PasteBlock(const std::vector<std::uint8_t>& block) {
  const std::optional<std::vector<std::uint8_t>> image = CFunctionClipboard::ImageOf(block);
  if (!image) return -1;
  TQVXIr source;
  try {
    TQVXIrLoadBuffer stream(image->data(), image->size());
    source.Load(stream);
  } catch (const TQVXIrException&) {
    return -1;
  }
  const int failures = Merge(source);
  ApplyDeviceCommandList(false);
  Changed();
  return failures;
}

int CDriverDoc::Merge(const TQVXIr& source, bool silent) {
  mergeSummary_ = MergeSummary();
  int failures = 0;
  bool skipAll = false;
  for (int i = 0; i < source.GetFunctionCount(); ++i) {
    const TQVXIrFunction* incoming = source.GetFunction(i);
    // Placeholders ("*Empty*" or no name) carry nothing to merge.
    if (incoming == nullptr || TQVXIrFunction::IsEmptyName(incoming->GetName())) continue;
    const std::string name = incoming->GetName();
    if (skipAll) {
      mergeSummary_.skipped.push_back(name);
      continue;
    }
    TQVXIrFunction* existing = driver_.FindFunction(name);
    if (existing == nullptr) {
      auto copy = std::make_unique<TQVXIrFunction>(*incoming);
      copy->SetNew(true);
      driver_.Append(std::move(copy));
      mergeSummary_.added.push_back(name);
      continue;
    }
    if (fillEmptyOnMerge_ && existing->GetSubFunctionCount() == 0) {
      const std::string keptName = existing->GetName();
      *existing = *incoming;
      existing->SetName(keptName);
      existing->SetModified(true);
      mergeSummary_.filled.push_back(name);
      continue;
    }
    const std::string question = "A function named \"" + name + "\" already exists in this driver.";
    const int answer = prompt_.Choose(CDriverDocText::kConflictTitle, question, ConflictOptions());
    const ConflictChoice choice = (answer >= 0 && answer <= static_cast<int>(ConflictChoice::kSkipAll))
                                      ? static_cast<ConflictChoice>(answer)
                                      : ConflictChoice::kSkipAll;
    switch (choice) {
      case ConflictChoice::kRenameNew: {
        const std::string newName = UniqueName(driver_, name, "New");
        if (newName.empty() || newName.size() >= kMaxGeneratedName) {
          ++failures;
          mergeSummary_.skipped.push_back(name);
          break;
        }
        auto copy = std::make_unique<TQVXIrFunction>(*incoming);
        copy->SetName(newName);
        copy->SetNew(true);
        driver_.Append(std::move(copy));
        mergeSummary_.renamed.push_back(name + " -> " + newName);
        break;
      }
      case ConflictChoice::kRenameExisting: {
        const std::string oldName = UniqueName(driver_, existing->GetName(), "Old");
        if (oldName.empty() || oldName.size() >= kMaxGeneratedName) {
          ++failures;
          mergeSummary_.skipped.push_back(name);
          break;
        }
        mergeSummary_.renamed.push_back(std::string(existing->GetName()) + " -> " + oldName);
        existing->SetName(oldName);
        existing->SetModified(true);
        auto copy = std::make_unique<TQVXIrFunction>(*incoming);
        copy->SetNew(true);
        driver_.Append(std::move(copy));
        mergeSummary_.added.push_back(name);
        break;
      }
      case ConflictChoice::kReplace:
        *existing = *incoming;
        existing->SetModified(true);
        mergeSummary_.replaced.push_back(name);
        break;
      case ConflictChoice::kAddSubFunctions:
        for (int j = 0; j < incoming->GetSubFunctionCount(); ++j) {
          if (incoming->GetSubFunction(j) != nullptr) existing->AddSubFunctionCopy(incoming->GetSubFunction(j));
        }
        existing->SetModified(true);
        mergeSummary_.extended.push_back(name);
        break;
      case ConflictChoice::kSkip:
        mergeSummary_.skipped.push_back(name);
        break;
      case ConflictChoice::kSkipAll:
        skipAll = true;
        mergeSummary_.skipped.push_back(name);
        break;
    }
  }
  if (failures > 0 && !silent) {
    prompt_.MessageBox(CDriverDocText::Format(CDriverDocText::kRenameErrorsFormat, failures),
                       CDriverDocText::kRenameErrorsCaption, PromptButtons::Ok, PromptIcon::Error);
  }
  return failures;
}

void CDriverDoc::SetModulation(bool modulated) {
  for (int position : GetSelection()) {
    TQVXIrFunction* function = driver_.GetFunction(position);
    for (int j = 0; j < function->GetSubFunctionCount(); ++j) {
      TQVXIrSubFunction* sub = function->GetSubFunction(j);
      if (sub == nullptr) continue;
      const std::uint8_t flags = sub->GetFlags();
      sub->SetFlags(modulated ? (flags | TQVXIrSubFunction::kModulated)
                              : static_cast<std::uint8_t>(flags & ~TQVXIrSubFunction::kModulated));
    }
    function->SetModified(true);
  }
  Changed();
}

int CDriverDoc::SetRepeatCount(const std::string& typed) {
  const int repeat = AtoiText(typed) & 0x0F;
  for (int position : GetSelection()) {
    TQVXIrFunction* function = driver_.GetFunction(position);
    for (int j = 0; j < function->GetSubFunctionCount(); ++j) {
      if (TQVXIrSubFunction* sub = function->GetSubFunction(j)) sub->SetRepeatCount(repeat);
    }
    function->SetModified(true);
  }
  Changed();
  return repeat;
}

std::string CDriverDoc::UniqueName(const TQVXIr& driver, const std::string& name, const std::string& prefix) {
  std::string base = name;
  if (!prefix.empty() && StartsWithNoCase(base, prefix)) base = base.substr(prefix.size());
  const std::size_t underscore = base.find_last_of('_');
  if (underscore != std::string::npos && IsDigits(base.substr(underscore + 1))) base = base.substr(0, underscore);
  const std::string candidate = IsDigits(base) ? base : prefix + base;
  if (driver.FindFunction(candidate) == nullptr) return candidate;
  for (int n = 0; n < 1024; ++n) {
    const std::string numbered = candidate + "_" + std::to_string(n);
    if (driver.FindFunction(numbered) == nullptr) return numbered;
  }
  return std::string();
}

// --- Header ------------------------------------------------------------------

CDriverDoc::HeaderFields CDriverDoc::GetHeaderFields() const {
  HeaderFields fields;
  fields.deviceType = HeaderText(driver_, Entry::kDeviceType);
  fields.manufacturer = HeaderText(driver_, Entry::kDeviceManufacturer);
  fields.model = HeaderText(driver_, Entry::kDeviceModel);
  fields.comments = HeaderText(driver_, Entry::kComments);
  fields.version = HeaderText(driver_, Entry::kDriverVersion);
  return fields;
}

std::string CDriverDoc::ApplyHeaderEdits(HeaderFields& fields) {
  bool cleaned = CDriverDocText::CleanHeaderText(fields.deviceType);
  cleaned = CDriverDocText::CleanHeaderText(fields.manufacturer) || cleaned;
  cleaned = CDriverDocText::CleanHeaderText(fields.model) || cleaned;
  fields.deviceType = ToUpperAscii(fields.deviceType);
  if (fields.deviceType.empty()) fields.deviceType = CDriverDocText::kOtherDeviceType;
  fields.version = std::to_string(CDriverDocText::ConfirmVersion(fields.version));
  TQVXIrHeader& header = driver_.GetHeader();
  header.SetText(Entry::kDeviceType, fields.deviceType.c_str());
  header.SetText(Entry::kDeviceManufacturer, fields.manufacturer.c_str());
  header.SetText(Entry::kDeviceModel, fields.model.c_str());
  header.SetText(Entry::kComments, fields.comments.c_str());
  header.SetText(Entry::kDriverVersion, fields.version.c_str());
  Changed();
  return cleaned ? CDriverDocText::kIllegalCharactersRemoved : "";
}

bool CDriverDoc::ChooseDeviceType(const std::string& deviceType) {
  if (EqualsNoCase(deviceType, HeaderText(driver_, Entry::kDeviceType))) return false;
  const std::string stored = deviceType.empty() ? CDriverDocText::kOtherDeviceType : deviceType;
  driver_.GetHeader().SetText(Entry::kDeviceType, stored.c_str());
  ApplyDeviceCommandList(true);
  Changed();
  return true;
}

bool CDriverDoc::GetVelmorFlag() const {
  const TQVXIrHeaderEntry* flags = driver_.GetHeader().FindEntry(Entry::kFlags);
  return flags != nullptr && flags->GetDataLength() >= 4 && (flags->GetFlagsWord() & Entry::kVelmorSupported) != 0;
}

void CDriverDoc::SetVelmorFlag(bool checked) {
  const bool set = checked && SupportedDriver();
  TQVXIrHeaderEntry* flags = driver_.GetHeader().FindEntry(Entry::kFlags);
  if (flags != nullptr) {
    if (flags->GetDataLength() >= 4) {
      std::vector<std::uint8_t> bytes(flags->GetData(), flags->GetData() + flags->GetDataLength());
      if (set) bytes[3] |= static_cast<std::uint8_t>(Entry::kVelmorSupported);
      else bytes[3] &= static_cast<std::uint8_t>(~Entry::kVelmorSupported);
      flags->SetBinary(static_cast<int>(bytes.size()), bytes.data());
    }
  } else if (set) {
    const std::uint8_t one[4] = {0, 0, 0, 1};
    driver_.GetHeader().AddBinary(Entry::kFlags, 4, one);
  }
  Changed();
}

const char* CDriverDoc::GetKindText() const { return CDriverDocText::DriverKindText(driver_.GetKind()); }

// --- INI interchange ---------------------------------------------------------

TQVXIrIni::ImportResult CDriverDoc::ImportIni(const std::string& path, std::vector<std::string>& messages) {
  const TQVXIrIni::ImportResult result = TQVXIrIni::Import(path, driver_, AdvancedMode(), messages, &prompt_);
  if (result != TQVXIrIni::ImportResult::kImported) return result;
  selection_.clear();
  Changed();
  if (!messages.empty()) {
    std::string report = TQVXIrIni::ErrorHeading();
    for (const std::string& message : messages) report += "\n" + message;
    prompt_.MessageBox(report, TQVXIrIni::kErrorDialogCaption, PromptButtons::Ok, PromptIcon::Warning);
  }
  return result;
}

bool CDriverDoc::BuildExport(CMemINI& ini) const {
  const std::vector<int> positions = GetSelection();
  if (positions.empty()) return TQVXIrIni::Export(driver_, ini);
  return TQVXIrIni::Export(TQVXIrIni::Selection(driver_, positions), ini);
}

bool CDriverDoc::ExportIni(const std::string& path) const {
  CMemINI ini;
  lastError_.clear();
  if (!BuildExport(ini)) return false;
  return ini.SaveFile(path, &lastError_);
}

}  // namespace quillon
