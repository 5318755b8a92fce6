#include "app/player/gui_thread_page_host.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace larkbay {
namespace {

template <typename Work>
bool OnInterfaceThread(Work work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  if (QThread::currentThread() == app->thread()) return work();
  bool result = false;
  QMetaObject::invokeMethod(
      app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
  return result;
}

}  // namespace

bool GuiThreadPageHost::LoadPage(std::string_view pageText) {
  return OnInterfaceThread([&] { return host_.LoadPage(pageText); });
}

bool GuiThreadPageHost::RunScript(std::string_view script) {
  return OnInterfaceThread([&] { return host_.RunScript(script); });
}

bool GuiThreadPageHost::NudgeDownload(int id) {
  return OnInterfaceThread([&] { return host_.NudgeDownload(id); });
}

bool GuiThreadPageHost::StartDownload(std::string_view url) {
  return OnInterfaceThread([&] { return host_.StartDownload(url); });
}

}  // namespace larkbay
