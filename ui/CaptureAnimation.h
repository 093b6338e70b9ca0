#pragma once
// The learn dialog's status animation: a clip of 36 frames of our own
// drawing (a remote's infrared reaching the learner's sensor, the learner
// working, the outcome), played in the frame ranges the capture status
// names for each animation state. A state with one frame shows it; a state
// with several loops them. States 0 and 12 (and any without frames) hide
// the picture but keep its place, so the dialog does not jump.
#include <QWidget>

class QTimer;

namespace quillon::ui {

class CaptureAnimation : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFrameCount = 36;
  static constexpr int kFrameIntervalMs = 120;

  explicit CaptureAnimation(QWidget* parent = nullptr);

  // Shows animation state STATE; the same state again keeps playing.
  void SetState(int state);
  int State() const { return m_state; }
  // The frame shown now (-1 while hidden).
  int Frame() const { return m_frame; }

  // Draws frame FRAME of the clip into a square of SIZE pixels.
  static QPixmap RenderFrame(int frame, int size);

  QSize sizeHint() const override { return {72, 72}; }
  QSize minimumSizeHint() const override { return {56, 56}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Step();

  QTimer* m_timer;
  int m_state = 0;
  int m_first = -1;
  int m_last = -1;
  int m_frame = -1;
};

}  // namespace quillon::ui
