#pragma once
// A label drawn without background. Laid over another control it catches the
// mouse, so that control never sees a click (list headers that must not be
// clicked or dragged, a combo box whose click opens a window instead).

#include <QLabel>

namespace larkbay {

class CoverLabel : public QLabel {
  Q_OBJECT
 public:
  explicit CoverLabel(QWidget* parent = nullptr);

 signals:
  void LeftButtonReleased();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace larkbay
