#include "app/CDocManagerEx.h"

#include <cstdio>

#include "irmodel/CDriverDocText.h"

namespace quillon {
namespace {

constexpr const char* kAllFilesFilter = "All Files (*)";

}  // namespace

std::string CDocManagerEx::GetTemplatePart(TemplatePart part) {
  const std::string text = CDriverDocText::kDocumentTemplate;
  std::size_t start = 0;
  for (int i = 0; i < static_cast<int>(part); ++i) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string::npos) return std::string();
    start = newline + 1;
  }
  const std::size_t end = text.find('\n', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

CDocManagerEx::FileDialogRequest CDocManagerEx::OpenDialog(const std::string& driverFolder) {
  FileDialogRequest request;
  request.caption = "Open";
  request.folder = driverFolder;
  request.filters = GetTemplatePart(kFilterName) + ";;" + kAllFilesFilter;
  request.defaultSuffix = GetTemplatePart(kFilterExt).substr(1);
  return request;
}

CDocManagerEx::FileDialogRequest CDocManagerEx::SaveDialog(const std::string& driverFolder, const std::string& title,
                                                    const std::string& path) {
  FileDialogRequest request = OpenDialog(driverFolder);
  request.caption = "Save As";
  if (!path.empty()) {
    request.fileName = path;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) request.folder = path.substr(0, slash + 1);
  } else {
    request.fileName = WithDriverExtension(title);
  }
  request.note = SaveNote(driverFolder);
  return request;
}

std::string CDocManagerEx::SaveNote(const std::string& driverFolder) {
  if (driverFolder.empty()) return std::string();
  const std::string format = CDriverDocText::kSaveFolderNoteFormat;
  const std::size_t at = format.find("%s");
  return format.substr(0, at) + driverFolder + format.substr(at + 2);
}

std::string CDocManagerEx::WithDriverExtension(const std::string& path) {
  if (path.empty()) return path;
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) return path;
  return path + GetTemplatePart(kFilterExt);
}

}  // namespace quillon
