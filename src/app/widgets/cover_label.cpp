#include "app/widgets/cover_label.h"

#include <QMouseEvent>

namespace larkbay {

CoverLabel::CoverLabel(QWidget* parent) : QLabel(parent) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
  setTextFormat(Qt::PlainText);
}

// Every mouse event stops here: passing it on would hand it to the parent
// page, never to the covered control, but the page must not see it either.
void CoverLabel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void CoverLabel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) emit LeftButtonReleased();
}

void CoverLabel::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void CoverLabel::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

}  // namespace larkbay
