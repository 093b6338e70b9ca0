#include "ui/ConnectionParamsDlg.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CQVXIrFinder.h"
#include "devicelink/CSerialParamTable.h"
#include "ui_ConnectionParamsDlg.h"

namespace quillon::ui {
namespace {

QString FromText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CDeviceConnectionDialog::CDeviceConnectionDialog(IPrompt& prompt, const CQVXDeviceTypeList& types,
                                                 CQVXIrFinder& finder, const CQVXConnectionTypeList& recent,
                                                 const CQVXConnectionType* current,
                                                 std::function<bool()> linkConnected, QWidget* parent)
    : QDialog(parent),
      m_core(prompt, &types),
      m_ui(std::make_unique<Ui::CDeviceConnectionDialog>()),
      m_recent(recent),
      m_linkConnected(std::move(linkConnected)) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("connectionDialog"));
  setWindowTitle(QString::fromLatin1(CConnectionDialogCore::kTitle));
  m_ui->pages->setTabText(0, QString::fromLatin1(CConnectionDialogCore::kTcpPage));
  m_ui->pages->setTabText(1, QString::fromLatin1(CConnectionDialogCore::kSerialPage));
  m_ui->portEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_ui->portEdit));
  m_ui->passwordEdit->setMaxLength(CConnectionDialogCore::kPasswordLimit);
  QTreeWidget* devices = m_ui->deviceList;
  for (int i = 0; i < 4; ++i) {
    devices->headerItem()->setText(i, QString::fromLatin1(CConnectionDialogCore::kColumns[i].title));
    devices->setColumnWidth(i, CConnectionDialogCore::kColumns[i].width);
  }
  devices->header()->setStretchLastSection(true);

  // The recent connections, most recent first.
  m_ui->recentCombo->setPlaceholderText(tr("Choose a recent connection"));
  for (int i = 0; i < m_recent.GetCount(); ++i) {
    m_ui->recentCombo->addItem(FromText(m_recent.GetAt(i)->GetDisplayText()).trimmed(), i);
  }
  m_ui->recentCombo->setEnabled(m_recent.GetCount() > 0);
  m_ui->recentCombo->setCurrentIndex(-1);

  m_core.Open(current);
  FillParamCombo(m_ui->bitRateCombo, SerialParam::BitRate);
  FillParamCombo(m_ui->parityCombo, SerialParam::Parity);
  FillParamCombo(m_ui->dataBitsCombo, SerialParam::DataBits);
  FillParamCombo(m_ui->stopBitsCombo, SerialParam::StopBits);
  FillParamCombo(m_ui->flowControlCombo, SerialParam::FlowControl);

  connect(m_ui->recentCombo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    m_core.ChooseRecent(m_recent.GetAt(m_ui->recentCombo->itemData(index).toInt()));
    Render();
  });
  connect(m_ui->pages, &QTabWidget::currentChanged, this, [this](int index) {
    if (!m_rendering) m_core.SetPage(index == 1 ? CConnectionDialogCore::Page::Serial : CConnectionDialogCore::Page::TCP);
  });
  connect(m_ui->addressEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { m_core.SetAddressText(text.trimmed().toStdString()); });
  connect(m_ui->portEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    m_core.SetPortText(text.toStdString());
    if (FromText(m_core.GetPortText()) != text) m_ui->portEdit->setText(FromText(m_core.GetPortText()));
  });
  connect(m_ui->passwordEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { m_core.SetPasswordText(text.toStdString()); });
  connect(devices, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_rendering) return;
    QTreeWidgetItem* item = m_ui->deviceList->currentItem();
    if (!item || !item->isSelected()) return;
    m_core.SelectRow(m_ui->deviceList->indexOfTopLevelItem(item));
    m_ui->addressEdit->setText(FromText(m_core.GetAddressText()));
  });
  connect(devices, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    m_core.SelectRow(m_ui->deviceList->indexOfTopLevelItem(item));
    OnDeviceChosen();
  });
  connect(m_ui->learnersOnlyCheck, &QCheckBox::toggled, this, [this](bool on) {
    if (m_rendering) return;
    m_core.SetLearnersOnly(on);
    if (m_core.OnTimer()) RenderDevices();
  });
  connect(m_ui->scanButton, &QPushButton::clicked, this, [this] {
    m_core.ScanRefresh();
    if (m_core.OnTimer()) RenderDevices();
  });
  connect(m_ui->serialPortCombo, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (!m_rendering) m_core.SetSerialPortText(text.toStdString());
  });
  const std::pair<QComboBox*, SerialParam> params[] = {{m_ui->bitRateCombo, SerialParam::BitRate},
                                                       {m_ui->parityCombo, SerialParam::Parity},
                                                       {m_ui->dataBitsCombo, SerialParam::DataBits},
                                                       {m_ui->stopBitsCombo, SerialParam::StopBits},
                                                       {m_ui->flowControlCombo, SerialParam::FlowControl}};
  for (const auto& [combo, table] : params) {
    connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this, table = table](int index) {
      if (!m_rendering) m_core.SetParamIndex(table, index);
    });
  }
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_ui->okButton, &QPushButton::clicked, this, [this] { OnClose(false); });
  connect(m_ui->connectButton, &QPushButton::clicked, this, [this] { OnClose(true); });

  // Devices are listened for while the dialog is open; the list follows
  // their answers as they come.
  m_core.StartDiscovery(finder);
  m_timer = new QTimer(this);
  m_timer->setInterval(CConnectionDialogCore::kTimerInterval);
  connect(m_timer, &QTimer::timeout, this, [this] {
    if (m_core.OnTimer()) RenderDevices();
  });
  m_timer->start();
  m_core.OnTimer();
  Render();
}

