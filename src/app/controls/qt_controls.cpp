#include "app/controls/qt_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include "app/controls/qt_controls_gui_thread.h"
#include "app/widgets/cover_label.h"
#include "app/widgets/tab_control.h"

namespace larkbay {
namespace {

constexpr char kShownProperty[] = "larkbayShown";
constexpr char kClosingProperty[] = "larkbayClosing";
constexpr char kStartHiddenProperty[] = "larkbayStartHidden";

// Multi-line edit boxes keep CR LF line ends in their text.
QString ToCrLf(QString text) { return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }
QString FromCrLf(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// The key's virtual code, as the edit boxes' key handlers compare it.
int VirtualKeyCode(const QKeyEvent& key) {
  const int k = key.key();
  if (k == Qt::Key_Return || k == Qt::Key_Enter) return 13;
  if (k == Qt::Key_Escape) return 27;
  if (k == Qt::Key_Backspace) return 8;
  if (k == Qt::Key_Tab) return 9;
  if (k == Qt::Key_Space) return 32;
  if (k == Qt::Key_Delete) return 46;
  if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z)) return k;
  return 0;
}

// An HTML view's address as its handlers compare it: a local page as its
// plain path, anything else as the URL text.
std::string ViewAddress(const QUrl& url) {
  return ToStdString(url.isLocalFile() ? url.toLocalFile() : url.toString());
}

}  // namespace

QtControls::QtControls(QObject* parent) : QObject(parent) {}

QtControls::~QtControls() = default;

void QtControls::AddWindowFactory(std::string name, WindowFactory factory) {
  OnGui([&] { factories_[std::move(name)] = std::move(factory); });
}

QObject* QtControls::Find(std::string_view name) {
  auto it = objects_.find(name);
  if (it == objects_.end()) return nullptr;
  if (it->second.isNull()) {
    objects_.erase(it);
    return nullptr;
  }
  return it->second.data();
}

QWidget* QtControls::FindWidget(std::string_view name) {
  return qobject_cast<QWidget*>(Find(name));
}

void QtControls::RegisterWindow(QWidget* window) {
  std::vector<QObject*> named{window};
  for (QObject* child : window->findChildren<QObject*>()) named.push_back(child);
  for (QObject* object : named) {
    const QString objectName = object->objectName();
    if (objectName.isEmpty() || objectName.startsWith(QStringLiteral("qt_"))) continue;
    const std::string name = ToStdString(objectName);
    objects_[name] = object;
    Wire(object, name);
  }
  Fire(ToStdString(window->objectName()), ControlEvent::Created);
}

bool QtControls::Fire(const std::string& name, ControlEvent event, ControlEventArgs args) {
  auto it = handlers_.find({name, event});
  if (it == handlers_.end() || !it->second) return false;
  ControlEventHandler handler = it->second;  // the handler may rebind itself
  args.control = name;
  args.event = event;
  return handler(args);
}

void QtControls::Bind(std::string_view name, ControlEvent event, ControlEventHandler handler) {
  OnGui([&] { handlers_[{std::string(name), event}] = std::move(handler); });
}

