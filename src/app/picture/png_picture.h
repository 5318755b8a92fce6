#pragma once
// PNG pictures of the program's resources, decoded with libpng.

#include <cstdint>
#include <string_view>
#include <vector>

namespace larkbay {

struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes, RGBA, rows top down
  bool Empty() const { return width == 0 || height == 0; }
};

// An empty picture when `png` is not a PNG libpng can read.
RgbaPicture DecodePng(std::string_view png);

}  // namespace larkbay
