#include "report/PassageFinder.h"

#include <algorithm>

CPassageFinder::CPassageFinder(float failBelow, double seconds, double blockSeconds,
                               double fileSeconds)
    : threshold(failBelow), minSeconds(seconds), secondsPerBlock(blockSeconds),
      totalSeconds(fileSeconds)
{
}

void CPassageFinder::addBlock(float meter, float raw)
{
    const bool rawBelow = raw < threshold;
    if (!rawBelow)
        rawRunStart = -1;
    else if (rawRunStart < 0)
        rawRunStart = index;

    if (meter < threshold)
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
        if (rawBelow)
            lastRawBelow = index;
        if (meter < lowest)
        {
            lowest = meter;
            lowestBlock = index;
        }
    }
    else if (open)
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
    const double from = static_cast<double>(start) * secondsPerBlock;
    const double to =
        std::min(static_cast<double>(lastRawBelow + 1) * secondsPerBlock, totalSeconds);
    // Block times are rounded; a passage of exactly --for seconds counts.
    if (to - from + 1e-9 < minSeconds)
        return;
    ++found;
    const Passage passage = {from, to, lowest, static_cast<double>(lowestBlock) * secondsPerBlock};
    const auto worse = [](const Passage& a, const Passage& b)
    {
        if (a.lowest != b.lowest)
            return a.lowest < b.lowest;
        return a.end - a.start > b.end - b.start;
    };
    listed.insert(std::upper_bound(listed.begin(), listed.end(), passage, worse), passage);
    if (listed.size() > kMaxListed)
        listed.pop_back();
}
