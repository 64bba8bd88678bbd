#include "plugin/CorrelationHistory.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "plugin/StereoAnalyzer.h"

namespace
{
constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();
// From a rate of one block a second up to far beyond any real one.
constexpr int32_t kFewestBlocks = 10;
constexpr int32_t kMostBlocks = 1 << 16;
} // namespace

CCorrelationHistory::CCorrelationHistory(float rate) : sampleRate(0.0f), values(), blocks(0)
{
    setSampleRate(rate);
}

void CCorrelationHistory::setSampleRate(float rate)
{
    sampleRate = rate;
    const double wanted = std::ceil(static_cast<double>(kSeconds) * rate / kBlockLength);
    // NaN and nonsense rates land on the nearest sane size.
    const int32_t capacity = !(wanted >= kFewestBlocks) ? kFewestBlocks
                             : wanted > kMostBlocks     ? kMostBlocks
                                                        : static_cast<int32_t>(wanted);
    values.assign(static_cast<size_t>(capacity), kUnknown);
    blocks = 0;
}

void CCorrelationHistory::clear()
{
    std::fill(values.begin(), values.end(), kUnknown);
    blocks = 0;
}

void CCorrelationHistory::push(float value, uint32_t count)
{
    const uint64_t capacity = values.size();
    // More than the history holds leaves only the last ten seconds' worth.
    const uint64_t written = std::min<uint64_t>(count, capacity);
    blocks += count - written;
    for (uint64_t i = 0; i < written; ++i)
        values[blocks++ % capacity] = value;
}

void CCorrelationHistory::readColumns(float* columns, int32_t width) const
{
    if (!columns || width <= 0)
        return;
    std::fill(columns, columns + width, kUnknown);
    if (blocks == 0)
        return;
    const uint64_t capacity = values.size();
    // Block b lies in column b * width / capacity (from the first block);
    // the newest one's is the strip's last.
    const uint64_t newest = blocks - 1;
    const uint64_t lastColumn = newest * width / capacity;
    const uint64_t oldest = blocks > capacity ? blocks - capacity : 0;
    for (uint64_t b = oldest; b <= newest; ++b)
    {
        const uint64_t column = b * width / capacity;
        if (lastColumn - column >= static_cast<uint64_t>(width))
            continue;
        const float value = values[b % capacity];
        float& shown = columns[width - 1 - (lastColumn - column)];
        // NaN never wins against a known value.
        if (!(shown <= value))
            shown = std::isnan(value) ? shown : value;
    }
}
