#include "irmodel/TQVXIrIni.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/IPrompt.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrIniNumberList.h"

namespace quillon {
namespace {

constexpr const char* kHeaderSection = "HEADER";

std::string Printf(const char* format, int value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The keys of sub-function J, "subJ_" and a suffix, built in one buffer
// that each call reuses (a key lives until the next call).
class SubKeys {
 public:
  explicit SubKeys(int j) : key_("sub" + std::to_string(j) + "_"), prefix_(key_.size()) {}
  const std::string& operator()(const char* suffix) {
    key_.resize(prefix_);
    key_ += suffix;
    return key_;
  }

 private:
  std::string key_;
  size_t prefix_;
};

std::string HexList(const uint16_t* values, size_t count) {
  std::string list;
  char item[16];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(item, sizeof item, ",0x%x", static_cast<unsigned>(values[i]));
    list += item;
  }
  return list.empty() ? list : list.substr(1);
}

std::string HexList(const uint8_t* values, size_t count) {
  std::vector<uint16_t> wide(values, values + count);
  return HexList(wide.data(), wide.size());
}

std::string HeaderText(const TQVXIr& driver, int tag) {
  const char* text = driver.GetHeader().GetText(tag);
  return text ? text : "";
}

bool EqualsNoCaseAscii(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// The message list of one import, with the "%s %d: %s" form of the
// function sections.
class ImportLog {
 public:
  explicit ImportLog(std::vector<std::string>& messages) : messages_(messages) {}
  void Add(const std::string& text) { messages_.push_back(text); }
  void AddFor(const char* where, int k, const char* text) {
    messages_.push_back(std::string(where) + " " + std::to_string(k) + ": " + text);
  }
  void Truncations(int count) {
    for (int i = 0; i < count; ++i) Add(TQVXIrIniNumberList::kTruncatedMessage);
  }

 private:
  std::vector<std::string>& messages_;
};

constexpr const char* kFcn = "fcn";
constexpr const char* kSubOfFcn = "sub of fcn";

std::vector<int> ReadList(const CMemINISection& section, const std::string& key, int maxCount, ImportLog& log) {
  int cuts = 0;
  std::vector<int> numbers = TQVXIrIniNumberList::Parse(section.GetString(key, ""), maxCount, &cuts);
  log.Truncations(cuts);
  return numbers;
}

bool SelectorFits(uint8_t selector, size_t timeCount) {
  return static_cast<size_t>(selector >> 4) < timeCount && static_cast<size_t>(selector & 0x0F) < timeCount;
}

// Builds sub-function J of function section K; null when it holds no data
// (no time texts, no time values or no selectors).
std::unique_ptr<TQVXIrSubFunction> ImportSubFunction(const CMemINISection& section, int k, int j, ImportLog& log) {
  auto sub = std::make_unique<TQVXIrSubFunction>();
  SubKeys key(j);
  uint8_t flags = 0;
  if (section.GetInt(key("isx10"), 0) != 0) flags |= TQVXIrSubFunction::kX10;
  if (section.GetInt(key("is_modulated"), 1) != 0) flags |= TQVXIrSubFunction::kModulated;
  if (section.GetInt(key("is_inverted"), 0) != 0) flags |= TQVXIrSubFunction::kInverted;
  sub->SetFlags(flags);

  const std::vector<int> dividers = ReadList(section, key("divider"), 16, log);
  if (dividers.size() != 1) log.AddFor(kSubOfFcn, k, "Invalid timebase count");
  int divider = dividers.empty() ? 0 : dividers.front();
  if (divider < 0 || divider > 2200) {
    log.AddFor(kSubOfFcn, k, "Invalid timebase");
    divider = 100;
  }
  sub->SetDivider(static_cast<uint16_t>(divider));
  sub->SetGranularity(static_cast<uint16_t>(section.GetInt(key("granularity"), 1)));

  int repeat = section.GetInt(key("repeat_count"), 4);
  if (repeat < 0 || repeat > 15) {
    log.AddFor(kSubOfFcn, k, "bad repeat count");
    repeat = 4;
  }

  const std::string timesText = section.GetString(key("times"), "");
  const std::string headerText = section.GetString(key("header_selectors"), "");
  const std::string bodyText = section.GetString(key("body_selectors"), "");
  if (timesText.empty() || (headerText.empty() && bodyText.empty())) {
    log.AddFor(kSubOfFcn, k, "No Data");
    return nullptr;
  }

  int cuts = 0;
  std::vector<int> numbers = TQVXIrIniNumberList::Parse(timesText, 1024, &cuts);
  log.Truncations(cuts);
  if (numbers.empty()) log.AddFor(kSubOfFcn, k, "Bad Time Information");
  if (numbers.size() > 15) {
    log.AddFor(kSubOfFcn, k, "Bad Time Information");
    numbers.resize(15);
  }
  std::vector<uint16_t> times;
  for (int value : numbers) {
    if (value > 65535) log.AddFor(kSubOfFcn, k, "time value truncation");
    times.push_back(static_cast<uint16_t>(value & 0xFFFF));
  }

  auto selectors = [&](const std::string& text, const char* tooMany) {
    int listCuts = 0;
    std::vector<int> values = TQVXIrIniNumberList::Parse(text, 1024, &listCuts);
    log.Truncations(listCuts);
    if (values.size() > 250) {
      log.AddFor(kSubOfFcn, k, tooMany);
      values.resize(250);
    }
    std::vector<uint8_t> bytes;
    for (int value : values) {
      const uint8_t selector = static_cast<uint8_t>(value & 0xFF);
      if (!SelectorFits(selector, times.size())) log.AddFor(kSubOfFcn, k, "bad header selector");
      bytes.push_back(selector);
    }
    return bytes;
  };
  std::vector<uint8_t> header = selectors(headerText, "Bad header");
  const std::vector<uint8_t> body = selectors(bodyText, "Bad body");
  if (header.size() + body.size() > 500) {
    header.resize(500 - body.size());
    log.AddFor(kSubOfFcn, k, "No Selector Data");
  }
  // A sub-function without time values or without selectors cannot be
  // read back from a driver file: it is left out (its message is recorded
  // above, or here), so that a saved driver always opens again.
  if (times.empty()) return nullptr;
  if (header.empty() && body.empty()) {
    log.AddFor(kSubOfFcn, k, "No Selector Data");
    return nullptr;
  }

  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body.data(), static_cast<int>(body.size()));
  sub->SetTimes(times);
  sub->SetCounts(static_cast<uint8_t>(repeat * 16 + static_cast<int>(times.size())));
  return sub;
}

}  // namespace

std::string TQVXIrIni::ErrorHeading() {
  char text[160];
  std::snprintf(text, sizeof text, kErrorHeadingFormat, kErrorHeadingWords);
  return text;
}

bool TQVXIrIni::Export(const TQVXIr& driver, CMemINI& ini) {
  ini.Clear();
  const int count = driver.GetFunctionCount();
  if (count == 0) return false;
  CMemINISection* header = ini.GetOrAddSection(kHeaderSection);
  header->SetString("device_type", HeaderText(driver, TQVXIrHeaderEntry::kDeviceType));
  header->SetString("device_manufacturer", HeaderText(driver, TQVXIrHeaderEntry::kDeviceManufacturer));
  header->SetString("device_model", HeaderText(driver, TQVXIrHeaderEntry::kDeviceModel));
  header->SetString("driver_version", HeaderText(driver, TQVXIrHeaderEntry::kDriverVersion));
  if (driver.GetKind() == TQVXIr::kIrDriver) header->SetString("driver_type", "ir");
  else if (driver.GetKind() == TQVXIr::kX10Driver) header->SetString("driver_type", "x10");
  header->SetString("is_velmor_supported", "no");
  header->SetString("function_count", std::to_string(count));

  for (int k = 0; k < count; ++k) {
    const TQVXIrFunction* function = driver.GetFunction(k);
    CMemINISection* section = ini.GetOrAddSection(Printf("function_%d", k));
    const char* name = function ? function->GetName() : nullptr;
    section->SetString("function_name", name ? name : "");
    const int subCount = function ? function->GetSubFunctionCount() : 0;
    section->SetString("sub_function_count", std::to_string(subCount));
    int j = 0;
    for (int s = 0; s < subCount; ++s) {
      const TQVXIrSubFunction* sub = function->GetSubFunction(s);
      if (sub == nullptr) continue;
      SubKeys key(j);
      section->SetString(key("isx10"), sub->IsX10() ? "1" : "0");
      section->SetString(key("is_modulated"), sub->IsModulated() ? "1" : "0");
      section->SetString(key("is_inverted"), sub->IsInverted() ? "1" : "0");
      section->SetString(key("divider"), std::to_string(sub->GetDivider()));
      section->SetString(key("granularity"), std::to_string(sub->GetGranularity()));
      section->SetString(key("repeat_count"), std::to_string(sub->GetRepeatCount()));
      section->SetString(key("times"), HexList(sub->GetTimes().data(), sub->GetTimes().size()));
      const auto& selectors = sub->GetSelectors();
      const size_t headerCount = std::min<size_t>(sub->GetHeaderCount(), selectors.size());
      const size_t bodyCount = std::min<size_t>(sub->GetBodyCount(), selectors.size() - headerCount);
      section->SetString(key("header_selectors"), HexList(selectors.data(), headerCount));
      section->SetString(key("body_selectors"), HexList(selectors.data() + headerCount, bodyCount));
      ++j;
    }
  }
  return true;
}

std::string TQVXIrIni::ExportText(const TQVXIr& driver) {
  CMemINI ini;
  if (!Export(driver, ini)) return std::string();
  return ini.SaveText();
}

TQVXIr TQVXIrIni::Selection(const TQVXIr& driver, const std::vector<int>& positions) {
  TQVXIr selection;
  selection.GetHeader() = driver.GetHeader();
  for (int position : positions) {
    const TQVXIrFunction* function = driver.GetFunction(position);
    if (function != nullptr) selection.AppendCopy(*function);
  }
  return selection;
}

std::string TQVXIrIni::ProposedFileName(const TQVXIr& driver) {
  const std::string manufacturer = HeaderText(driver, TQVXIrHeaderEntry::kDeviceManufacturer);
  const std::string model = HeaderText(driver, TQVXIrHeaderEntry::kDeviceModel);
  if (!manufacturer.empty() && !model.empty()) return manufacturer + "_" + model;
  return manufacturer.empty() ? model : manufacturer;
}

TQVXIrIni::ImportResult TQVXIrIni::Import(const std::string& path, TQVXIr& driver, bool advancedMode,
                                          std::vector<std::string>& messages, IPrompt* prompt) {
  if (!advancedMode) return ImportResult::kNotAllowed;
  messages.clear();
  CMemINI ini;
  if (path.empty() || !ini.LoadFile(path)) return ImportResult::kNoFile;
  return Import(ini, driver, messages, prompt);
}

TQVXIrIni::ImportResult TQVXIrIni::Import(const CMemINI& ini, TQVXIr& driver, std::vector<std::string>& messages,
                                          IPrompt* prompt) {
  messages.clear();
  ImportLog log(messages);
  const CMemINISection* header = ini.FindSection(kHeaderSection);
  if (header == nullptr) {
    if (prompt != nullptr)
      prompt->MessageBox(kInvalidFileMessage, "Quillon", PromptButtons::Ok, PromptIcon::Error);
    return ImportResult::kInvalidFile;
  }
  driver.Clear();

  const std::string deviceType = header->GetString("device_type", "");
  const std::string manufacturer = header->GetString("device_manufacturer", "");
  const std::string model = header->GetString("device_model", "");
  const int version = header->GetInt("driver_version", 1);
  // driver_type is read for completeness; the kind is settled when the
  // driver is saved.
  (void)header->GetString("driver_type", "ir");
  const bool supported = EqualsNoCaseAscii(header->GetString("is_velmor_supported", ""), "yes");
  int count = header->GetInt("function_count", 0);
  if (count < 1) {
    log.Add("Nothing to learn.");
    count = 0;
  } else if (count > kMaxFunctions) {
    log.Add("Too many functions specified");
    count = kMaxFunctions;
  }

  TQVXIrHeader& entries = driver.GetHeader();
  entries.SetText(TQVXIrHeaderEntry::kDeviceManufacturer, manufacturer.c_str());
  entries.SetText(TQVXIrHeaderEntry::kDeviceModel, model.c_str());
  entries.SetText(TQVXIrHeaderEntry::kDeviceType, deviceType.c_str());
  entries.SetText(TQVXIrHeaderEntry::kDriverVersion, Printf("%d", version).c_str());

  TQVXIrHeaderEntry* flags = entries.FindEntry(TQVXIrHeaderEntry::kFlags);
  if (flags != nullptr) {
    if (flags->GetDataLength() >= 4) {
      // Bit 0 of the big-endian word lives in its fourth byte.
      std::vector<uint8_t> bytes(flags->GetData(), flags->GetData() + flags->GetDataLength());
      if (supported) bytes[3] |= 0x01;
      else bytes[3] &= static_cast<uint8_t>(~0x01);
      flags->SetBinary(static_cast<int>(bytes.size()), bytes.data());
    }
  } else if (supported) {
    const uint8_t one[4] = {0, 0, 0, 1};
    entries.AddBinary(TQVXIrHeaderEntry::kFlags, 4, one);
  }

  for (int k = 0; k < count; ++k) {
    const CMemINISection* section = ini.FindSection(Printf("function_%d", k));
    if (section == nullptr) {
      driver.Append(std::make_unique<TQVXIrFunction>());
      continue;
    }
    const std::string name = section->GetString("function_name", "");
    if (name.empty() || driver.FindFunction(name) != nullptr) {
      log.AddFor(kFcn, k, "Bad/Duplicate name");
      driver.Append(std::make_unique<TQVXIrFunction>());
      continue;
    }
    TQVXIrFunction function;
    int subCount = section->GetInt("sub_function_count", 1);
    if (subCount > kMaxSubFunctions) subCount = kMaxSubFunctions;
    for (int j = 0; j < subCount; ++j) {
      std::unique_ptr<TQVXIrSubFunction> sub = ImportSubFunction(*section, k, j, log);
      if (sub) function.AddSubFunctionCopy(sub.get());
    }
    function.SetName(name);
    driver.AppendCopy(function);
  }
  return ImportResult::kImported;
}

}  // namespace quillon
