// Editing a driver through its window: renaming in place, New Function, the
// clipboard between two drivers with a conflict, drag and drop, the Delete
// key, the header and function panes, saving, and two windows on one driver.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>

#include "irmodel/CDriverDocText.h"
#include "tests/ui/frame_test_support.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DetailView.h"
#include "ui/DriverClipboard.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"
#include "ui/ListViewEdit.h"
#include "ui/RuleSpinBox.h"

namespace quillon::ui {
namespace {

using namespace frametest;

std::vector<std::string> Names(const CDriverFrame& frame) { return Column(frame.FunctionView(), 1); }

// Renames the function shown in ROW of the list by typing NAME in place.
void RenameInPlace(CFunctionView* list, int row, const QString& name) {
  const QModelIndex index = list->model()->index(row, 1);
  list->setCurrentIndex(index);
  list->edit(index);
  auto* editor = list->findChild<CListViewEdit*>(QStringLiteral("listViewEdit"));
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, name);
  QTest::keyClick(editor, Qt::Key_Return);
  // The field commits once it has closed, and the rename runs after that.
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Drops DATA on LIST at the row ROW (or below the last row for -1), as the
// user's drag would: enter, move, drop.
Qt::DropAction Drop(CFunctionView* list, QMimeData* data, int row) {
  const int rows = list->model()->rowCount();
  list->scrollTo(list->model()->index(row >= 0 ? row : rows - 1, 0));
  QPoint point;
  if (row >= 0) point = list->visualRect(list->model()->index(row, 1)).center();
  else point = QPoint(10, list->viewport()->height() - 2);
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(point, actions, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDragMoveEvent move(point, actions, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &move);
  QDropEvent drop(QPointF(point), actions, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  QApplication::processEvents();  // a copy is merged once the drag is over
  return drop.dropAction();
}

TEST_F(FrameTest, RenameInPlaceRefusesIllegalNames) {
  DriverDocument& document = Open(WriteDriver("cd.vir", "CD", {"POWER", "MY_A", "MY_B"}));
  CDriverFrame frame(document);
  frame.show();
  CFunctionView* list = frame.FunctionView();
  ASSERT_EQ(Names(frame)[40], "MY_A");

  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  RenameInPlace(list, 40, QStringLiteral("A<B"));
  ASSERT_FALSE(QtPrompt::ShownBoxes().empty());
  EXPECT_EQ(QtPrompt::ShownBoxes().back().text, CDriverDocText::kIllegalNameMessage);
  EXPECT_EQ(QtPrompt::ShownBoxes().back().text, "Illegal XML characters: <, >, ', \" and & in function name.");
  EXPECT_EQ(Names(frame)[40], "MY_A");
  EXPECT_FALSE(document.Doc().IsModified());

  RenameInPlace(list, 40, QStringLiteral("Zoom Wide"));
  EXPECT_EQ(Names(frame)[40], "Zoom Wide");
  EXPECT_TRUE(document.Doc().IsModified());
  EXPECT_EQ(frame.SelectedPositions(), std::vector<int>{40});
  EXPECT_EQ(document.DecoratedTitle(), "cd.vir*");

  // An empty name changes nothing.
  RenameInPlace(list, 41, QString());
  EXPECT_EQ(Names(frame)[41], "MY_B");
}

TEST_F(FrameTest, NewFunctionUntilTheLimit) {
  DriverDocument& document = Open(WriteDriver("other.vir", "Other", {"POWER"}));
  CDriverFrame frame(document);
  frame.show();
  int commandStates = 0;
  QObject::connect(&frame, &CDriverFrame::CommandStateChanged, [&] { ++commandStates; });
  for (int count = 1; count < 126; ++count) {
    ASSERT_TRUE(frame.CanNewFunction());
    frame.NewFunction();
    ASSERT_EQ(frame.FunctionView()->FunctionCount(), count + 1);
  }
  EXPECT_GT(commandStates, 0);
  EXPECT_EQ(Names(frame)[125], "*Empty*");
  EXPECT_EQ(frame.SelectedPositions(), std::vector<int>{125});  // the new one, alone
  // 126: still enabled, but nothing is added.
  EXPECT_TRUE(frame.CanNewFunction());
  frame.NewFunction();
  EXPECT_EQ(frame.FunctionView()->FunctionCount(), 126);
  // 127 (pasted in, say): disabled.
  document.Doc().GetDriver().Append(MakeFunction("EXTRA"));
  document.NotifyChanged();
  EXPECT_FALSE(frame.CanNewFunction());
}

TEST_F(FrameTest, CopyTwoFunctionsToAnotherDriverThroughTheClipboardRenamingTheConflict) {
  DriverDocument& source = Open(WriteDriver("vcr.vir", "Other", {"POWER", "PLAY", "REC"}));
  DriverDocument& target = Open(WriteDriver("tv.vir", "Other", {"POWER", "MUTE"}));
  CDriverFrame from(source);
  CDriverFrame to(target);
  from.show();
  to.show();
  from.FunctionView()->SelectPositions({0, 2});
  ASSERT_TRUE(from.CanCopy());
  from.Copy();
  EXPECT_TRUE(to.CanPaste());
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(DriverClipboard::MimeType()));

  // POWER exists in the target: the real dialog asks; the answer is "rename".
  QStringList offered;
  QString title;
  WhenShown<CCopyConflictDlg>([&](CCopyConflictDlg* dialog) {
    title = dialog->windowTitle();
    for (QRadioButton* choice : dialog->findChildren<QRadioButton*>()) offered << choice->text();
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("choiceRenameNew")->isChecked());
    dialog->accept();
  });
  to.Paste();
  EXPECT_EQ(title, "Conflicting Function Names");
  EXPECT_EQ(offered.size(), 6);
  EXPECT_EQ(Names(to), (std::vector<std::string>{"POWER", "MUTE", "NewPOWER", "REC"}));
  EXPECT_EQ(target.Doc().GetDriver().GetFunction(2)->GetSubFunctionCount(), 1);
  EXPECT_TRUE(target.Doc().IsModified());
  EXPECT_EQ(Names(from), (std::vector<std::string>{"POWER", "PLAY", "REC"}));  // a copy leaves the source

  // Cut takes them away from the source.
  from.FunctionView()->SelectPositions({1});
  from.Cut();
  EXPECT_EQ(Names(from), (std::vector<std::string>{"POWER", "REC"}));
  to.Paste();
  EXPECT_EQ(Names(to).back(), "PLAY");
}

TEST_F(FrameTest, DragMovesWithinTheListAndCopiesOntoAnotherDriver) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A", "B", "C", "D", "E"}));
  CDriverFrame frame(document);
  frame.resize(400, 400);
  frame.show();
  CFunctionView* list = frame.FunctionView();

