#include "elided_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QResizeEvent>

namespace larkbay::updater {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  // The window decides the width; a long text only gets shorter.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  Elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Elide();
}

void ElidedLabel::Elide() {
  const QString shown = fontMetrics().elidedText(full_, mode_, contentsRect().width());
  setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace larkbay::updater
