#include "app/windows/ui_fonts.h"

#include <QStringList>

namespace larkbay {

QFont UiFont(FontKind kind) {
  QFont font;
  font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK"),
                    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("sans-serif")});
  switch (kind) {
    case FontKind::YaHei11:
      font.setPixelSize(11);
      break;
    case FontKind::YaHei16Bold:
      font.setPixelSize(16);
      font.setWeight(QFont::Bold);
      break;
    case FontKind::Window:
    case FontKind::YaHei12:
      font.setPixelSize(12);
      break;
  }
  return font;
}

}  // namespace larkbay