  list->SelectPositions({1, 3});  // B and D, dropped on A
  std::unique_ptr<QMimeData> data(list->MakeDragData());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(Drop(list, data.get(), 0), Qt::MoveAction);
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"B", "D", "A", "C", "E"}));
  EXPECT_EQ(frame.SelectedPositions(), (std::vector<int>{0, 1}));
  EXPECT_TRUE(document.Doc().IsModified());

  data.reset(list->MakeDragData());  // B and D again, below the last row
  EXPECT_EQ(Drop(list, data.get(), -1), Qt::MoveAction);
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"A", "C", "E", "B", "D"}));

  // Onto another driver's window: copied, the source unchanged.
  DriverDocument& other = Open(WriteDriver("b.vir", "Other", {"X"}));
  CDriverFrame otherFrame(other);
  otherFrame.show();
  list->SelectPositions({0});
  data.reset(list->MakeDragData());
  EXPECT_EQ(Drop(otherFrame.FunctionView(), data.get(), 0), Qt::CopyAction);
  EXPECT_EQ(Names(otherFrame), (std::vector<std::string>{"X", "A"}));
  EXPECT_EQ(Names(frame).size(), 5u);
}

TEST_F(FrameTest, SortedByNameTheListStillActsOnTheRightFunctions) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"b", "A", "C", "a2"}));
  CDriverFrame frame(document);
  frame.show();
  CFunctionView* list = frame.FunctionView();
  QHeaderView* header = list->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 20, 5));
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"A", "a2", "b", "C"}));  // letter case ignored
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"1", "3", "0", "2"}));

  list->selectRow(0);  // "A", second in the driver
  EXPECT_EQ(frame.SelectedPositions(), std::vector<int>{1});
  RenameInPlace(list, 2, QStringLiteral("Bee"));  // "b"
  EXPECT_STREQ(document.Doc().GetDriver().GetFunction(0)->GetName(), "Bee");

  list->selectRow(0);
  std::unique_ptr<QMenu> menu(list->MakeContextMenu(nullptr));
  auto* cut = menu->findChild<QAction*>("menuCut");
  ASSERT_NE(cut, nullptr);
  EXPECT_TRUE(cut->isEnabled());
  cut->trigger();
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"a2", "Bee", "C"}));
  list->selectRow(2);
  QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);  // paste with the keyboard
  EXPECT_EQ(document.Doc().GetDriver().GetFunctionCount(), 4);

  // Clicking "Index" puts the list back in driver order.
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 10, 5));
  EXPECT_EQ(Names(frame), (std::vector<std::string>{"Bee", "C", "a2", "A"}));
}

