#pragma once
// The program's fonts. The face the windows were drawn with ("微软雅黑") is
// rarely installed here; the families fall back to an installed CJK sans face
// so Chinese captions render at the designed pixel heights.

#include <QFont>

#include "app/windows/window_templates.h"

namespace larkbay {

QFont UiFont(FontKind kind);

}  // namespace larkbay
