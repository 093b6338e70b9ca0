#pragma once
// A painted picture of IR signals on one time axis: each trace is a lane in
// which marks are drawn high and spaces low, the once part and every copy of
// the repeated part on alternating backgrounds. Several traces share the axis,
// so a learned function can be drawn over the capture it came from. The user
// zooms with the wheel (around the pointer) or + and -, pans by dragging, with
// the arrow keys or the scroll bar, and 0 (or a double click) shows it all.
#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "signals/TIrWaveform.h"

class QScrollBar;

namespace quillon::ui {

class WaveformView : public QWidget {
  Q_OBJECT

 public:
  struct Trace {
    QString label;
    std::vector<TIrWaveSegment> segments;
    QColor colour;  // invalid: the view's own colour for the lane
  };

  explicit WaveformView(QWidget* parent = nullptr);

  // Replaces every trace and shows the whole of the longest one.
  void SetTraces(std::vector<Trace> traces);
  const std::vector<Trace>& Traces() const { return m_traces; }
  void Clear() { SetTraces({}); }

  // The longest trace's length in microseconds.
  uint64_t LengthUs() const { return m_length; }
  // Microseconds shown per pixel and the time at the left edge.
  double UsPerPixel() const { return m_usPerPixel; }
  double OffsetUs() const { return m_offset; }
  // Zooms by FACTOR (above 1: closer) keeping the time under pixel X in place.
  void ZoomBy(double factor, int x);
  void ScrollToUs(double offset);
  void FitAll();

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void ViewChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int PlotLeft() const;
  int PlotWidth() const;
  double MinUsPerPixel() const { return 0.5; }
  double MaxUsPerPixel() const;
  void Clamp();
  void SyncScrollBar();
  void DrawAxis(class QPainter& painter, int top, int height);

  std::vector<Trace> m_traces;
  uint64_t m_length = 0;
  double m_usPerPixel = 100.0;
  double m_offset = 0.0;
  bool m_dragging = false;
  int m_dragX = 0;
  double m_dragOffset = 0.0;
  QScrollBar* m_scroll;
  bool m_syncing = false;
};

}  // namespace quillon::ui
