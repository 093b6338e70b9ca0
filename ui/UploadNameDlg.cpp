#include "ui/UploadNameDlg.h"

#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "deviceops/CUploadNameChoice.h"
#include "ui/DriverText.h"
#include "ui_UploadNameDlg.h"

namespace quillon::ui {

CUploadNameDlg::CUploadNameDlg(CUploadNameChoice& choice, QWidget* parent)
    : QDialog(parent), m_choice(choice), m_ui(std::make_unique<Ui::CUploadNameDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("uploadNameDialog"));
  setWindowTitle(QString::fromLatin1(CUploadNameChoice::kTitle));
  m_ui->nameGroup->setTitle(QString::fromLatin1(CUploadNameChoice::kGroup));
  m_ui->suffixText->setText(QString::fromLatin1(CUploadNameChoice::kSuffix));
  m_choices[0] = m_ui->autoNumberChoice;
  m_choices[1] = m_ui->numberChoice;
  m_choices[2] = m_ui->localNameChoice;
  for (int i = 0; i < 3; ++i) {
    m_choices[i]->setText(QString::fromLatin1(CUploadNameChoice::kChoiceTexts[i]));
    connect(m_choices[i], &QRadioButton::clicked, this, [this, i] {
      m_choice.SetChoice(i);
      Render();
    });
  }
  // The spin box keeps to 0 ... 99 itself; the core clamps what it is given.
  connect(m_ui->numberSpin, qOverload<int>(&QSpinBox::valueChanged), this, [this](int value) {
    m_choice.SetNumber(value);
    Render();
  });
  const QString local = FromDriverText(m_choice.GetLocalName());
  m_ui->localNameText->setText(local);
  m_ui->localNameText->setVisible(!local.isEmpty());
  Render();
}

CUploadNameDlg::~CUploadNameDlg() = default;

void CUploadNameDlg::Render() {
  for (int i = 0; i < 3; ++i) {
    const QSignalBlocker block(m_choices[i]);
    m_choices[i]->setEnabled(m_choice.IsChoiceEnabled(i));
    m_choices[i]->setChecked(m_choice.GetChoice() == i);
  }
  const QSignalBlocker block(m_ui->numberSpin);
  m_ui->numberSpin->setValue(m_choice.GetNumber());
  m_ui->numberSpin->setEnabled(m_choice.IsNumberEnabled());
  m_ui->suffixText->setEnabled(m_choice.IsNumberEnabled());
}

bool CUploadNameDlg::Ask(QWidget* parent, CUploadNameChoice& choice) {
  CUploadNameDlg dialog(choice, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace quillon::ui
