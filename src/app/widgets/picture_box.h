#pragma once
// Shows a picture at its natural size from the top-left corner, cut at the
// box's edges. Drawn the same whether the box is enabled or not.

#include <QImage>
#include <QWidget>

namespace larkbay {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace larkbay
