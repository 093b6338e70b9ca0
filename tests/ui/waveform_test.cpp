#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "signals/TIrWaveform.h"
#include "ui/WaveformView.h"

namespace quillon::ui {
namespace {

WaveformView::Trace NecLikeTrace() {
  TIrSignal signal;
  signal.carrier_hz = 38000;
  signal.once = {9000, 4500, 560, 560, 560, 1690, 560, 40000};
  signal.repeat = {9000, 2250, 560, 96000};
  signal.repeats = 2;
  return {QStringLiteral("Learned"), TIrWaveform::Segments(signal, signal.repeats), QColor()};
}

TEST(WaveformView, ZoomAndPanStayInsideTheSignal) {
  WaveformView view;
  view.resize(600, 160);
  view.SetTraces({NecLikeTrace()});
  ASSERT_GT(view.LengthUs(), 0u);
  const double whole = view.UsPerPixel();
  EXPECT_DOUBLE_EQ(view.OffsetUs(), 0.0);

  view.ZoomBy(8.0, 300);
  EXPECT_NEAR(view.UsPerPixel(), whole / 8.0, whole / 1000.0);
  view.ScrollToUs(-5000.0);
  EXPECT_DOUBLE_EQ(view.OffsetUs(), 0.0);
  view.ScrollToUs(1e12);
  EXPECT_LE(view.OffsetUs() + 1.0, static_cast<double>(view.LengthUs()));
  EXPECT_GT(view.OffsetUs(), 0.0);

  // Zooming out never shows more than the whole signal, and zooming in stops
  // at half a microsecond per pixel.
  view.ZoomBy(1e-6, 300);
  EXPECT_DOUBLE_EQ(view.UsPerPixel(), whole);
  EXPECT_DOUBLE_EQ(view.OffsetUs(), 0.0);
  view.ZoomBy(1e9, 300);
  EXPECT_DOUBLE_EQ(view.UsPerPixel(), 0.5);

  QTest::keyClick(&view, Qt::Key_0);
  EXPECT_DOUBLE_EQ(view.UsPerPixel(), whole);
}

TEST(WaveformView, DrawsMarksInTheLaneColourAndNothingForNoSignal) {
  WaveformView view;
  view.resize(600, 160);
  view.SetTraces({NecLikeTrace()});
  const QImage picture = view.grab().toImage();
  // The first mark starts at the left of the plot: some pixel near the top
  // of the lane carries the lane's blue.
  bool blue = false;
  for (int x = 0; x < picture.width() && !blue; ++x) {
    for (int y = 0; y < 40 && !blue; ++y) {
      const QColor c = picture.pixelColor(x, y);
      blue = c.blue() > 150 && c.red() < 100;
    }
  }
  EXPECT_TRUE(blue);
  view.Clear();
  EXPECT_EQ(view.LengthUs(), 0u);
}

}  // namespace
}  // namespace quillon::ui
