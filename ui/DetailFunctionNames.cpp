#include "ui/DetailFunctionNames.h"

#include <QHeaderView>

#include "app/CMemINIValue.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/CDriverDocText.h"
#include "irmodel/CFunctionSettings.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui/TextTableModel.h"
#include "ui_DetailFunctionNames.h"

namespace quillon::ui {

CDetailFunctionNames::CDetailFunctionNames(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent),
      m_ui(std::make_unique<Ui::CDetailFunctionNames>()),
      m_settings(new TextTableModel({QStringLiteral("Key"), QStringLiteral("Value")}, this)) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("functionsPane"));
  m_ui->settingsList->setModel(m_settings);
  m_ui->settingsList->horizontalHeader()->resizeSection(0, 112);
  m_ui->settingsList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  // The number typed is read as the document reads it: its low 4 bits.
  m_ui->repeatSpin->SetRules([](const QString& text) { return AtoiText(ToDriverText(text)) & 0x0F; },
                             [](int value, int delta) { return CDriverDocText::SpinRepeatCount(value, delta); });
  connect(m_ui->repeatSpin, &CRuleSpinBox::Committed, this, &CDetailFunctionNames::OnRepeatCommitted);
  connect(m_ui->modulatedCheck, &QCheckBox::clicked, this, &CDetailFunctionNames::OnModulatedClicked);
}

CDetailFunctionNames::~CDetailFunctionNames() = default;

void CDetailFunctionNames::OnRepeatCommitted(int value) {
  if (Selection().empty()) return;
  HandSelectionToDocument();
  Doc().SetRepeatCount(std::to_string(value));
}

void CDetailFunctionNames::OnModulatedClicked(bool checked) {
  if (Selection().empty()) return;
  HandSelectionToDocument();
  Doc().SetModulation(checked);
}

void CDetailFunctionNames::Render() {
  const CFunctionSettings settings = CFunctionSettings::Of(Doc().GetDriver(), Selection());

  m_ui->repeatSpin->setEnabled(settings.HasSelection());
  m_ui->repeatLabel->setEnabled(settings.HasSelection());
  if (!m_ui->repeatSpin->hasFocus() || !settings.HasSelection())
    m_ui->repeatSpin->ShowValue(settings.RepeatCount().value_or(0));

  QCheckBox* box = m_ui->modulatedCheck;
  box->setEnabled(settings.HasSelection());
  switch (settings.GetModulation()) {
    case CFunctionSettings::Modulation::kMixed:
      box->setTristate(true);
      box->setCheckState(Qt::PartiallyChecked);
      break;
    case CFunctionSettings::Modulation::kOn:
      box->setTristate(false);
      box->setChecked(true);
      break;
    case CFunctionSettings::Modulation::kOff:
    case CFunctionSettings::Modulation::kNone:
      box->setTristate(false);
      box->setChecked(false);
      break;
  }

  QVector<QStringList> rows;
  for (const auto& [key, value] : settings.Rows()) rows.push_back({FromDriverText(key), FromDriverText(value)});
  m_settings->SetRows(std::move(rows));
}

}  // namespace quillon::ui
