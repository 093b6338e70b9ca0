#include "ui/InterchangeCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/CConfigFiles.h"
#include "app/IPrompt.h"
#include "irmodel/CDriverDoc.h"
#include "signals/TIrInterchangeFile.h"
#include "ui/DriverDocument.h"
#include "ui/FileDialog.h"
#include "ui/InterchangeReportDlg.h"

namespace quillon::ui {
namespace {

using File = TIrInterchangeFile;

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList Lines(const std::vector<std::string>& texts) {
  QStringList lines;
  for (const std::string& text : texts) lines << QString::fromStdString(text);
  return lines;
}

// Where the last import or export went, for the next dialog.
QString& LastFolder() {
  static QString folder;
  return folder;
}

QString StartFolder(const DriverDocument* document) {
  if (!LastFolder().isEmpty()) return LastFolder();
  if (document != nullptr && !document->Doc().GetPathName().empty())
    return QFileInfo(FromPath(document->Doc().GetPathName())).absolutePath();
  const QString drivers = FromPath(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder));
  return drivers.isEmpty() ? QDir::homePath() : drivers;
}

void ShowReport(QWidget* parent, const char* caption, const QString& heading,
                const std::vector<std::string>& warnings, const std::vector<std::string>& notes) {
  CInterchangeReportDlg report(QString::fromLatin1(caption), heading, Lines(warnings), Lines(notes),
                               parent);
  report.exec();
}

void ShowFailure(QWidget* parent, IPrompt& prompt, const char* caption, const File::Error& error) {
  if (error.Details().empty()) {
    prompt.MessageBox(error.what(), caption, PromptButtons::Ok, PromptIcon::Error);
  } else {
    ShowReport(parent, caption, QString::fromStdString(error.what()), error.Details(), {});
  }
}

int FunctionsWithIrData(const TQVXIr& driver) {
  int count = 0;
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    if (!TQVXIrFunction::IsEmpty(driver.GetFunction(i))) ++count;
  }
  return count;
}

}  // namespace

QString CInterchangeCommands::Import(QWidget* parent, IPrompt& prompt, DriverDocument* document,
                                     const std::function<DriverDocument*()>& makeNew) {
  FileDialog::Options options;
  options.caption = QObject::tr("Import IR Signals");
  options.folder = StartFolder(document);
  options.filter = QString::fromStdString(File::ImportFilter());
  const QString chosen = FileDialog::GetOpenFileName(parent, options);
  if (chosen.isEmpty()) return {};
  const QString path = QFileInfo(chosen).absoluteFilePath();
  LastFolder() = QFileInfo(path).absolutePath();

  File::Source source;
  try {
    source =
        File::Read(ToPath(path), File::FormatOfFilter(FileDialog::SelectedFilter().toStdString()));
  } catch (const File::Error& error) {
    ShowFailure(parent, prompt, kImportCaption, error);
    return {};
  }
  DriverDocument* target = document != nullptr ? document : makeNew();
  if (target == nullptr) return {};
  const TIrInterchange::Outcome outcome = File::Import(target->Doc(), source);
  target->NotifyChanged();
  const QString summary = QString::fromStdString(File::ImportSummary(outcome, source.path));
  if (!outcome.warnings.empty() || !outcome.notes.empty())
    ShowReport(parent, kImportCaption, summary, outcome.warnings, outcome.notes);
  return summary;
}

QString CInterchangeCommands::Export(QWidget* parent, IPrompt& prompt, DriverDocument& document,
                                     const std::vector<int>& selected) {
  const TQVXIr& driver = document.Doc().GetDriver();
  std::vector<int> positions;
  if (!selected.empty() && static_cast<int>(selected.size()) < driver.GetFunctionCount()) {
    const std::string some = selected.size() == 1
                                 ? "The selected function"
                                 : "The " + std::to_string(selected.size()) + " selected functions";
    const std::string all =
        "All " + std::to_string(FunctionsWithIrData(driver)) + " functions with IR data";
    const int choice =
        prompt.Choose(kExportCaption, "Which functions are to be exported?", {some, all});
    if (choice < 0) return {};
    if (choice == 0) positions = selected;
  }

  QString stem = QFileInfo(document.Title()).completeBaseName();
  if (stem.isEmpty()) stem = QStringLiteral("remote");
  FileDialog::Options options;
  options.caption = QObject::tr("Export IR Signals");
  options.folder = StartFolder(&document);
  options.fileName = stem + QStringLiteral(".ir");
  options.filter = QString::fromStdString(File::ExportFilter());
  const QString chosen = FileDialog::GetSaveFileName(parent, options);
  if (chosen.isEmpty()) return {};
  const TIrFormat format =
      File::FormatOfFilter(FileDialog::SelectedFilter().toStdString()).value_or(TIrFormat::Signals);
  const std::string typed = ToPath(QFileInfo(chosen).absoluteFilePath());
  const std::string path = File::ExportPath(typed, format);
  LastFolder() = QFileInfo(FromPath(path)).absolutePath();
  // The dialog asked about the name typed; a name that got the format's
  // extension is asked about here.
  if (path != typed && QFileInfo::exists(FromPath(path)) &&
      prompt.MessageBox(path + " already exists.\nDo you want to replace it?", kExportCaption, PromptButtons::YesNo,
                        PromptIcon::Warning) != PromptAnswer::Yes)
    return {};

  TIrInterchange::Outcome outcome;
  try {
    outcome = File::Export(driver, path, positions, File::RemoteName(driver, stem.toStdString()));
  } catch (const File::Error& error) {
    ShowFailure(parent, prompt, kExportCaption, error);
    return {};
  }
  const QString summary = QString::fromStdString(File::ExportSummary(outcome, path));
  if (!outcome.warnings.empty() || !outcome.notes.empty())
    ShowReport(parent, kExportCaption, summary, outcome.warnings, outcome.notes);
  return summary;
}

}  // namespace quillon::ui