void QtControls::Wire(QObject* object, const std::string& name) {
  if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
    widget->installEventFilter(this);
  }
  if (auto* timer = qobject_cast<QTimer*>(object)) {
    connect(timer, &QTimer::timeout, this, [this, name] { Fire(name, ControlEvent::Tick); });
  } else if (auto* cover = qobject_cast<CoverLabel*>(object)) {
    connect(cover, &CoverLabel::LeftButtonReleased, this,
            [this, name] { Fire(name, ControlEvent::LeftButtonReleased); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, name] { Fire(name, ControlEvent::Clicked); });
  } else if (qobject_cast<QLineEdit*>(object)) {
    object->installEventFilter(this);
  } else if (auto* list = qobject_cast<QTreeWidget*>(object)) {
    // After the selection has moved, so a handler reading it finds the new row.
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this, name, list] {
      const QList<QTreeWidgetItem*> selected = list->selectedItems();
      ControlEventArgs args;
      args.row = selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
      Fire(name, ControlEvent::CurrentRowChanged, args);
    });
    connect(list, &QTreeWidget::itemDoubleClicked, this,
            [this, name, list](QTreeWidgetItem* item) {
              ControlEventArgs args;
              args.row = list->indexOfTopLevelItem(item);
              Fire(name, ControlEvent::DoubleClicked, args);
            });
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  } else if (auto* view = qobject_cast<QTextBrowser*>(object)) {
    connect(view, &QTextBrowser::anchorClicked, this, [this, name, view](const QUrl& link) {
      const QUrl target = view->source().resolved(link);
      ControlEventArgs args;
      args.address = ViewAddress(target);
      // The handler may close the window, and the view with it.
      QPointer<QTextBrowser> alive = view;
      if (!Fire(name, ControlEvent::BeforeNavigate, args) && alive) alive->setSource(target);
    });
    connect(view, &QTextBrowser::sourceChanged, this, [this, name, view](const QUrl& source) {
      ControlEventArgs args;
      args.address = ViewAddress(source);
      QPointer<QTextBrowser> alive = view;
      QTimer::singleShot(0, this, [this, name, alive, args] {
        if (alive) Fire(name, ControlEvent::DocumentReady, args);
      });
    });
  } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
    connect(combo, &QComboBox::currentIndexChanged, this, [this, name](int index) {
      ControlEventArgs args;
      args.row = index;
      Fire(name, ControlEvent::SelectionChanged, args);
    });
  } else if (auto* tabs = qobject_cast<TabControl*>(object)) {
    connect(tabs, &TabControl::CurrentChanged, this, [this, name](int index) {
      ControlEventArgs args;
      args.row = index;
      Fire(name, ControlEvent::SelectionChanged, args);
    });
  }
}

bool QtControls::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  const QEvent::Type type = event->type();
  if (widget->isWindow()) {
    const std::string name = ToStdString(widget->objectName());
    if (type == QEvent::Show && !widget->property(kShownProperty).toBool()) {
      widget->setProperty(kShownProperty, true);
      QPointer<QWidget> alive = widget;
      QTimer::singleShot(0, this, [this, alive, name] {
        if (alive) Fire(name, ControlEvent::FirstActivated);
      });
    } else if (type == QEvent::Close && !widget->property(kClosingProperty).toBool()) {
      widget->setProperty(kClosingProperty, true);
      Fire(name, ControlEvent::AboutToBeDestroyed);
    }
    return false;
  }
  if (type == QEvent::KeyPress && qobject_cast<QLineEdit*>(widget)) {
    ControlEventArgs args;
    args.keyCode = VirtualKeyCode(*static_cast<QKeyEvent*>(event));
    Fire(ToStdString(widget->objectName()), ControlEvent::KeyPressed, args);
    return false;
  }
  if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
    if (type == QEvent::FocusOut) Fire(ToStdString(list->objectName()), ControlEvent::FocusLost);
    if (type == QEvent::KeyPress) return ListKey(list, *static_cast<QKeyEvent*>(event));
    return false;
  }
  auto* list = qobject_cast<QTreeWidget*>(widget->parentWidget());
  if (list && widget == list->viewport() &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseMove)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress && mouse->button() != Qt::RightButton) return false;
    const QPoint at = mouse->position().toPoint();
    ControlEventArgs args;
    QTreeWidgetItem* item = list->itemAt(at);
    // A right click selects the row under it before its menu reads the
    // selection.
    if (type == QEvent::MouseButtonPress && item) list->setCurrentItem(item);
    args.row = item ? list->indexOfTopLevelItem(item) : -1;
    const QPoint global = mouse->globalPosition().toPoint();
    args.x = global.x();
    args.y = global.y();
    Fire(ToStdString(list->objectName()),
         type == QEvent::MouseMove ? ControlEvent::MouseMoved : ControlEvent::RightButtonPressed,
         args);
  }
  return false;
}

