#include "report/CorrelationPlot.h"

#include <cmath>
#include <string>

#include "report/ReportText.h"

namespace
{
// The meter's colours (the pointer and the range bar): red below -0.2,
// yellow between, green above +0.2; the zones behind them are darker.
constexpr RgbColor kRed = {255, 0, 0};
constexpr RgbColor kYellow = {255, 255, 0};
constexpr RgbColor kGreen = {0, 255, 0};
constexpr RgbColor kBackground = {16, 17, 19};
constexpr RgbColor kGrid = {90, 92, 96};
constexpr RgbColor kLabel = {200, 200, 200};
constexpr RgbColor kPassage = {255, 255, 255};
constexpr RgbColor kUnheard = {110, 112, 116};
constexpr float kZoneShade = 0.16f;
constexpr float kPassageShade = 0.12f;
// A little room above +1 and below -1, so that values there stay visible.
constexpr float kRange = 1.05f;
constexpr float kRedLimit = -0.2f;
constexpr float kGreenLimit = 0.2f;
constexpr int32_t kMinTickSpacing = 90;

RgbColor zoneColor(float value)
{
    return value > kGreenLimit ? kGreen : value < kRedLimit ? kRed : kYellow;
}

// The value a row stands for, the inverse of rowOf at the row's centre.
float valueOfRow(int32_t row)
{
    return kRange - 2.0f * kRange * static_cast<float>(row) / (CCorrelationPlot::kPlotHeight - 1);
}
} // namespace

CCorrelationPlot::CCorrelationPlot(int64_t blockCount, double blockSeconds)
    : blocks(blockCount > 0 ? blockCount : 0), secondsPerBlock(blockSeconds),
      lows(kPlotWidth, 2.0f), highs(kPlotWidth, -2.0f), lasts(kPlotWidth, 0.0f),
      heard(kPlotWidth, 0)
{
}

void CCorrelationPlot::addBlock(int64_t index, float value, bool isHeard)
{
    if (index < 0 || index >= blocks)
        return;
    // Fewer blocks than columns: a block covers several columns.
    const int64_t first = index * kPlotWidth / blocks;
    int64_t last = (index + 1) * kPlotWidth / blocks - 1;
    if (last < first)
        last = first;
    for (int64_t column = first; column <= last; ++column)
    {
        lows[column] = value < lows[column] ? value : lows[column];
        highs[column] = value > highs[column] ? value : highs[column];
        lasts[column] = value;
        heard[column] |= isHeard ? 1 : 0;
    }
}

int32_t CCorrelationPlot::rowOf(float value)
{
    const float clamped = value > 1.0f ? 1.0f : value < -1.0f ? -1.0f : value;
    return static_cast<int32_t>(
        std::lround((kRange - clamped) / (2.0f * kRange) * (kPlotHeight - 1)));
}

int32_t CCorrelationPlot::columnOf(double seconds) const
{
    const double total = static_cast<double>(blocks) * secondsPerBlock;
    if (!(total > 0.0))
        return 0;
    const double column = seconds / total * kPlotWidth;
    return static_cast<int32_t>(column < 0.0 ? 0.0 : column > kPlotWidth ? kPlotWidth : column);
}

CRgbImage CCorrelationPlot::render(const std::vector<Passage>& passages) const
{
    CRgbImage image(kWidth, kHeight, kBackground);
    const int32_t right = kPlotLeft + kPlotWidth;
    for (int32_t row = 0; row < kPlotHeight; ++row)
        image.blendRect(kPlotLeft, kPlotTop + row, right, kPlotTop + row + 1,
                        zoneColor(valueOfRow(row)), kZoneShade);

    for (const float value : {1.0f, kGreenLimit, 0.0f, kRedLimit, -1.0f})
    {
        const int32_t y = kPlotTop + rowOf(value);
        for (int32_t x = kPlotLeft; x < right; x += value == 0.0f ? 1 : 3)
            image.setPixel(x, y, kGrid);
        const std::string text = value == 0.0f    ? "0"
                                 : value == 1.0f  ? "+1"
                                 : value == -1.0f ? "-1"
                                 : value > 0.0f   ? "+.2"
                                                  : "-.2";
        image.drawText(kPlotLeft - 4 - CRgbImage::textWidth(text.c_str()), y - 3, text.c_str(),
                       kLabel);
    }

    // Passages under the values, so the values stay readable.
    for (size_t i = 0; i < passages.size(); ++i)
    {
        const int32_t from = kPlotLeft + columnOf(passages[i].start);
        int32_t to = kPlotLeft + columnOf(passages[i].end);
        to = to > from ? to : from + 1;
        image.blendRect(from, kPlotTop, to, kPlotTop + kPlotHeight, kPassage, kPassageShade);
        image.fillRect(from, kPlotTop - 2, to, kPlotTop, kPassage);
        const std::string number = std::to_string(i + 1);
        const int32_t textWidth = CRgbImage::textWidth(number.c_str());
        image.drawText((from + to - textWidth) / 2, 2, number.c_str(), kPassage);
    }

    for (int32_t column = 0; column < kPlotWidth; ++column)
    {
        if (lows[column] > highs[column])
            continue;
        // From the lowest to the highest value, and on to where the column
        // before ended; each pixel in the colour of the value it stands for.
        float low = lows[column];
        float high = highs[column];
        if (column > 0 && lows[column - 1] <= highs[column - 1])
        {
            low = lasts[column - 1] < low ? lasts[column - 1] : low;
            high = lasts[column - 1] > high ? lasts[column - 1] : high;
        }
        for (int32_t row = rowOf(high); row <= rowOf(low); ++row)
            image.setPixel(kPlotLeft + column, kPlotTop + row,
                           heard[column] ? zoneColor(valueOfRow(row)) : kUnheard);
    }
    drawTimeAxis(image);
    return image;
}

void CCorrelationPlot::drawTimeAxis(CRgbImage& image) const
{
    const int32_t axis = kPlotTop + kPlotHeight;
    image.fillRect(kPlotLeft, axis, kPlotLeft + kPlotWidth, axis + 1, kGrid);
    const double total = static_cast<double>(blocks) * secondsPerBlock;
    if (!(total > 0.0))
        return;
    // The smallest step that keeps the labels apart.
    static constexpr double kSteps[] = {0.1, 0.2, 0.5, 1,   2,   5,    10,   15,   30,
                                        60,  120, 300, 600, 900, 1800, 3600, 7200, 18000};
    double step = kSteps[sizeof kSteps / sizeof kSteps[0] - 1];
    for (const double candidate : kSteps)
    {
        if (candidate / total * kPlotWidth >= kMinTickSpacing)
        {
            step = candidate;
            break;
        }
    }
    const int decimals = step < 1.0 ? 1 : 0;
    for (int64_t n = 0; n * step <= total + 1e-9; ++n)
    {
        const double t = static_cast<double>(n) * step;
        const int32_t x = kPlotLeft + columnOf(t);
        image.fillRect(x, axis, x + 1, axis + 4, kGrid);
        const std::string label = formatClock(t, decimals);
        int32_t left = x - CRgbImage::textWidth(label.c_str()) / 2;
        const int32_t maxLeft = kWidth - 1 - CRgbImage::textWidth(label.c_str());
        left = left < 0 ? 0 : left > maxLeft ? maxLeft : left;
        image.drawText(left, axis + 7, label.c_str(), kLabel);
    }
}
