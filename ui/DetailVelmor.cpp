#include "ui/DetailVelmor.h"

#include <QHeaderView>
#include <QFontDatabase>
#include <QItemSelectionModel>

#include "irmodel/CDriverDoc.h"
#include "irmodel/CSubFunctionText.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui/TextTableModel.h"
#include "ui_DetailVelmor.h"

namespace quillon::ui {
namespace {

QStringList Titles(const std::vector<std::string>& titles) {
  QStringList list;
  for (const std::string& title : titles) list << QString::fromStdString(title);
  return list;
}

// Sets the width of each column: at least WIDTH and never narrower than its
// title.
void SizeColumn(QHeaderView* header, int section, int width) {
  header->resizeSection(section, std::max(width, header->sectionSizeHint(section)));
}

}  // namespace

CDetailVelmor::CDetailVelmor(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent),
      m_ui(std::make_unique<Ui::CDetailVelmor>()),
      m_subFunctions(new TextTableModel(Titles(CSubFunctionText::ListColumns()), this)),
      m_data(new TextTableModel(Titles(CSubFunctionText::DataColumns()), this)) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("subFunctionsPane"));
  m_ui->subFunctionList->setModel(m_subFunctions);
  m_ui->dataList->setModel(m_data);
  const int rowHeight = fontMetrics().height() + 6;
  m_ui->subFunctionList->verticalHeader()->setDefaultSectionSize(rowHeight);
  m_ui->dataList->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  QHeaderView* list = m_ui->subFunctionList->horizontalHeader();
  SizeColumn(list, 0, 48);
  for (int column = 1; column < m_subFunctions->columnCount(); ++column) SizeColumn(list, column, 64);
  // The headings fit on one line; hex dumps read best in a fixed-pitch font.
  int headingWidth = 96;
  for (const CSubFunctionText::DataRow& row : CSubFunctionText::DataRows(TQVXIrSubFunction()))
    headingWidth = std::max(headingWidth, fontMetrics().horizontalAdvance(QString::fromStdString(row.heading)) + 16);
  m_ui->dataList->horizontalHeader()->resizeSection(0, headingWidth);
  m_data->SetColumnFont(1, QFontDatabase::systemFont(QFontDatabase::FixedFont));
  connect(m_ui->subFunctionList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
    if (!m_rendering) RenderSubFunction();
  });
}

CDetailVelmor::~CDetailVelmor() = default;

void CDetailVelmor::Render() {
  m_rendering = true;
  const TQVXIrFunction* function =
      Selection().empty() ? nullptr : Doc().GetDriver().GetFunction(Selection().front());
  const int keptRow = m_ui->subFunctionList->currentIndex().row();
  QVector<QStringList> rows;
  m_subIndices.clear();
  if (function != nullptr && Doc().SupportedDriverTest()) {
    for (const CSubFunctionText::ListEntry& entry : CSubFunctionText::ListRows(*function)) {
      QStringList cells;
      for (const std::string& cell : entry.cells) cells << QString::fromStdString(cell);
      rows.push_back(cells);
      m_subIndices.push_back(entry.index);
    }
  }
  const bool sameRows = rows == m_subFunctions->Rows();
  m_subFunctions->SetRows(std::move(rows));
  if (!m_subIndices.empty()) {
    // The first row is selected, unless the same list is redrawn.
    const int row = sameRows && keptRow >= 0 && keptRow < static_cast<int>(m_subIndices.size()) ? keptRow : 0;
    m_ui->subFunctionList->selectionModel()->setCurrentIndex(
        m_subFunctions->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  m_rendering = false;
  RenderSubFunction();
}

void CDetailVelmor::RenderSubFunction() {
  const int row = m_ui->subFunctionList->currentIndex().row();
  const TQVXIrFunction* function =
      Selection().empty() ? nullptr : Doc().GetDriver().GetFunction(Selection().front());
  const TQVXIrSubFunction* sub = nullptr;
  if (function != nullptr && row >= 0 && row < static_cast<int>(m_subIndices.size()))
    sub = function->GetSubFunction(m_subIndices[static_cast<std::size_t>(row)]);
  QVector<QStringList> rows;
  if (sub != nullptr) {
    for (const CSubFunctionText::DataRow& data : CSubFunctionText::DataRows(*sub))
      rows.push_back({QString::fromStdString(data.heading), QString::fromStdString(data.data)});
  }
  m_data->SetRows(std::move(rows));
  m_ui->modulatedBox->setChecked(sub != nullptr && sub->IsModulated());
  m_ui->x10Box->setChecked(sub != nullptr && sub->IsX10());
}

}  // namespace quillon::ui