bool QtControls::ListKey(QTreeWidget* list, const QKeyEvent& key) {
  const std::string name = ToStdString(list->objectName());
  QTreeWidgetItem* current = list->currentItem();
  const int row = current ? list->indexOfTopLevelItem(current) : -1;
  // Enter plays the row as a double-click does.
  if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && row >= 0) {
    ControlEventArgs args;
    args.row = row;
    Fire(name, ControlEvent::DoubleClicked, args);
    return true;
  }
  // The menu key and Shift+F10 open the row's menu at the row.
  const bool menuKey = key.key() == Qt::Key_Menu ||
                       (key.key() == Qt::Key_F10 && (key.modifiers() & Qt::ShiftModifier));
  if (menuKey && current) {
    const QRect rect = list->visualItemRect(current);
    const QPoint at = list->viewport()->mapToGlobal(QPoint(rect.left() + 20, rect.bottom()));
    menuAnchor_ = at;
    ControlEventArgs args;
    args.row = row;
    args.x = at.x();
    args.y = at.y();
    Fire(name, ControlEvent::RightButtonPressed, args);
    menuAnchor_.reset();
    return true;
  }
  return false;
}

bool QtControls::Exists(std::string_view name) {
  return OnGui([&] { return Find(name) != nullptr; });
}

std::string QtControls::GetText(std::string_view name) {
  return OnGui([&]() -> std::string {
    QWidget* w = FindWidget(name);
    if (!w) return {};
    if (w->isWindow()) return ToStdString(w->windowTitle());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return ToStdString(edit->text());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return ToStdString(ToCrLf(edit->toPlainText()));
    if (auto* view = qobject_cast<QTextBrowser*>(w)) return ToStdString(view->toPlainText());
    if (auto* label = qobject_cast<QLabel*>(w)) return ToStdString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return ToStdString(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) return ToStdString(group->title());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return ToStdString(combo->currentText());
    return {};
  });
}

bool QtControls::SetText(std::string_view name, std::string_view text) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w) return false;
    const QString value = ToQString(text);
    if (w->isWindow()) {
      w->setWindowTitle(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setText(value);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
      plain->setPlainText(FromCrLf(value));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
      label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      button->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      group->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      const int index = combo->findText(value);
      if (index < 0) return false;
      combo->setCurrentIndex(index);
    } else {
      return false;
    }
    return true;
  });
}

bool QtControls::IsVisible(std::string_view name) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    return w && !w->isHidden();
  });
}

bool QtControls::SetVisible(std::string_view name, bool visible) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w) return false;
    w->setVisible(visible);
    if (visible && w->isWindow()) {
      w->raise();
      w->activateWindow();
    }
    return true;
  });
}

bool QtControls::IsEnabled(std::string_view name) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    return w && w->isEnabled();
  });
}

bool QtControls::SetEnabled(std::string_view name, bool enabled) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w) return false;
    w->setEnabled(enabled);
    if (enabled) ReleasePainting(w);
    return true;
  });
}

ControlRect QtControls::GetRect(std::string_view name) {
  return OnGui([&]() -> ControlRect {
    QWidget* w = FindWidget(name);
    if (!w) return {};
    if (w->isWindow()) return {w->x(), w->y(), w->width(), w->height()};
    const QRect g = w->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
  });
}

bool QtControls::SetRect(std::string_view name, const ControlRect& rect) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w) return false;
    if (w->isWindow()) {
      w->move(rect.left, rect.top);
      w->setFixedSize(rect.width, rect.height);  // the controls sit at fixed places
    } else {
      w->setGeometry(rect.left, rect.top, rect.width, rect.height);
      if (auto* tabs = qobject_cast<TabControl*>(w)) tabs->UpdateLayout();
    }
    return true;
  });
}

bool QtControls::IsChecked(std::string_view name) {
  return OnGui([&] {
    auto* box = qobject_cast<QAbstractButton*>(Find(name));
    return box && box->isChecked();
  });
}

bool QtControls::SetChecked(std::string_view name, bool checked) {
  return OnGui([&] {
    auto* box = qobject_cast<QAbstractButton*>(Find(name));
    if (!box || !box->isCheckable()) return false;
    box->setChecked(checked);
    return true;
  });
}

bool QtControls::SetPosition(std::string_view name, int position) {
  return OnGui([&] {
    auto* bar = qobject_cast<QProgressBar*>(Find(name));
    if (!bar) return false;
    HoldPainting(bar, kProgressPaintHoldMs);
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    return true;
  });
}

