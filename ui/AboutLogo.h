#pragma once
// The program's logo, drawn in code: a quill writing an infrared pulse
// train. A click on it asks for the maker's web site.
#include <QWidget>

namespace quillon::ui {

class CAboutLogo : public QWidget {
  Q_OBJECT

 public:
  explicit CAboutLogo(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {144, 144}; }

  // Draws the logo into a square of SIDE pixels (also used for the window icon).
  static QPixmap Render(int side);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace quillon::ui
