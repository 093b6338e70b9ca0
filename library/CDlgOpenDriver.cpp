#include "library/CDlgOpenDriver.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "app/IPrompt.h"
#include "irmodel/CDriverFile.h"
#include "library/CVelmorPackageReader.h"
#include "library/LibraryText.h"
#include "platform/Cp1252.h"

namespace quillon {

using library::CDriverLibraryContents;
using library::CDriverLibraryLoader;
using library::CDriverLibraryScan;

namespace {

int ValidIndex(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size ? index : -1; }

// The package folder as the control is given it: without trailing
// separators and made absolute.
std::string AbsoluteFolder(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
  return ec ? folder : absolute.lexically_normal().string();
}

}  // namespace

CDlgOpenDriver::CDlgOpenDriver(CVelmorPackageReader& reader, std::string libraryFolder, Host host)
    : m_reader(reader), m_libraryFolder(std::move(libraryFolder)), m_host(std::move(host)) {}

CDlgOpenDriver::~CDlgOpenDriver() { StopBackgroundLoad(); }

void CDlgOpenDriver::Changed() {
  if (m_listener) m_listener();
}

// --- Opening -----------------------------------------------------------------

CDlgOpenDriver::InitResult CDlgOpenDriver::OnInitDialog() {
  StopBackgroundLoad();
  m_loader.reset();
  auto fallBack = [this] {
    if (m_host.m_fileOpen) m_host.m_fileOpen();
    return InitResult::kCancel;
  };
  if (m_noLibrary) return fallBack();
  if (!m_initialised) {
    m_initialised = true;
    m_filenameText.clear();
    m_locationText.clear();
    if (!CDriverLibraryScan::List(m_libraryFolder, m_scan) || m_scan.IsEmpty()) {
      m_noLibrary = true;
      return fallBack();
    }
  }
  // The lists are filled only from what this opening loads.
  m_contents = CDriverLibraryContents();
  m_typeItems.clear();
  m_mfgItems.clear();
  m_typeSel = m_mfgSel = -1;
  UpdateModelList();
  m_loader = std::make_unique<CDriverLibraryLoader>(m_reader, m_scan);
  Changed();
  return InitResult::kLoading;
}

bool CDlgOpenDriver::LoadStep(std::size_t budget) {
  if (!m_loader) return true;
  if (!m_loader->Step(budget)) return false;
  AdoptContents(m_loader->TakeContents());
  m_loader.reset();
  return true;
}

void CDlgOpenDriver::LoadAll() {
  while (!LoadStep(64)) {
  }
}

void CDlgOpenDriver::StartBackgroundLoad(std::function<void()> done) {
  if (!m_loader || m_loadThread.joinable()) return;
  m_cancelLoad = false;
  CDriverLibraryLoader* loader = m_loader.get();
  m_loadThread = std::thread([this, loader, done = std::move(done)] {
    loader->Run(&m_cancelLoad);
    if (done) done();
  });
}

void CDlgOpenDriver::FinishBackgroundLoad() {
  if (m_loadThread.joinable()) m_loadThread.join();
  if (m_loader && m_loader->IsDone()) {
    AdoptContents(m_loader->TakeContents());
    m_loader.reset();
  }
}

void CDlgOpenDriver::StopBackgroundLoad() {
  if (!m_loadThread.joinable()) return;
  m_cancelLoad = true;
  m_loadThread.join();
}

std::size_t CDlgOpenDriver::GetLoadDone() const { return m_loader ? m_loader->GetDoneCount() : 0; }

std::size_t CDlgOpenDriver::GetLoadTotal() const { return m_loader ? m_loader->GetTotalCount() : 0; }

void CDlgOpenDriver::AdoptContents(CDriverLibraryContents contents) {
  m_contents = std::move(contents);
  FillKeyedLists();
  UpdateModelList();
  Changed();
}

// --- Lists ---------------------------------------------------------------------

void CDlgOpenDriver::FillKeyedLists() {
  auto fill = [](const CKeyedStringList& list, std::vector<ComboItem>& items) {
    items.clear();
    for (const CKeyedString& entry : list.GetItems())
      if (!entry.m_name.empty()) items.push_back(ComboItem{Cp1252ToUtf8(library::DisplayName(entry.m_name)), entry.m_key});
  };
  fill(m_contents.m_types, m_typeItems);
  fill(m_contents.m_manufacturers, m_mfgItems);
  m_typeSel = m_mfgSel = -1;
}

void CDlgOpenDriver::UpdateModelList() {
  m_modelItems.clear();
  m_modelSel = -1;
  const bool byType = m_typeSel >= 0;
  const bool byMfg = m_mfgSel >= 0;
  const int typeKey = byType ? m_typeItems[static_cast<std::size_t>(m_typeSel)].m_data : 0;
  const int mfgKey = byMfg ? m_mfgItems[static_cast<std::size_t>(m_mfgSel)].m_data : 0;
  const auto& models = m_contents.m_models.GetModels();
  for (std::size_t id = 0; id < models.size(); ++id) {
    const CIRFile& model = models[id];
    if (byType && model.m_typeKey != typeKey) continue;
    if (byMfg && model.m_mfgKey != mfgKey) continue;
    m_modelItems.push_back(ComboItem{Cp1252ToUtf8(model.m_modelName), static_cast<int>(id)});
  }
  m_modelListEnabled = !m_modelItems.empty();
  UpdateVersionList();
  UpdateFields();
}

void CDlgOpenDriver::UpdateVersionList() {
  m_versionItems.clear();
  m_versionSel = -1;
  const CIRFile* model = GetSelectedModel();
  m_versionListVisible = model && model->m_instances.size() > 1;
  if (!m_versionListVisible) return;
  for (std::size_t i = 0; i < model->m_instances.size(); ++i)
    m_versionItems.push_back(ComboItem{std::to_string(model->m_instances[i].m_version), static_cast<int>(i)});
}

void CDlgOpenDriver::UpdateFields() {
  m_filenameText.clear();
  m_locationText.clear();
  const CIRFile* model = GetSelectedModel();
  const CIRFileInstance* instance = GetChosenInstance();
  if (!model || !instance) return;
  m_filenameText = model->FilenameText(*instance);
  m_locationText = CIRFile::LocationText(*instance);
}

const CDlgOpenDriver::CIRFile* CDlgOpenDriver::GetSelectedModel() const {
  if (m_modelSel < 0) return nullptr;
  return m_contents.m_models.Find(m_modelItems[static_cast<std::size_t>(m_modelSel)].m_data);
}

const CDlgOpenDriver::CIRFileInstance* CDlgOpenDriver::GetChosenInstance() const {
  const CIRFile* model = GetSelectedModel();
  if (!model || model->m_instances.empty()) return nullptr;
  if (!m_versionListVisible) return &model->m_instances.front();
  if (m_versionSel < 0) return nullptr;
  const int position = m_versionItems[static_cast<std::size_t>(m_versionSel)].m_data;
  if (position < 0 || static_cast<std::size_t>(position) >= model->m_instances.size()) return nullptr;
  return &model->m_instances[static_cast<std::size_t>(position)];
}

// --- Selections ------------------------------------------------------------------

void CDlgOpenDriver::SelectType(int index) {
  m_typeSel = ValidIndex(index, m_typeItems.size());
  UpdateModelList();
  Changed();
}

void CDlgOpenDriver::SelectManufacturer(int index) {
  m_mfgSel = ValidIndex(index, m_mfgItems.size());
  UpdateModelList();
  Changed();
}

void CDlgOpenDriver::SelectModel(int index) {
  m_modelSel = ValidIndex(index, m_modelItems.size());
  UpdateVersionList();
  UpdateFields();
  Changed();
}

void CDlgOpenDriver::SelectVersion(int index) {
  m_versionSel = ValidIndex(index, m_versionItems.size());
  UpdateFields();
  Changed();
}

// --- Buttons ---------------------------------------------------------------------

bool CDlgOpenDriver::ReadPackagedDriver(const CIRFile& model, const CIRFileInstance& instance,
                                        std::vector<std::uint8_t>& bytes) {
  const std::string fileName = Cp1252ToUtf8(model.DriverFileName(instance));
  return m_reader.ReadWholeFile(instance.m_packageName, CPackageFile::kSelfPackage, fileName,
                                AbsoluteFolder(instance.m_packageFolder), bytes, CDriverFile::kMaxReadSize);
}

CDlgOpenDriver::EndResult CDlgOpenDriver::OnOK() {
  const CIRFile* model = GetSelectedModel();
  const CIRFileInstance* instance = GetChosenInstance();
  if (!model || !instance) return EndResult::kStayOpen;
  if (instance->IsLoose()) {
    if (m_host.m_openLooseDriver) m_host.m_openLooseDriver(instance->m_loosePath);
    return EndResult::kOk;
  }
  std::vector<std::uint8_t> bytes;
  const std::string fileName = model->FilenameText(*instance);
  if (!ReadPackagedDriver(*model, *instance, bytes)) {
    if (m_host.m_prompt) {
      const std::string package = CIRFile::LocationText(*instance);
      std::vector<char> text(fileName.size() + package.size() + 64);
      std::snprintf(text.data(), text.size(), kReadFailedFormat, fileName.c_str(), package.c_str());
      m_host.m_prompt->MessageBox(text.data(), kTitle, PromptButtons::Ok, PromptIcon::Error);
    }
    return EndResult::kStayOpen;
  }
  if (m_host.m_openPackagedDriver) m_host.m_openPackagedDriver(fileName, std::move(bytes));
  return EndResult::kOk;
}

CDlgOpenDriver::EndResult CDlgOpenDriver::OnBrowse() {
  if (m_host.m_fileOpen && m_host.m_fileOpen()) return EndResult::kCancel;
  return EndResult::kStayOpen;
}

CDlgOpenDriver::EndResult CDlgOpenDriver::OnCancel() {
  StopBackgroundLoad();
  m_loader.reset();
  return EndResult::kCancel;
}

}  // namespace quillon
