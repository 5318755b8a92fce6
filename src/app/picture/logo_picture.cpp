#include "app/picture/logo_picture.h"

#include <QFile>
#include <string>

#include "app/picture/png_picture.h"

namespace larkbay {

QImage LogoPicture() {
  QFile file(QStringLiteral(":/larkbay/logo.png"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  const RgbaPicture picture =
      DecodePng(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (picture.Empty()) return {};
  QImage image(picture.pixels.data(), picture.width, picture.height, picture.width * 4,
               QImage::Format_RGBA8888);
  return image.copy();  // own the pixels; `picture` goes away here
}

}  // namespace larkbay
