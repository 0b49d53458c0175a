// Smooth scaling of small pictures by area averaging.
#include "PixelScale.h"

#include <algorithm>
#include <array>

namespace lvx {
namespace {

// The share of each source cell in [start, end) along one axis; cells are 1 wide.
struct Span {
    int First = 0;
    std::vector<double> Weights;
};

std::vector<Span> Spans(int size, int newSize)
{
    std::vector<Span> spans(static_cast<size_t>(newSize));
    const double step = static_cast<double>(size) / newSize;
    for (int i = 0; i < newSize; ++i) {
        const double start = i * step;
        const double end = std::min<double>(size, (i + 1) * step);
        Span& span = spans[static_cast<size_t>(i)];
        span.First = static_cast<int>(start);
        for (int cell = span.First; cell < size && cell < end; ++cell)
            span.Weights.push_back((std::min<double>(end, cell + 1) - std::max<double>(start, cell)) / step);
    }
    return spans;
}

}  // namespace

std::vector<std::uint32_t> ScalePixels(const std::vector<std::uint32_t>& source, int width, int height, int newWidth,
                                       int newHeight)
{
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0 ||
        source.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    const std::vector<Span> columns = Spans(width, newWidth);
    const std::vector<Span> rows = Spans(height, newHeight);
    std::vector<std::uint32_t> result(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
    for (int y = 0; y < newHeight; ++y) {
        const Span& row = rows[static_cast<size_t>(y)];
        for (int x = 0; x < newWidth; ++x) {
            const Span& column = columns[static_cast<size_t>(x)];
            std::array<double, 4> sum{};
            for (size_t j = 0; j < row.Weights.size(); ++j) {
                const size_t line = static_cast<size_t>(row.First) + j;
                for (size_t i = 0; i < column.Weights.size(); ++i) {
                    const std::uint32_t pixel = source[line * static_cast<size_t>(width) + static_cast<size_t>(column.First) + i];
                    const double weight = row.Weights[j] * column.Weights[i];
                    for (int channel = 0; channel < 4; ++channel)
                        sum[static_cast<size_t>(channel)] += weight * ((pixel >> (8 * channel)) & 0xFFu);
                }
            }
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel) {
                const double value = std::clamp(sum[static_cast<size_t>(channel)] + 0.5, 0.0, 255.0);
                pixel |= static_cast<std::uint32_t>(value) << (8 * channel);
            }
            result[static_cast<size_t>(y) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)] = pixel;
        }
    }
    return result;
}

}  // namespace lvx
