// Draws the program's logo (402 x 180 PNG) into the file named on the command
// line. The start-up window shows its top 150 rows; the rest is the backdrop
// behind the version label.
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

void DrawBird(QPainter& p, QPointF at, double scale) {
  // A lark in flight: body and two swept wings.
  QPainterPath bird;
  bird.moveTo(at + QPointF(-30, 4) * scale);
  bird.cubicTo(at + QPointF(-12, -18) * scale, at + QPointF(-2, -30) * scale,
               at + QPointF(2, -44) * scale);
  bird.cubicTo(at + QPointF(6, -26) * scale, at + QPointF(10, -12) * scale,
               at + QPointF(14, -4) * scale);
  bird.cubicTo(at + QPointF(26, -16) * scale, at + QPointF(40, -20) * scale,
               at + QPointF(54, -18) * scale);
  bird.cubicTo(at + QPointF(40, -8) * scale, at + QPointF(30, 4) * scale,
               at + QPointF(22, 10) * scale);
  bird.cubicTo(at + QPointF(14, 16) * scale, at + QPointF(0, 16) * scale,
               at + QPointF(-10, 12) * scale);
  bird.lineTo(at + QPointF(-30, 4) * scale);
  p.fillPath(bird, QColor(255, 255, 255, 235));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: larkbay_make_logo <out.png>\n");
    return 1;
  }
  QImage image(402, 180, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 402, 180);
  sky.setColorAt(0.0, QColor(0x13, 0x2a, 0x4f));
  sky.setColorAt(0.55, QColor(0x1c, 0x5d, 0x8c));
  sky.setColorAt(1.0, QColor(0x2a, 0x9d, 0xa8));
  p.fillRect(image.rect(), sky);

  // Sea: soft waves at the bottom of the visible part.
  for (int i = 0; i < 3; ++i) {
    QPainterPath wave;
    const double y = 118 + i * 9;
    wave.moveTo(0, y);
    for (int x = 0; x <= 402; x += 67) {
      wave.quadTo(x + 17, y - 7, x + 33, y);
      wave.quadTo(x + 50, y + 7, x + 67, y);
    }
    wave.lineTo(402, 180);
    wave.lineTo(0, 180);
    p.fillPath(wave, QColor(255, 255, 255, 28 + i * 14));
  }

  // Sun disc behind the bird.
  QRadialGradient sun(QPointF(86, 70), 52);
  sun.setColorAt(0.0, QColor(255, 214, 120, 230));
  sun.setColorAt(1.0, QColor(255, 214, 120, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(86, 70), 52, 52);
  DrawBird(p, QPointF(80, 84), 1.2);

  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(40);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(255, 255, 255));
  p.drawText(QRectF(150, 30, 250, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lark-Bay"));
  QFont subtitle(QStringLiteral("Noto Sans CJK SC"));
  subtitle.setPixelSize(17);
  p.setFont(subtitle);
  p.setPen(QColor(220, 238, 250));
  p.drawText(QRectF(152, 78, 250, 28), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("音乐 · DJ · 下载"));
  p.end();

  if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
