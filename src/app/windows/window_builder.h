#pragma once
// Turns a window template into widgets: each control gets its template name as
// objectName, its geometry, state, cursor, font and initial content.

#include "app/windows/window_templates.h"

class QWidget;

namespace larkbay {

// Builds the controls of `layout` on `client` (the window's client area).
void BuildControls(const WindowTemplate& layout, QWidget* client);

}  // namespace larkbay
