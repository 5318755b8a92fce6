#include "app/picture/png_picture.h"

#include <png.h>

#include <cstring>

namespace larkbay {

RgbaPicture DecodePng(std::string_view png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  RgbaPicture picture;
  picture.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  return picture;
}

}  // namespace larkbay
