// Smooth scaling of small pictures: premultiplied 0xAARRGGBB pixels resampled by area.
#pragma once

#include <cstdint>
#include <vector>

namespace lvx {

// `source` holds width x height pixels row by row, alpha premultiplied. Each pixel of the result
// (newWidth x newHeight) is the average of the source area it covers, so pictures drawn for one
// size keep their shapes at sizes that are no whole multiple of it, with soft edges instead of
// doubled rows. Empty when a size is not positive or `source` is too short.
[[nodiscard]] std::vector<std::uint32_t> ScalePixels(const std::vector<std::uint32_t>& source, int width, int height,
                                                     int newWidth, int newHeight);

}  // namespace lvx
