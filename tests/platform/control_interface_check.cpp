// Compiled into the core tests, which build without Qt: the named-control
// interface must stay usable by the GUI-free code, and its message box codes
// keep the values the program's prompts are defined with.
#include "platform/control_interface.h"

namespace larkbay {
namespace {

// The single-instance question: OK and Cancel with the question icon.
static_assert((msgbox::kOkCancel | msgbox::kIconQuestion) == 33);
static_assert(msgbox::kIdOk == 1 && msgbox::kIdCancel == 2);
static_assert(msgbox::kIdYes == 6 && msgbox::kIdNo == 7);
static_assert(ControlRect{1, 2, 3, 4} == ControlRect{1, 2, 3, 4});

}  // namespace
}  // namespace larkbay
