#include "deviceops/CTransfers.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <strings.h>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXUploadable.h"
#include "deviceops/CDeviceBar.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace quillon {
namespace {

constexpr const char* kTimeFormat = "%A, %B %d, %Y, %I:%M:%S %p";

std::string Format(const char* format, const std::string& text) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, text.c_str());
  return buffer;
}

std::string FormatTm(const std::tm& tm) {
  char buffer[128];
  return std::strftime(buffer, sizeof buffer, kTimeFormat, &tm) ? std::string(buffer) : "";
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string CTransfers::DeviceTimeText(const CQVXFile& file) {
  std::tm tm{};
  tm.tm_year = (file.GetYear() < 100 ? file.GetYear() + 2000 : file.GetYear()) - 1900;
  tm.tm_mon = file.GetMonth() - 1;
  tm.tm_mday = file.GetDay();
  tm.tm_hour = file.GetHour();
  tm.tm_min = file.GetMinute();
  tm.tm_sec = file.GetSecond();
  tm.tm_isdst = -1;
  // The device clock counts universal time; show it in local time.
  const std::time_t when = timegm(&tm);
  std::tm local{};
  localtime_r(&when, &local);
  return FormatTm(local);
}

std::string CTransfers::LocalTimeText(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return "";
  std::tm local{};
  localtime_r(&st.st_mtime, &local);
  return FormatTm(local);
}

std::vector<uint8_t> CTransfers::UploadImage(const CDriverDoc& doc) {
  const TQVXIr& driver = doc.GetDriver();
  if (driver.GetFunctionCount() < 1) return {};
  const int slots = doc.GetStandardSlots();
  try {
    const int64_t size = driver.ComputeSize(true, slots);
    if (size <= 0) return {};
    std::vector<uint8_t> buffer(static_cast<size_t>(size), 0);
    TQVXIrSaveBuffer stream(buffer.data(), buffer.size());
    TQVXIr copy(driver);
    copy.Save(stream, slots);
    return buffer;
  } catch (const TQVXIrException&) {
    return {};
  }
}

std::string CTransfers::Upload(CDriverDoc& doc, IUploadUi& ui, const std::string& localNameGiven) {
  std::vector<uint8_t> image = UploadImage(doc);
  if (image.empty()) return "";
  const std::string localName = localNameGiven.empty() ? BaseName(doc.GetPathName()) : localNameGiven;

  int nextFree = -1;
  m_link.WithFileList([&](const CQVXFileList& list) { nextFree = list.NextFreeNumber(); });
  CUploadNameChoice choice(nextFree, localName);
  if (!ui.ChooseName(choice)) return "";
  m_link.WithFileList([&](const CQVXFileList& list) { nextFree = list.NextFreeNumber(); });
  const std::string target = choice.TargetName(nextFree);
  if (target.empty()) return "";

  std::string deviceTime;
  bool exists = false;
  m_link.WithFileList([&](const CQVXFileList& list) {
    const int at = list.Find(target, false);
    if (at >= 0) {
      exists = true;
      deviceTime = DeviceTimeText(*list.GetAt(static_cast<size_t>(at)));
    }
  });
  if (exists && !ui.ConfirmReplace(target, deviceTime, LocalTimeText(doc.GetPathName()))) {
    return "";
  }

  char text[512];
  std::snprintf(text, sizeof text, "Uploading %s (%d bytes)", target.c_str(),
                static_cast<int>(image.size()));
  m_alert.Prepare(text, Format("Driver uploaded as %s", target), target);
  auto item = std::make_unique<CQVXUploadable>(image.data(), static_cast<int32_t>(image.size()),
                                               target);
  if (!m_link.AddUpload(std::move(item))) return "";
  ui.ShowProgress(m_alert);
  return target;
}

bool CTransfers::AskSelection(const std::vector<std::string>& names, const char* one,
                              const char* many, const char* title, bool requireFound) {
  if (names.empty()) return false;
  std::string text;
  if (names.size() == 1) {
    if (requireFound) {
      bool found = false;
      m_link.WithFileList([&](const CQVXFileList& list) { found = list.Find(names[0], true) >= 0; });
      if (!found) return false;
    }
    text = Format(one, names[0]);
  } else {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, many, static_cast<int>(names.size()));
    text = buffer;
  }
  return m_prompt.MessageBox(text, title, PromptButtons::YesNo, PromptIcon::None) ==
         PromptAnswer::Yes;
}

int CTransfers::Download(const std::vector<std::string>& selectedNames) {
  if (!AskSelection(selectedNames, "Download %s?", "Download %d files?", "Download File(s)",
                    true)) {
    return 0;
  }
  std::vector<std::unique_ptr<CQVXDownloadable>> items;
  m_link.WithFileList([&](const CQVXFileList& list) {
    for (const std::string& name : selectedNames) {
      const int at = list.Find(name, true);
      if (at < 0) continue;
      const CQVXFile& file = *list.GetAt(static_cast<size_t>(at));
      if (file.GetSize() <= 0 || file.IsDriver() != 1) continue;
      items.push_back(std::make_unique<CQVXDownloadable>(
          file.GetName(), CQVXDownloadable::kKindDocument, file.GetSize(),
          static_cast<int32_t>(file.GetSortKey())));
    }
  });
  int queued = 0;
  for (auto& item : items) queued += m_link.AddDownload(std::move(item)) ? 1 : 0;
  return queued;
}

int CTransfers::Delete(const std::vector<std::string>& selectedNames, CDeviceBar* bar) {
  if (!AskSelection(selectedNames, "Delete %s?", "Delete %d files?", "Delete File(s)", false)) {
    return 0;
  }
  int queued = 0;
  for (const std::string& name : selectedNames) {
    if (name.empty()) continue;
    m_link.QueueCommand("\x1b" + name + "EF\r");
    ++queued;
  }
  if (bar) bar->Forget();
  return queued;
}

bool CTransfers::HandleEvent(const CQVXEvent& event, CDeviceBar* bar,
                             const std::function<void(const CQVXDownloadable&)>& onDocument) {
  const auto warn = [this](const char* text) {
    m_prompt.MessageBox(text, "Quillon", PromptButtons::Ok, PromptIcon::Warning);
  };
  switch (event.GetType()) {
    case 20:
    case 21:
      m_alert.SetCompletionText(Format("Error encountered while uploading %s", m_alert.GetFileName()));
      [[fallthrough]];
    case 6:
      if (strcasecmp(event.GetText().c_str(), m_alert.GetFileName().c_str()) == 0) {
        m_alert.SetFileName("");
        m_alert.Finish();
      }
      return true;
    case 10: {
      const auto* file = dynamic_cast<const CQVXEventFile*>(&event);
      const CQVXDownloadable* item = file ? file->GetObject<CQVXDownloadable>() : nullptr;
      if (!item || item->GetData().empty()) return true;
      if (item->GetKind() == CQVXDownloadable::kKindDocument) {
        if (onDocument) onDocument(*item);
      } else if (item->GetKind() == CQVXDownloadable::kKindPlayback && bar) {
        bar->OnFileReceived(*item);
      }
      return true;
    }
    case 13: warn("Connection Timeout."); return true;
    case 15: warn("Invalid serial connection parameters or specified port is in use."); return true;
    case 16: warn("Invalid Address"); return true;
    case 17: warn("Invalid password."); return true;
    case 18: warn("Administrative privileges required."); return true;
    default: return false;
  }
}

}  // namespace quillon
