#include "app/widgets/tab_control.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

namespace larkbay {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
    ShowCurrentPage();
    emit CurrentChanged(index);
  });
}

QWidget* TabControl::AddPage(const QString& title) {
  auto* page = new QWidget(this);
  page->setGeometry(rect());
  pages_.push_back(page);
  bar_->addTab(title);
  bar_->raise();  // the pages span the strip; the tabs must stay clickable
  UpdateLayout();
  ShowCurrentPage();
  return page;
}

QWidget* TabControl::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int TabControl::CurrentIndex() const { return bar_->currentIndex(); }

void TabControl::SetCurrentIndex(int index) {
  if (index >= 0 && index < PageCount()) bar_->setCurrentIndex(index);
}

void TabControl::ShowCurrentPage() {
  const int current = bar_->currentIndex();
  for (int i = 0; i < PageCount(); ++i) pages_[static_cast<std::size_t>(i)]->setVisible(i == current);
}

void TabControl::UpdateLayout() {
  const QSize hint = bar_->sizeHint();
  bar_->setGeometry(2, 0, std::min(hint.width(), width() - 2), hint.height());
  for (QWidget* page : pages_) page->setGeometry(rect());
}

int TabControl::FrameTop() const {
  return bar_->height() - style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
}

QRect TabControl::TabRowSpace() const {
  const int left = bar_->geometry().right() + 1;
  return QRect(left, 0, std::max(0, width() - left), std::max(0, FrameTop()));
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateLayout();
}

void TabControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionTabWidgetFrame option;
  option.initFrom(this);
  option.shape = bar_->shape();
  option.tabBarSize = bar_->size();
  option.tabBarRect = bar_->geometry();
  option.rect = rect().adjusted(0, FrameTop(), 0, 0);
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}

}  // namespace larkbay
