#pragma once
// A one-line label that shortens its text to its width with "…" (in the
// middle for paths, so both the start and the file name stay), again on
// every resize; the whole text is then its tooltip. Built only with Qt.

#include <QLabel>
#include <QString>

namespace larkbay::updater {

class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Elide();

  Qt::TextElideMode mode_;
  QString full_;
};

}  // namespace larkbay::updater