CDeviceConnectionDialog::~CDeviceConnectionDialog() { m_core.StopDiscovery(); }

void CDeviceConnectionDialog::done(int result) {
  m_timer->stop();
  m_core.StopDiscovery();
  QDialog::done(result);
}

void CDeviceConnectionDialog::FillParamCombo(QComboBox* combo, SerialParam table) {
  const CSerialParamTable::Entry* entries = CSerialParamTable::GetTable(table);
  for (int i = 0; i < CSerialParamTable::GetCount(table); ++i) {
    combo->addItem(QString::fromLatin1(entries[i].text), entries[i].value);
  }
}

void CDeviceConnectionDialog::Render() {
  m_rendering = true;
  m_ui->pages->setCurrentIndex(m_core.GetPage() == CConnectionDialogCore::Page::Serial ? 1 : 0);
  m_ui->addressEdit->setText(FromText(m_core.GetAddressText()));
  m_ui->portEdit->setText(FromText(m_core.GetPortText()));
  m_ui->passwordEdit->setText(FromText(m_core.GetPasswordText()));
  m_ui->learnersOnlyCheck->setChecked(m_core.GetLearnersOnly());

  m_ui->serialPortCombo->clear();
  for (const std::string& port : m_core.GetSerialPortEntries()) m_ui->serialPortCombo->addItem(FromText(port));
  m_ui->serialPortCombo->setCurrentIndex(m_ui->serialPortCombo->findText(FromText(m_core.GetSerialPortText())));
  m_ui->serialPortCombo->setPlaceholderText(tr("No serial port found"));
  m_ui->bitRateCombo->setCurrentIndex(m_core.GetParamIndex(SerialParam::BitRate));
  m_ui->parityCombo->setCurrentIndex(m_core.GetParamIndex(SerialParam::Parity));
  m_ui->dataBitsCombo->setCurrentIndex(m_core.GetParamIndex(SerialParam::DataBits));
  m_ui->stopBitsCombo->setCurrentIndex(m_core.GetParamIndex(SerialParam::StopBits));
  m_ui->flowControlCombo->setCurrentIndex(m_core.GetParamIndex(SerialParam::FlowControl));
  m_rendering = false;
  RenderDevices();
}

void CDeviceConnectionDialog::RenderDevices() {
  m_rendering = true;
  QTreeWidget* devices = m_ui->deviceList;
  devices->clear();
  for (const CQVXDatagram& row : m_core.GetRows()) {
    auto* item = new QTreeWidgetItem(devices, {FromText(row.m_AddressText), FromText(row.m_Name),
                                               FromText(row.m_PartNumber), FromText(row.m_Firmware)});
    if (row.m_Selected) {
      devices->setCurrentItem(item);
      item->setSelected(true);
    }
  }
  m_rendering = false;
}

void CDeviceConnectionDialog::OnDeviceChosen() {
  m_ui->addressEdit->setText(FromText(m_core.GetAddressText()));
  OnClose(false);
}

void CDeviceConnectionDialog::OnClose(bool connect) {
  switch (m_core.Accept(connect, m_linkConnected && m_linkConnected(), m_selected)) {
    case CConnectionDialogCore::Result::StayOpen: return;
    case CConnectionDialogCore::Result::Ok: accept(); return;
    case CConnectionDialogCore::Result::Connect: done(kConnectResult); return;
  }
}

}  // namespace quillon::ui