TEST_F(FrameTest, DeleteKeyDeletesTheSelectedFunctions) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A", "B", "C"}));
  CDriverFrame frame(document);
  frame.show();
  frame.FunctionView()->SelectPositions({0, 2});
  QTest::keyClick(frame.FunctionView(), Qt::Key_Delete);
  EXPECT_EQ(Names(frame), std::vector<std::string>{"B"});
  EXPECT_TRUE(frame.SelectedPositions().empty());
  EXPECT_FALSE(frame.CanCopy());
}

TEST_F(FrameTest, SavedEditsComeBackWhenReopened) {
  const std::string path = WriteDriver("dvd.vir", "DVD", {"POWER", "PLAY", "MINE"});
  DriverDocument& document = Open(path);
  CDriverFrame frame(document);
  frame.show();
  RenameInPlace(frame.FunctionView(), 52, QStringLiteral("Mine Too"));
  frame.NewFunction();
  auto* model = Find<QLineEdit>(&frame, "modelEdit");
  model->setText(QStringLiteral("DV-100"));
  model->setModified(true);
  emit model->editingFinished();
  const std::vector<std::string> before = Names(frame);
  ASSERT_TRUE(document.Doc().OnSaveDocument(path));
  EXPECT_EQ(document.DecoratedTitle(), "dvd.vir");

  DriverDocument& reopened = Open(path);
  CDriverFrame again(reopened);
  again.show();
  std::vector<std::string> after = Names(again);
  // A placeholder in a non-standard slot keeps its "*Empty*" name.
  EXPECT_EQ(after, before);
  EXPECT_EQ(Find<QLabel>(&again, "summaryModel")->text(), "DV-100");
  EXPECT_EQ(reopened.Doc().GetDriver().GetFunction(3)->GetSubFunctionCount(), 1);  // PLAY kept its signal
}

TEST_F(FrameTest, TwoWindowsOnOneDriverStayInStep) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A", "B", "C"}));
  CDriverFrame first(document);
  CDriverFrame second(document);  // "New Window"
  first.show();
  second.show();
  second.FunctionView()->SelectPositions({2});
  first.FunctionView()->SelectPositions({0});
  first.NewFunction();
  EXPECT_EQ(Names(second), Names(first));
  EXPECT_EQ(second.SelectedPositions(), std::vector<int>{2});  // its own selection stays
  RenameInPlace(second.FunctionView(), 1, QStringLiteral("Bee"));
  EXPECT_EQ(Names(first)[1], "Bee");
  EXPECT_EQ(second.SelectedPositions(), std::vector<int>{1});  // renamed there: selected there
  second.FunctionView()->SelectPositions({2});
  first.FunctionView()->SelectPositions({1});
  first.Cut();
  EXPECT_EQ(Names(second), (std::vector<std::string>{"A", "C", "*Empty*"}));
  EXPECT_EQ(second.SelectedPositions(), std::vector<int>{1});  // still C

  auto* comments = Find<QLineEdit>(&first, "commentsEdit");
  comments->setText(QStringLiteral("Kitchen"));
  comments->setModified(true);
  emit comments->editingFinished();
  EXPECT_EQ(Find<QLabel>(&second, "summaryComments")->text(), "Kitchen");
  EXPECT_EQ(Find<QLineEdit>(&second, "commentsEdit")->text(), "Kitchen");
}

