#pragma once
// Runs a piece of QtControls work on the interface thread and waits for it.
// Included only by the QtControls sources.

#include <QMetaObject>
#include <QString>
#include <QThread>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "app/controls/qt_controls.h"
#include "platform/worker_gate.h"

class QWidget;

namespace larkbay {

// A worker's page arrives one queued call at a time, and the event loop ran
// a paint between any two of them (a progress bar even paints at once on
// each step): a shown list took ten times as long to fill as a hidden one.
// A widget that is being changed this way is not painted for at most
// `holdMs`; then (or when released earlier, as a list is once enabled at the
// end of its page) it paints once, as it is by then.
void HoldPainting(QWidget* widget, int holdMs);
void ReleasePainting(QWidget* widget);
inline constexpr int kListPaintHoldMs = 100;
inline constexpr int kProgressPaintHoldMs = 40;

template <typename Work>
auto QtControls::OnGui(Work&& work) {
  using Result = std::invoke_result_t<Work&>;
  if (QThread::currentThread() == thread()) return work();
  // A worker's call goes through its gate: dropped once the worker has been
  // stopped, and never waited for by the interface thread.
  if (WorkerGate* gate = WorkerGate::Current()) {
    const auto post = [this](std::function<void()> task) {
      QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    };
    if constexpr (std::is_void_v<Result>) {
      gate->Call(post, [&work] { work(); });
      return;
    } else {
      Result result{};
      gate->Call(post, [&work, &result] { result = work(); });
      return result;
    }
  }
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(this, [&work] { work(); }, Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(
        this, [&work, &result] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace larkbay
