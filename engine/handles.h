#pragma once
// The objects behind the opaque references of aquarius_abi.h.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "aquarius_abi.h"
#include "object.h"

namespace aquarius {
class BrowserView;
}

struct AquaSettings : aquarius::Object {
  QString cache_path;
  QString user_data_path;
  bool persist_session_cookies = false;
  bool persist_user_preferences = false;
  QString locale;
  bool windowless_rendering_enabled = false;
  int remote_debugging_port = 0;
  bool ignore_certificate_errors = false;
  QString user_agent;
  QString product_version;
  QString accept_language_list;
};

struct AquaCommandLine : aquarius::Object {
  QStringList switches;  // "--name=value", in the order appended
};

struct AquaWindowInfo : aquarius::Object {
  QPointer<QWidget> parent;
  QRect rect;
};

struct AquaBrowserSettings : aquarius::Object {};

struct AquaBrowser : aquarius::Object {
  QPointer<aquarius::BrowserView> view;
  QPointer<QWidget> parent;
};

struct AquaFrame : aquarius::Object {
  aquarius::Ref<AquaBrowser> browser;
};

struct AquaBrowserHost : aquarius::Object {
  aquarius::Ref<AquaBrowser> browser;
};
