#pragma once
// Runs a piece of QtControls work on the interface thread and waits for it.
// Included only by the QtControls sources.

#include <QMetaObject>
#include <QString>
#include <QThread>
#include <string>
#include <string_view>
#include <type_traits>

#include "app/controls/qt_controls.h"

namespace larkbay {

template <typename Work>
auto QtControls::OnGui(Work&& work) {
  using Result = std::invoke_result_t<Work&>;
  if (QThread::currentThread() == thread()) return work();
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
