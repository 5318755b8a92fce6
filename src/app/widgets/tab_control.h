#pragma once
// A tab control whose pages span the whole control, tab strip included, so a
// page's children are placed in the tab control's own coordinates.

#include <QWidget>
#include <vector>

class QTabBar;

namespace larkbay {

class TabControl : public QWidget {
  Q_OBJECT
 public:
  explicit TabControl(QWidget* parent = nullptr);

  // Adds a page with the tab caption `title`; the page is a child of this
  // control and is shown only while its tab is selected.
  QWidget* AddPage(const QString& title);
  QWidget* Page(int index) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  int CurrentIndex() const;
  void SetCurrentIndex(int index);
  QTabBar* TabBar() const { return bar_; }
  // The part of the tab row right of the tabs and above the pages' frame, in
  // the control's coordinates: room for a widget that shares the row.
  QRect TabRowSpace() const;
  // Fits the tab strip and the pages to the control's size; a hidden control
  // gets no resize event until it is shown, so callers that move it call this.
  void UpdateLayout();

 signals:
  void CurrentChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowCurrentPage();
  // Where the frame around the pages starts, below the tabs.
  int FrameTop() const;

  QTabBar* bar_;
  std::vector<QWidget*> pages_;
};

}  // namespace larkbay
