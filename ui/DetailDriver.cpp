#include "ui/DetailDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/CConfigFiles.h"
#include "app/CProfile.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrIni.h"
#include "platform/SafeFile.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui/FileDialog.h"
#include "ui/QtPrompt.h"
#include "ui_DetailDriver.h"

namespace quillon::ui {

QString CDetailDriver::IniFilter() {
  // The document's "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||" as Qt
  // writes a filter list.
  return QStringLiteral("INI Files (*.ini);;All Files (*.*)");
}

CDetailDriver::CDetailDriver(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent), m_ui(std::make_unique<Ui::CDetailDriver>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("driverPane"));
  connect(m_ui->browseButton, &QToolButton::clicked, this, &CDetailDriver::Browse);
  connect(m_ui->loadButton, &QPushButton::clicked, this, &CDetailDriver::Load);
  connect(m_ui->iniPathEdit, &QLineEdit::returnPressed, this, &CDetailDriver::Load);
  connect(m_ui->exportButton, &QPushButton::clicked, this, &CDetailDriver::Export);
  connect(m_ui->velmorCheck, &QCheckBox::clicked, this, &CDetailDriver::OnVelmorClicked);
  connect(m_ui->autoSelectCheck, &QCheckBox::clicked, this, &CDetailDriver::OnAutoSelectClicked);
}

CDetailDriver::~CDetailDriver() = default;

QString CDetailDriver::StartFolder() const {
  const QString typed = m_ui->iniPathEdit->text();
  if (!typed.isEmpty()) return QFileInfo(typed).absolutePath();
  const std::string& path = Doc().GetPathName();
  if (!path.empty()) return QFileInfo(QString::fromStdString(path)).absolutePath();
  return QString::fromStdString(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder));
}

void CDetailDriver::Browse() {
  FileDialog::Options options;
  options.caption = tr("Import");
  options.folder = StartFolder();
  options.filter = IniFilter();
  options.defaultSuffix = QStringLiteral("ini");
  const QString chosen = FileDialog::GetOpenFileName(this, options);
  if (!chosen.isEmpty()) m_ui->iniPathEdit->setText(QDir::toNativeSeparators(chosen));
}

void CDetailDriver::Load() {
  const QString path = m_ui->iniPathEdit->text().trimmed();
  if (path.isEmpty()) {
    m_ui->iniPathEdit->setFocus();
    return;
  }
  std::vector<std::string> messages;
  const TQVXIrIni::ImportResult result = Doc().ImportIni(path.toStdString(), messages);
  if (result == TQVXIrIni::ImportResult::kNoFile) {
    // Say why nothing was loaded instead of doing nothing.
    QFile file(path);
    const QString reason = file.open(QIODevice::ReadOnly) ? tr("cannot be read") : file.errorString();
    QtPrompt(this).MessageBox((path + QStringLiteral(": ") + reason).toStdString(), "", PromptButtons::Ok,
                              PromptIcon::Error);
  }
}

void CDetailDriver::Export() {
  HandSelectionToDocument();
  CMemINI ini;
  try {
    if (!Doc().BuildExport(ini)) return;
  } catch (const TQVXIrException&) {
    return;  // nothing to offer: no dialog
  }
  FileDialog::Options options;
  options.caption = tr("Export");
  options.folder = StartFolder();
  options.fileName = FromDriverText(TQVXIrIni::ProposedFileName(Doc().GetDriver()));
  options.filter = IniFilter();
  options.defaultSuffix = QStringLiteral("ini");
  const QString chosen = FileDialog::GetSaveFileName(this, options);
  if (chosen.isEmpty()) return;
  try {
    WriteFileSafely(chosen.toStdString(), ini.SaveText());
  } catch (const SafeFileError& error) {
    QtPrompt(this).MessageBox(error.what(), "", PromptButtons::Ok, PromptIcon::Error);
  }
}

void CDetailDriver::OnVelmorClicked(bool checked) {
  Doc().SetVelmorFlag(checked);
  Render();  // the box shows what the document kept
}

void CDetailDriver::OnAutoSelectClicked(bool checked) {
  if (!CProfile::SetLearnAutoSelect(checked ? 1 : 0)) {
    QtPrompt(this).MessageBox("The Auto Select choice could not be saved.", "", PromptButtons::Ok,
                              PromptIcon::Warning);
  }
  Render();
}

void CDetailDriver::Render() {
  m_ui->velmorCheck->setChecked(Doc().GetVelmorFlag());
  m_ui->autoSelectCheck->setChecked(CProfile::GetLearnAutoSelect() != 0);
  m_ui->exportButton->setEnabled(Doc().GetDriver().GetFunctionCount() > 0);
}

}  // namespace quillon::ui
