#pragma once

// The learn window shows exactly what its core says: every button's enabled
// and visible state, labels, status, animation, rows and selection.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <string>
#include <utility>

#include "capture/CLearnDlg.h"
#include "ui/CaptureAnimation.h"
#include "ui/DriverText.h"
#include "ui/LearnDlgView.h"

namespace quillon::ui {

template <typename T = QWidget>
T* LearnDlgChild(CLearnDlgView& view, const char* name) {
  T* widget = view.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Everything the dialog shows equals what its core says.
inline void ExpectLearnDialogShowsCore(CLearnDlgView& view, const std::string& step) {
  SCOPED_TRACE(step);
  const CLearnDlg& core = view.Core();
  const std::pair<const char*, CLearnDlg::Control> controls[] = {
      {"learnButton", core.GetLearnButton()},       {"verifyButton", core.GetVerifyButton()},
      {"skipButton", core.GetSkipButton()},         {"abortButton", core.GetAbortButton()},
      {"reLearnButton", core.GetReLearnButton()},   {"acceptButton", core.GetAcceptButton()},
      {"okButton", core.GetOkButton()},             {"cancelButton", core.GetCancelButton()},
      {"autoSelectBox", core.GetAutoSelectBox()},   {"briefBox", core.GetBriefBox()},
      {"binButton", core.GetBinButton()},           {"enhancedAnalysisBox", core.GetEnhancedAnalysisBox()}};
  for (const auto& [name, control] : controls) {
    QWidget* widget = LearnDlgChild(view, name);
    if (!widget) continue;
    EXPECT_EQ(widget->isEnabled(), control.enabled) << name;
    EXPECT_EQ(widget->isVisibleTo(&view), control.visible) << name;
  }
  EXPECT_EQ(LearnDlgChild<QPushButton>(view, "reLearnButton")->text().toStdString(), core.GetReLearnLabel());
  EXPECT_EQ(LearnDlgChild<QCheckBox>(view, "autoSelectBox")->isChecked(), core.GetAutoSelect());
  EXPECT_EQ(LearnDlgChild<QCheckBox>(view, "enhancedAnalysisBox")->isChecked(), core.IsEnhancedAnalysis());
  EXPECT_EQ(LearnDlgChild<QLineEdit>(view, "statusText")->text().toStdString(), core.GetStatusText());
  EXPECT_EQ(LearnDlgChild<QLabel>(view, "currentName")->text(), FromDriverText(core.GetCurrentName()));
  EXPECT_EQ(LearnDlgChild<CaptureAnimation>(view, "animation")->State(), core.GetAnimation());
  auto* list = LearnDlgChild<QTreeView>(view, "list");
  EXPECT_EQ(list->isEnabled(), core.GetList().enabled);
  ASSERT_EQ(list->model()->rowCount(), static_cast<int>(core.GetRows().size()));
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    EXPECT_EQ(list->model()->index(row, 0).data().toString(), FromDriverText(core.GetRows()[row].name));
    EXPECT_EQ(list->model()->index(row, 1).data().toString().toStdString(), core.GetRows()[row].status);
  }
  const QModelIndexList selected = list->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().row(), core.GetSelectedRow());
}

}  // namespace quillon::ui
