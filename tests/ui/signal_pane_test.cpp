// The "Signal" tab of a driver window: the selected function drawn with its
// protocol and carrier, its last verification beside it time value by time
// value, and nothing stale once the function's data has changed.
#include <QLabel>
#include <QTableView>

#include "tests/ui/frame_test_support.h"
#include "ui/DetailView.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"
#include "ui/WaveformView.h"

namespace quillon::ui {
namespace {

using namespace frametest;

QString Text(QWidget* frame, const char* name) {
  auto* label = Find<QLabel>(frame, name);
  return label ? label->text() : QString();
}

std::vector<QString> Labels(const WaveformView* view) {
  std::vector<QString> labels;
  for (const auto& trace : view->Traces()) labels.push_back(trace.label);
  return labels;
}

TEST_F(FrameTest, TheSignalTabShowsTheSelectedFunctionAndItsLastVerification) {
  DriverDocument& document = Open(WriteDriver("tv.vir", "TV", {"POWER", "MENU"}));
  CDriverFrame frame(document);
  frame.resize(760, 560);
  frame.show();
  QTabWidget* tabs = frame.DetailView()->Tabs();
  tabs->setCurrentIndex(tabs->count() - 1);
  ASSERT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Signal"));
  auto* wave = Find<WaveformView>(&frame, "waveformView");
  auto* report = Find<QTableView>(&frame, "verifyList");
  ASSERT_TRUE(wave && report);

  frame.FunctionView()->SelectPositions({0, 1});
  QApplication::processEvents();
  EXPECT_EQ(Text(&frame, "signalTitle"), QStringLiteral("POWER  (the first of 2 selected functions)"));
  EXPECT_EQ(Text(&frame, "protocolValue"),
            QStringLiteral("unknown (matches none of the protocols Quillon recognises)"));
  EXPECT_EQ(Text(&frame, "carrierValue"), QStringLiteral("38.0 kHz (divider 1736)"));
  // 26.3 us cycles: the header (T0 mark, T2 space: 448 cycles) once, then
  // the body (T0 T1, T1 T0: 192 cycles) three times.
  EXPECT_EQ(Text(&frame, "pressValue").toStdString(),
            "Header 11.8 ms once, then the body (5.0 ms) 3 times: 26.9 ms in all.");
  EXPECT_EQ(Labels(wave), std::vector<QString>{"Stored"});
  EXPECT_GT(wave->LengthUs(), 0u);
  EXPECT_TRUE(Text(&frame, "verifyVerdict").startsWith(QStringLiteral("No verification of this function yet.")));
  EXPECT_FALSE(report->isVisibleTo(&frame));

  // A verification whose capture has T1 an eighth longer: drawn beneath the
  // stored signal, and every time value listed with its deviation.
  const TQVXIrFunction& power = *document.Doc().GetDriver().GetFunction(0);
  TQVXIrSubFunction captured = *power.GetSubFunction(0);
  captured.SetTimes(std::vector<std::uint16_t>{0x20, 0x48, 0x1A0});
  document.Doc().SetVerifyCapture(power, captured);
  QApplication::processEvents();
  EXPECT_EQ(Labels(wave), (std::vector<QString>{"Stored", "Captured"}));
  EXPECT_TRUE(report->isVisibleTo(&frame));
  EXPECT_EQ(Text(&frame, "verifyVerdict"),
            QStringLiteral("Captured data does not match function data: 1 of 3 time values lie outside 10 %."));
  const QAbstractItemModel* rows = report->model();
  ASSERT_EQ(rows->rowCount(), 4);
  EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("Carrier"));
  EXPECT_EQ(rows->index(0, 3).data().toString(), QStringLiteral("0.0 %"));
  EXPECT_EQ(rows->index(2, 0).data().toString(), QStringLiteral("T1"));
  EXPECT_EQ(rows->index(2, 3).data().toString(), QStringLiteral("+12.5 %"));
  // Only the value outside the tolerance is marked.
  EXPECT_TRUE(rows->index(2, 3).data(Qt::ForegroundRole).isValid());
  EXPECT_FALSE(rows->index(1, 3).data(Qt::ForegroundRole).isValid());

  // Another function has no verification of its own.
  frame.FunctionView()->SelectPositions({1});
  QApplication::processEvents();
  EXPECT_EQ(Labels(wave), std::vector<QString>{"Stored"});
  EXPECT_FALSE(report->isVisibleTo(&frame));

  // Once the verified function's data changes, its old capture is not shown.
  frame.FunctionView()->SelectPositions({0});
  QApplication::processEvents();
  EXPECT_EQ(Labels(wave).size(), 2u);
  TQVXIrSubFunction changed = *power.GetSubFunction(0);
  changed.SetTimes(std::vector<std::uint16_t>{0x20, 0x44, 0x1A0});
  *document.Doc().GetDriver().GetFunction(0)->GetSubFunction(0) = changed;
  document.NotifyChanged();
  QApplication::processEvents();
  EXPECT_EQ(Labels(wave), std::vector<QString>{"Stored"});
  EXPECT_TRUE(Text(&frame, "verifyVerdict").startsWith(QStringLiteral("No verification of this function yet.")));

  // A placeholder holds nothing to draw.
  frame.FunctionView()->SelectPositions({frame.FunctionView()->NewFunction()});
  QApplication::processEvents();
  EXPECT_TRUE(wave->Traces().empty());
  EXPECT_EQ(Text(&frame, "signalTitle").toStdString(),
            "*Empty* holds no IR data yet: learn it, import it or paste it.");
}

}  // namespace
}  // namespace quillon::ui
