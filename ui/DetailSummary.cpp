#include "ui/DetailSummary.h"

#include <QLabel>

#include "irmodel/CDriverSummary.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui_DetailSummary.h"

namespace quillon::ui {

CDetailSummary::CDetailSummary(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent), m_ui(std::make_unique<Ui::CDetailSummary>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("summaryPane"));
  QFont heading = m_ui->summaryDriver->font();
  heading.setBold(true);
  m_ui->summaryDriver->setFont(heading);
  // Driver texts are shown as they are, never read as markup.
  for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

CDetailSummary::~CDetailSummary() = default;

void CDetailSummary::Render() {
  const CDriverSummary summary =
      CDriverSummary::Of(Doc().GetDriver(), ToDriverText(Document().Title()));
  m_ui->summaryDriver->setText(FromDriverText(summary.KindText() + summary.Name()));
  const std::pair<QLabel*, const char*> fields[] = {
      {m_ui->summaryType, "Type"},       {m_ui->summaryManufacturer, "Manufacturer"},
      {m_ui->summaryModel, "Model"},     {m_ui->summaryDate, "Date"},
      {m_ui->summaryComments, "Comments"}, {m_ui->summaryFileFormat, "File Format"},
      {m_ui->summaryLearner, "Learner"}, {m_ui->summaryVersion, "Version"},
  };
  for (const auto& [label, name] : fields) label->setText(FromDriverText(summary.Field(name)));
}

}  // namespace quillon::ui