TEST_F(FrameTest, HeaderPaneCleansTextsAndShowsTheDocumentsStatus) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A"}));
  CDriverFrame frame(document);
  frame.show();
  auto* manufacturer = Find<QComboBox>(&frame, "manufacturerCombo");
  EXPECT_GT(manufacturer->count(), 300);
  EXPECT_NE(manufacturer->findText("Other"), -1);  // "???" is offered as Other
  manufacturer->lineEdit()->setText(QStringLiteral("A & B <Pro>"));
  manufacturer->lineEdit()->setModified(true);
  emit manufacturer->lineEdit()->editingFinished();
  EXPECT_EQ(manufacturer->currentText(), "A and B Pro");
  EXPECT_EQ(Find<QLabel>(&frame, "headerStatus")->text(), "Illegal Characters removed.");

  auto* version = Find<CRuleSpinBox>(&frame, "versionSpin");
  version->setFocus();
  version->selectAll();
  QTest::keyClicks(version, "x2");
  QTest::keyClick(version, Qt::Key_Return);
  EXPECT_EQ(document.Doc().GetHeaderFields().version, "2");
  EXPECT_EQ(Find<QLabel>(&frame, "headerStatus")->text(), "");
  version->stepBy(300);
  EXPECT_EQ(document.Doc().GetHeaderFields().version, "255");

  // Choosing a type from the list lays the functions out along its commands.
  auto* type = Find<QComboBox>(&frame, "typeCombo");
  const int cd = type->findText("CD");
  ASSERT_GE(cd, 0);
  type->setCurrentIndex(cd);
  emit type->activated(cd);
  EXPECT_EQ(Names(frame).size(), 41u);
  EXPECT_EQ(Names(frame)[0], "POWER");
  EXPECT_EQ(Find<QLabel>(&frame, "summaryType")->text(), "CD");
}

TEST_F(FrameTest, FunctionsPaneSetsRepeatCountAndModulationOfTheSelection) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A", "B", "C"}));
  CDriverFrame frame(document);
  frame.show();
  auto* repeat = Find<CRuleSpinBox>(&frame, "repeatSpin");
  auto* modulated = Find<QCheckBox>(&frame, "modulatedCheck");
  EXPECT_FALSE(repeat->isEnabled());  // nothing selected
  frame.FunctionView()->SelectPositions({0, 2});
  EXPECT_TRUE(repeat->isEnabled());
  EXPECT_EQ(repeat->value(), 3);
  EXPECT_EQ(modulated->checkState(), Qt::Checked);

  repeat->setFocus();
  repeat->selectAll();
  QTest::keyClicks(repeat, "18");  // the low 4 bits: 2
  QTest::keyClick(repeat, Qt::Key_Return);
  const TQVXIr& driver = document.Doc().GetDriver();
  EXPECT_EQ(driver.GetFunction(0)->GetSubFunction(0)->GetRepeatCount(), 2);
  EXPECT_EQ(driver.GetFunction(1)->GetSubFunction(0)->GetRepeatCount(), 3);
  EXPECT_EQ(driver.GetFunction(2)->GetSubFunction(0)->GetRepeatCount(), 2);
  EXPECT_EQ(repeat->value(), 2);

  modulated->click();
  EXPECT_FALSE(driver.GetFunction(0)->GetSubFunction(0)->IsModulated());
  EXPECT_TRUE(driver.GetFunction(1)->GetSubFunction(0)->IsModulated());
  frame.FunctionView()->SelectPositions({0, 1});
  EXPECT_EQ(modulated->checkState(), Qt::PartiallyChecked);
  modulated->click();
  EXPECT_TRUE(driver.GetFunction(0)->GetSubFunction(0)->IsModulated());
  EXPECT_TRUE(driver.GetFunction(0)->IsModified());
}

}  // namespace
}  // namespace quillon::ui
