#include "update_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "elided_label.h"
#include "messages.h"

namespace larkbay::updater {
namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// Room for a heading and a desktop path of a usual length; the user may
// narrow it down to the smaller width.
constexpr int kWidthInCharacters = 72;
constexpr int kWidth = 480;
constexpr int kMinimumWidth = 320;

}  // namespace

UpdateWindow::UpdateWindow(QWidget* parent)
    // The client's start-up window stays above all others; this window comes
    // over it.
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle(Text("Lark-Bay 更新"));
  auto* layout = new QVBoxLayout(this);
  heading_ = new ElidedLabel(Qt::ElideRight, this);
  heading_->setObjectName(QStringLiteral("heading"));
  heading_->SetFullText(Text("正在准备更新…"));
  path_ = new ElidedLabel(Qt::ElideMiddle, this);
  path_->setObjectName(QStringLiteral("path"));
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setRange(0, 0);  // busy until a length is known
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  buttons_->setObjectName(QStringLiteral("buttons"));
  connect(buttons_, &QDialogButtonBox::rejected, this, [this] { RequestCancel(); });
  layout->addWidget(heading_);
  layout->addWidget(path_);
  layout->addWidget(bar_);
  layout->addWidget(buttons_);
  PlaceOnScreen();
}

void UpdateWindow::SetStep(const QString& heading, const QString& path) {
  if (cancel_) return;  // "cancelling" stays until the job ends
  heading_->SetFullText(heading);
  if (!path.isEmpty()) path_->SetFullText(path);
}

void UpdateWindow::SetProgress(std::uint64_t received, std::uint64_t total) {
  const std::uint64_t percent = received >= total ? 100 : received * 100 / total;
  bar_->setRange(0, 100);
  bar_->setValue(static_cast<int>(percent));
  // %p is the bar's own percentage.
  bar_->setFormat(Text(SizeText(received) + " / " + SizeText(total)) + Text("（%p%）"));
}

void UpdateWindow::SetComplete() {
  bar_->setRange(0, 100);
  bar_->setValue(100);
  bar_->resetFormat();
}

void UpdateWindow::ShowFailure(const QString& why) {
  // The window stops looking busy behind the box.
  heading_->SetFullText(Text("更新没有完成"));
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  buttons_->setEnabled(false);
  QMessageBox::critical(this, windowTitle(), why);
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
  if (finished_) {
    event->accept();
    return;
  }
  // The job ends itself: the download stops, or the last short steps finish.
  RequestCancel();
  event->ignore();
}

void UpdateWindow::RequestCancel() {
  if (cancel_.exchange(true)) return;
  heading_->SetFullText(Text("正在取消…"));
  buttons_->setEnabled(false);
}

// Centred on the screen the user works on, wide enough for a usual path.
void UpdateWindow::PlaceOnScreen() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const int wanted = std::max(kWidth, fontMetrics().averageCharWidth() * kWidthInCharacters);
  const int width = std::min(wanted, area.width() * 9 / 10);
  setMinimumWidth(std::min(kMinimumWidth, width));
  const QSize size(width, sizeHint().height());
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
}

}  // namespace larkbay::updater
