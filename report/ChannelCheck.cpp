#include "report/ChannelCheck.h"

#include <cmath>
#include <cstring>

#include "plugin/StereoAnalyzer.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;
// The low band is filtered at no less than this rate: blocks of averaged
// frames keep the filter's work small, and their first null lies well above
// the band.
constexpr double kLowBandRate = 2000.0;
constexpr int32_t kMaxDecimation = 64;
// Four sums at a time, in one vector register (GCC's and clang's vector
// extension: SSE2 on x86, where the compilers left alone would not
// reorder the sums).
typedef float Float4 __attribute__((vector_size(16)));

Float4 load4(const float* p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

float sum4(Float4 v)
{
    return (v[0] + v[1]) + (v[2] + v[3]);
}

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

CChannelCheck::CChannelCheck(double sampleRate, bool isStereo)
    : stereo(isStereo), decimation(1), soundLevel(fromDb(kSoundDbfs))
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
    Float4 ll = {}, rr = {}, lr = {}, dd = {};
    for (int32_t i = 0; i < kBlockLength; i += 4)
    {
        const Float4 l = load4(left + i);
        const Float4 r = load4(right + i);
        const Float4 d = l - r;
        ll += l * l;
        rr += r * r;
        lr += l * r;
        dd += d * d;
    }
    const double blockLeft = sum4(ll);
    const double blockRight = sum4(rr);
    product += sum4(lr);
    difference2 += sum4(dd);
    left2 += blockLeft;
    right2 += blockRight;
    frames += kBlockLength;
    const double louder = (blockLeft > blockRight ? blockLeft : blockRight) / kBlockLength;
    if (louder >= soundLevel)
    {
        ++soundBlocks;
        negativeBlocks += meter < 0.0f;
    }

    if (stereo)
    {
        // The averages of each run of `decimation` frames, left then right.
        const int32_t perChannel = kBlockLength / decimation;
        const float scale = 1.0f / static_cast<float>(decimation);
        float* averaged = averages.data();
        for (int32_t g = 0; g < perChannel; ++g)
        {
            const float* l = left + g * decimation;
            const float* r = right + g * decimation;
            float sl = 0.0f, sr = 0.0f;
            if (decimation % 4 == 0)
            {
                Float4 l4 = {}, r4 = {};
                for (int32_t k = 0; k < decimation; k += 4)
                {
                    l4 += load4(l + k);
                    r4 += load4(r + k);
                }
                sl = sum4(l4);
                sr = sum4(r4);
            }
            else
            {
                for (int32_t k = 0; k < decimation; ++k)
                {
                    sl += l[k];
                    sr += r[k];
                }
            }
            averaged[g] = sl * scale;
            averaged[perChannel + g] = sr * scale;
        }
        for (int32_t i = 0; i < perChannel; ++i)
        {
            double l = averaged[i];
            double r = averaged[perChannel + i];
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
