#include "report/ChannelCheck.h"

#include <cmath>

#include "plugin/StereoAnalyzer.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;
// The low band is filtered at no less than this rate: blocks of averaged
// frames keep the filter's work small, and their first null lies well above
// the band.
constexpr double kLowBandRate = 2000.0;
constexpr int32_t kMaxDecimation = 64;
// Independent sums that the compiler keeps in vector registers.
constexpr int32_t kLanes = 8;

double fromDb(double db)
{
    return std::pow(10.0, db / 10.0);
}

double correlationOf(double product, double a2, double b2)
{
    return a2 > 0.0 && b2 > 0.0 ? product / std::sqrt(a2 * b2) : 0.0;
}
} // namespace

double CChannelCheck::Section::run(int32_t channel, double x)
{
    const double y = b0 * x + z1[channel];
    z1[channel] = b1 * x - a1 * y + z2[channel];
    z2[channel] = b2 * x - a2 * y;
    return y;
}

CChannelCheck::CChannelCheck(double sampleRate, bool isStereo) : stereo(isStereo), decimation(1)
{
    while (decimation < kMaxDecimation && sampleRate / (decimation * 2) >= kLowBandRate)
        decimation *= 2;
    // Two Butterworth sections in a row: 24 dB per octave above the band.
    const double w = 2.0 * kPi * kLowBandHz * decimation / sampleRate;
    const double alpha = std::sin(w) / std::sqrt(2.0);
    const double a0 = 1.0 + alpha;
    for (Section& s : sections)
    {
        s.b0 = s.b2 = (1.0 - std::cos(w)) / 2.0 / a0;
        s.b1 = (1.0 - std::cos(w)) / a0;
        s.a1 = -2.0 * std::cos(w) / a0;
        s.a2 = (1.0 - alpha) / a0;
    }
    averages.resize(kBlockLength);
}

float CChannelCheck::addBlock(const float* left, const float* right, float meter)
{
    float ll[kLanes] = {}, rr[kLanes] = {}, lr[kLanes] = {}, dd[kLanes] = {};
    for (int32_t i = 0; i < kBlockLength; i += kLanes)
    {
        for (int32_t j = 0; j < kLanes; ++j)
        {
            const float l = left[i + j];
            const float r = right[i + j];
            const float d = l - r;
            ll[j] += l * l;
            rr[j] += r * r;
            lr[j] += l * r;
            dd[j] += d * d;
        }
    }
    double blockLeft = 0.0, blockRight = 0.0;
    for (int32_t j = 0; j < kLanes; ++j)
    {
        blockLeft += ll[j];
        blockRight += rr[j];
        product += lr[j];
        difference2 += dd[j];
    }
    left2 += blockLeft;
    right2 += blockRight;
    frames += kBlockLength;
    const double louder = (blockLeft > blockRight ? blockLeft : blockRight) / kBlockLength;
    if (louder >= fromDb(kSoundDbfs))
    {
        ++soundBlocks;
        negativeBlocks += meter < 0.0f;
    }

    if (stereo)
    {
        // Sums of neighbours, halving the count each pass, left then right.
        float* sums = averages.data();
        if (decimation > 1)
        {
            for (int32_t i = 0; i < kBlockLength / 2; ++i)
            {
                sums[i] = left[2 * i] + left[2 * i + 1];
                sums[kBlockLength / 2 + i] = right[2 * i] + right[2 * i + 1];
            }
            int32_t count = kBlockLength;
            for (int32_t step = 2; step < decimation; step *= 2, count /= 2)
                for (int32_t i = 0; i < count / 2; ++i)
                    sums[i] = sums[2 * i] + sums[2 * i + 1];
        }
        const int32_t perChannel = kBlockLength / decimation;
        for (int32_t i = 0; i < perChannel; ++i)
        {
            double l = decimation > 1 ? sums[i] / decimation : left[i];
            double r = decimation > 1 ? sums[perChannel + i] / decimation : right[i];
            for (Section& s : sections)
            {
                l = s.run(0, l);
                r = s.run(1, r);
            }
            lowLeft2 += l * l;
            lowRight2 += r * r;
            lowProduct += l * r;
        }
        lowSamples += perChannel;
    }
    return static_cast<float>(louder);
}

double CChannelCheck::lowBandCorrelation() const
{
    const double louder = lowLeft2 > lowRight2 ? lowLeft2 : lowRight2;
    if (lowSamples > 0 && louder / lowSamples >= fromDb(kSoundDbfs))
        return correlationOf(lowProduct, lowLeft2, lowRight2);
    return correlationOf(product, left2, right2);
}

double CChannelCheck::shareNegative() const
{
    return soundBlocks > 0 ? static_cast<double>(negativeBlocks) / soundBlocks : 0.0;
}

std::vector<ChannelFault> CChannelCheck::faults(int32_t& silentChannel) const
{
    std::vector<ChannelFault> found;
    silentChannel = -1;
    const double louder = left2 > right2 ? left2 : right2;
    const double quieter = left2 > right2 ? right2 : left2;
    if (!stereo || frames == 0 || louder / frames < fromDb(kSoundDbfs))
        return found;
    if (quieter <= louder * fromDb(-kSilentBelowDb))
    {
        silentChannel = left2 > right2 ? 1 : 0;
        found.push_back(kFaultSilentChannel);
        return found;
    }
    if (difference2 <= louder * fromDb(-kIdenticalBelowDb))
    {
        found.push_back(kFaultIdenticalChannels);
        return found;
    }
    if (lowBandCorrelation() <= kInvertedBelow && shareNegative() > 0.5)
        found.push_back(kFaultInvertedPolarity);
    return found;
}
