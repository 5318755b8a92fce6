#pragma once
// The program's logo (402 x 180), kept in the program's resources as PNG.

#include <QImage>

namespace larkbay {

// A null image when the resource is missing or cannot be decoded.
QImage LogoPicture();

}  // namespace larkbay
