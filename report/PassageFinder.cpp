#include "report/PassageFinder.h"

#include <algorithm>
#include <cmath>

#include "plugin/StereoAnalyzer.h"

CPassageFinder::CPassageFinder(const ReportSettings& settings, double rate, int64_t frames,
                               int32_t where)
    : band(where), threshold(settings.failBelow), minSeconds(settings.minSeconds), sampleRate(rate),
      totalFrames(frames)
{
    // A rise of exactly the bridge time ends the passage; with none, any does.
    // Beyond a trillion blocks (a file of years) any bridge is the same.
    const double blocks =
        std::min(std::ceil(settings.bridgeSeconds * rate / kBlockLength - 1e-9), 1e12);
    bridgeBlocks = blocks > 1.0 ? static_cast<int64_t>(blocks) : 1;
}

void CPassageFinder::addBlock(float meter, float raw, bool heard)
{
    const bool rawBelow = heard && raw < threshold;
    if (!rawBelow)
        rawRunStart = -1;
    else if (rawRunStart < 0)
        rawRunStart = index;

    if (heard && meter < threshold)
    {
        if (!open)
        {
            // The meter only falls towards a lower block value, so the sound
            // went below first (the fallback is for safety alone).
            open = true;
            start = rawRunStart >= 0 ? rawRunStart : index;
            lastRawBelow = index;
            lowest = meter;
            lowestBlock = index;
        }
        blocksAbove = 0;
        if (rawBelow)
            lastRawBelow = index;
        if (meter < lowest)
        {
            lowest = meter;
            lowestBlock = index;
        }
    }
    else if (open && ++blocksAbove >= bridgeBlocks)
    {
        close();
    }
    ++index;
}

void CPassageFinder::finish()
{
    if (open)
        close();
}

void CPassageFinder::close()
{
    open = false;
    Passage passage;
    passage.band = band;
    passage.startFrame = start * kBlockLength;
    passage.endFrame = std::min((lastRawBelow + 1) * kBlockLength, totalFrames);
    passage.start = static_cast<double>(passage.startFrame) / sampleRate;
    passage.end = static_cast<double>(passage.endFrame) / sampleRate;
    passage.lowest = lowest;
    passage.lowestAt = static_cast<double>(lowestBlock * kBlockLength) / sampleRate;
    // Block times are rounded; a passage of exactly --for seconds counts.
    if (passage.end - passage.start + 1e-9 < minSeconds)
        return;
    ++found;
    const auto worse = [](const Passage& a, const Passage& b)
    {
        if (a.lowest != b.lowest)
            return a.lowest < b.lowest;
        return a.endFrame - a.startFrame > b.endFrame - b.startFrame;
    };
    listed.insert(std::upper_bound(listed.begin(), listed.end(), passage, worse), passage);
    if (listed.size() > kMaxListed)
        listed.pop_back();
}
