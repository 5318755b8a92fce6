#pragma once
// UTF-8 texts across the C interface.

#include <QString>

namespace aquarius {

inline QString FromUtf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

}  // namespace aquarius
