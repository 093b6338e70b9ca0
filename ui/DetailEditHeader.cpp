#include "ui/DetailEditHeader.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/CReferenceLists.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/CDriverDocText.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui_DetailEditHeader.h"

namespace quillon::ui {
namespace {

// Shows TEXT in LINE unless the user is typing there.
void ShowText(QLineEdit* line, const QString& text) {
  if (line->hasFocus() && line->isModified()) return;
  if (line->text() != text) line->setText(text);
  line->setModified(false);
}

// Shows TEXT in an editable combo box, with the list entry of the same name
// (ignoring case) current, so the list opens at it.
void ShowComboText(QComboBox* combo, const QString& text) {
  QLineEdit* line = combo->lineEdit();
  if (line->hasFocus() && line->isModified()) return;
  const int index = combo->findText(text, Qt::MatchFixedString);
  if (combo->currentIndex() != index) combo->setCurrentIndex(index);
  ShowText(line, text);
}

}  // namespace

CDetailEditHeader::CDetailEditHeader(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent), m_ui(std::make_unique<Ui::CDetailEditHeader>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("headerPane"));
  FillLists();
  for (QLineEdit* line : {m_ui->typeCombo->lineEdit(), m_ui->manufacturerCombo->lineEdit(), m_ui->modelEdit,
                          m_ui->commentsEdit}) {
    line->setValidator(new DriverTextValidator(line));
    connect(line, &QLineEdit::editingFinished, this, &CDetailEditHeader::ApplyEdits);
  }
  m_ui->versionSpin->SetRules(
      [](const QString& text) { return CDriverDocText::ConfirmVersion(ToDriverText(text)); },
      [](int value, int delta) { return CDriverDocText::SpinVersion(value, delta); });
  connect(m_ui->versionSpin, &CRuleSpinBox::Committed, this, &CDetailEditHeader::ApplyEdits);
  connect(m_ui->typeCombo, &QComboBox::activated, this, &CDetailEditHeader::OnTypeChosen);
  connect(m_ui->manufacturerCombo, &QComboBox::activated, this, &CDetailEditHeader::ApplyEdits);
}

CDetailEditHeader::~CDetailEditHeader() = default;

void CDetailEditHeader::FillLists() {
  const CCommandLibrary& library = CReferenceLists::Library();
  for (int i = 0; i < library.GetCount(); ++i) {
    const CCommandList* list = library.GetAt(i);
    if (list != nullptr && !list->GetTypeName().empty()) m_ui->typeCombo->addItem(FromDriverText(list->GetTypeName()));
  }
  for (const std::string& name : CReferenceLists::Manufacturers().GetComboBoxEntries())
    m_ui->manufacturerCombo->addItem(FromDriverText(name));
}

void CDetailEditHeader::ApplyEdits() {
  if (m_rendering) return;
  CDriverDoc::HeaderFields typed;
  typed.deviceType = ToDriverText(m_ui->typeCombo->currentText());
  typed.manufacturer = ToDriverText(m_ui->manufacturerCombo->currentText());
  typed.model = ToDriverText(m_ui->modelEdit->text());
  typed.comments = ToDriverText(m_ui->commentsEdit->text());
  typed.version = std::to_string(m_ui->versionSpin->value());
  const CDriverDoc::HeaderFields stored = Doc().GetHeaderFields();
  const bool changed = typed.deviceType != stored.deviceType || typed.manufacturer != stored.manufacturer ||
                       typed.model != stored.model || typed.comments != stored.comments ||
                       typed.version != std::to_string(CDriverDocText::ConfirmVersion(stored.version));
  if (!changed) return;
  for (QLineEdit* line : {m_ui->typeCombo->lineEdit(), m_ui->manufacturerCombo->lineEdit(), m_ui->modelEdit,
                          m_ui->commentsEdit}) {
    line->setModified(false);
  }
  m_status = QString::fromStdString(Doc().ApplyHeaderEdits(typed));
  Render();
}

void CDetailEditHeader::OnTypeChosen(int index) {
  if (m_rendering || index < 0) return;
  m_ui->typeCombo->lineEdit()->setModified(false);
  Doc().ChooseDeviceType(ToDriverText(m_ui->typeCombo->itemText(index)));
}

void CDetailEditHeader::Render() {
  m_rendering = true;
  const CDriverDoc::HeaderFields fields = Doc().GetHeaderFields();
  ShowComboText(m_ui->typeCombo, FromDriverText(fields.deviceType));
  ShowComboText(m_ui->manufacturerCombo, FromDriverText(fields.manufacturer));
  ShowText(m_ui->modelEdit, FromDriverText(fields.model));
  ShowText(m_ui->commentsEdit, FromDriverText(fields.comments));
  if (!m_ui->versionSpin->hasFocus()) m_ui->versionSpin->ShowValue(CDriverDocText::ConfirmVersion(fields.version));
  m_ui->headerStatus->setText(m_status);
  m_rendering = false;
}

}  // namespace quillon::ui
