// The driver window: its function list and detail tabs over a real driver.
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>

#include "tests/ui/frame_test_support.h"
#include "ui/DetailView.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"

namespace quillon::ui {
namespace {

using namespace frametest;

TEST_F(FrameTest, ASampleDriverShowsItsFunctionsAndTabs) {
  DriverDocument& document = Open(WriteDriver("dvd.vir", "DVD", {"POWER", "PLAY", "MY_FAVOURITE"}));
  CDriverFrame frame(document);
  frame.resize(800, 500);
  frame.show();

  auto* list = Find<QTableView>(&frame, "functionList");
  ASSERT_NE(list, nullptr);
  const int count = document.Doc().GetDriver().GetFunctionCount();
  EXPECT_EQ(count, 53);  // the 52 standard DVD commands, then the driver's own
  ASSERT_EQ(list->model()->rowCount(), count);
  EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "Index");
  EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), "Name");
  EXPECT_EQ(list->horizontalHeader()->sectionSize(0), 48);
  const std::vector<std::string> names = Column(list, 1);
  EXPECT_EQ(names[0], "POWER");
  EXPECT_EQ(names[3], "PLAY");
  EXPECT_EQ(names[52], "MY_FAVOURITE");
  EXPECT_EQ(Column(list, 0)[52], "52");

  auto* tabs = Find<QTabWidget>(&frame, "detailTabs");
  ASSERT_NE(tabs, nullptr);
  if (!frame.DetailView()->IsAdvancedMode()) {
    EXPECT_EQ(frame.DetailView()->TabLabels(), (QStringList{"Summary", "Header", "Functions"}));
  }
  EXPECT_EQ(Find<QLabel>(&frame, "summaryDriver")->text(), "IR Driver:  dvd.vir");
  EXPECT_EQ(Find<QLabel>(&frame, "summaryType")->text(), "DVD");
  EXPECT_EQ(Find<QLabel>(&frame, "summaryManufacturer")->text(), "Sony");
  EXPECT_EQ(Find<QLabel>(&frame, "summaryVersion")->text(), "3");
}

}  // namespace
}  // namespace quillon::ui
