#include "deviceops/CDeviceBar.h"

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXFile.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrLoadBuffer.h"

namespace quillon {

bool CDeviceBar::SelectFile(const CQVXFile& file, CQVX& link) {
  const auto key = static_cast<int32_t>(file.GetSortKey());
  m_selectedName = file.GetName();
  m_selectedKey = key;
  m_selectedSize = file.GetSize();
  if (m_driver && m_loadedName == file.GetName() && m_loadedKey == key &&
      m_loadedSize == file.GetSize()) {
    return false;
  }
  m_driver.reset();
  m_loadedName.clear();
  return link.AddDownload(std::make_unique<CQVXDownloadable>(
      file.GetName(), CQVXDownloadable::kKindPlayback, file.GetSize(), key));
}

bool CDeviceBar::OnFileReceived(const CQVXDownloadable& item) {
  if (item.GetKind() != CQVXDownloadable::kKindPlayback || item.GetData().empty()) return false;
  if (item.GetRemoteName() != m_selectedName || item.GetDateKey() != m_selectedKey ||
      item.GetSize() != m_selectedSize) {
    return false;
  }
  auto driver = std::make_unique<TQVXIr>();
  try {
    TQVXIrLoadBuffer stream(item.GetData().data(), item.GetData().size());
    driver->Load(stream);
  } catch (const TQVXIrException&) {
    return false;
  }
  m_driver = std::move(driver);
  m_loadedName = item.GetRemoteName();
  m_loadedKey = item.GetDateKey();
  m_loadedSize = item.GetSize();
  return true;
}

void CDeviceBar::Deselect() {
  m_selectedName.clear();
  m_selectedKey = m_selectedSize = 0;
}

void CDeviceBar::Forget() {
  m_driver.reset();
  m_loadedName.clear();
  m_loadedKey = m_loadedSize = 0;
}

std::vector<std::string> CDeviceBar::GetFunctionNames() const {
  std::vector<std::string> names;
  if (!m_driver) return names;
  for (int i = 0; i < m_driver->GetFunctionCount(); ++i) {
    const char* name = m_driver->GetFunction(i)->GetName();
    names.emplace_back(name ? name : "");
  }
  return names;
}

}  // namespace quillon