bool QtControls::SetSelectionStart(std::string_view name, int position) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      const int length = static_cast<int>(edit->text().size());
      edit->setCursorPosition(position < 0 || position > length ? length : position);
      return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
      QTextCursor cursor = plain->textCursor();
      const int length = plain->document()->characterCount() - 1;
      cursor.setPosition(position < 0 || position > length ? length : position);
      plain->setTextCursor(cursor);
      plain->ensureCursorVisible();
      return true;
    }
    return false;
  });
}

std::string QtControls::GetTag(std::string_view name) {
  return OnGui([&]() -> std::string {
    QObject* o = Find(name);
    return o ? ToStdString(o->property("larkbayTag").toString()) : std::string();
  });
}

bool QtControls::SetTag(std::string_view name, std::string_view tag) {
  return OnGui([&] {
    QObject* o = Find(name);
    if (!o) return false;
    o->setProperty("larkbayTag", ToQString(tag));
    return true;
  });
}

bool QtControls::LoadWindow(std::string_view name, bool modal) {
  return OnGui([&] {
    auto it = factories_.find(name);
    if (it == factories_.end()) return false;
    QWidget* window = it->second();
    if (!window) return false;
    RegisterWindow(window);
    if (window->property(kStartHiddenProperty).toBool()) return true;
    if (!modal) {
      window->show();
      return true;
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->setWindowModality(Qt::ApplicationModal);
      dialog->exec();
      return true;
    }
    QPointer<QWidget> alive = window;
    QEventLoop loop;
    connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    if (alive) loop.exec();
    return true;
  });
}

bool QtControls::DestroyWindow(std::string_view name) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w || !w->isWindow()) return false;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->close();
    return true;
  });
}

void QtControls::PostDestroyWindow(std::string_view name) {
  QMetaObject::invokeMethod(
      this, [this, window = std::string(name)] { DestroyWindow(window); }, Qt::QueuedConnection);
}

bool QtControls::SetAlwaysOnTop(std::string_view name, bool onTop) {
  return OnGui([&] {
    QWidget* w = FindWidget(name);
    if (!w || !w->isWindow()) return false;
    // Through the native window, so a shown (and modal) window stays shown:
    // QWidget::setWindowFlags would hide it and end its modal loop.
    if (QWindow* native = w->windowHandle()) {
      native->setFlag(Qt::WindowStaysOnTopHint, onTop);
      return true;
    }
    w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    return true;
  });
}

int QtControls::MessageBox(std::string_view owner, std::string_view text, std::string_view title,
                           int flags, int timeoutMs) {
  return OnGui([&] {
    QMessageBox box(FindWidget(owner));
    box.setWindowTitle(ToQString(title));
    box.setText(FromCrLf(ToQString(text)));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    switch (flags & 0xF0) {
      case msgbox::kIconError: box.setIcon(QMessageBox::Critical); break;
      case msgbox::kIconQuestion: box.setIcon(QMessageBox::Question); break;
      case msgbox::kIconWarning: box.setIcon(QMessageBox::Warning); break;
      case msgbox::kIconInformation: box.setIcon(QMessageBox::Information); break;
      default: break;
    }
    switch (flags & 0x0F) {
      case msgbox::kOkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
      case msgbox::kYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
      default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    // The program's texts name the buttons by these captions ("点击[确定]…").
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
        {QMessageBox::Yes, QStringLiteral("是")},
        {QMessageBox::No, QStringLiteral("否")},
    };
    for (const auto& [which, caption] : captions) {
      if (QAbstractButton* button = box.button(which)) button->setText(caption);
    }
    bool timedOut = false;
    if (timeoutMs > 0) {
      QTimer::singleShot(timeoutMs, &box, [&box, &timedOut] {
        timedOut = true;
        box.done(0);
      });
    }
    box.exec();
    if (timedOut) return msgbox::kIdTimeout;
    switch (box.standardButton(box.clickedButton())) {
      case QMessageBox::Ok: return msgbox::kIdOk;
      case QMessageBox::Yes: return msgbox::kIdYes;
      case QMessageBox::No: return msgbox::kIdNo;
      default: return msgbox::kIdCancel;
    }
  });
}

}  // namespace larkbay
