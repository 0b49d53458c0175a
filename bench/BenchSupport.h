// Timing helpers of the Windows benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace lvxbench {

// Milliseconds of the performance counter.
inline double NowMs()
{
    LARGE_INTEGER frequency{}, counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace lvxbench
