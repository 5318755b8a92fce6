#include "signed_release_files.h"

#include <QDir>
#include <QFile>
#include <QtDebug>
#include <string>

#include "services/signature/release_signature.h"

namespace larkbay::testing {

namespace {

bool ReadAll(const QString& path, QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  bytes = file.readAll();
  return true;
}

const QByteArray& DemoKeyPem() {
  static const QByteArray pem = [] {
    QByteArray text;
    if (!ReadAll(qEnvironmentVariable("LARKBAY_DEMO_KEY_FILE"), text))
      qWarning("LARKBAY_DEMO_KEY_FILE names no readable key");
    return text;
  }();
  return pem;
}

}  // namespace

bool SignBeside(const QString& file) {
  QByteArray bytes;
  if (!ReadAll(file, bytes)) {
    qWarning() << "cannot read" << file << "to sign it";
    return false;
  }
  const std::string signature =
      SignDetached(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                   std::string_view(DemoKeyPem().constData(), static_cast<size_t>(DemoKeyPem().size())));
  if (signature.empty()) return false;
  QFile out(file + QString::fromLatin1(kSignatureSuffix.data(), qsizetype(kSignatureSuffix.size())));
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         out.write(signature.data(), qint64(signature.size())) == qint64(signature.size());
}

bool SignFolder(const QString& folder) {
  const QString suffix = QString::fromLatin1(kSignatureSuffix.data(), qsizetype(kSignatureSuffix.size()));
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    if (name.endsWith(suffix)) continue;
    if (!SignBeside(folder + u'/' + name)) return false;
  }
  return true;
}

}  // namespace larkbay::testing
