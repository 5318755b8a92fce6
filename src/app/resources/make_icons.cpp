// Makes the program's icons from its logo: the square around the lark and
// the moon, with rounded corners, at the sizes of the hicolor theme.
//   larkbay_make_icons src/app/resources/logo.png packaging/icons
// writes packaging/icons/<size>x<size>/lark-bay.png; run it by hand when the
// logo changes.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: larkbay_make_icons LOGO.png OUTPUT_DIR\n");
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QImage logo(QString::fromLocal8Bit(argv[1]));
  if (logo.isNull()) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  // The lark, the moon behind it and the first waves.
  const QImage square = logo.copy(QRect(4, 12, 144, 144)).convertToFormat(QImage::Format_ARGB32);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
    painter.setClipPath(rounded);
    painter.drawImage(QRect(0, 0, size, size), square);
    painter.end();
    const QString folder = QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    QDir().mkpath(folder);
    if (!icon.save(folder + QStringLiteral("/lark-bay.png"))) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
