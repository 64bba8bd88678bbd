#include "plugin/BandSplitter.h"

#include <cmath>
#include <cstring>

#include "plugin/SubnormalsAsZero.h"

namespace
{
constexpr float kDefaultRate = 44100.0f;
constexpr double kHighestCrossover = 0.45; // of the sample rate
constexpr double kPi = 3.14159265358979323846;

// Four floats in one vector register (SSE on x86, both compilers).
typedef float Lanes __attribute__((vector_size(16)));

inline Lanes load(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store(float* p, Lanes v)
{
    std::memcpy(p, &v, sizeof v);
}

struct Coefficients
{
    double b0, b1, b2, a1, a2;
};

enum Kind
{
    kLowPass,
    kHighPass,
    kAllPassKind
};

// A Butterworth section (Q = 1/sqrt 2) by the bilinear transform; two in a
// row make the Linkwitz-Riley filter, and the all-pass with the same poles
// is what its low and high parts add up to.
Coefficients butterworth(Kind kind, double hz, double rate)
{
    const double k = std::tan(kPi * hz / rate);
    const double norm = 1.0 / (1.0 + std::sqrt(2.0) * k + k * k);
    Coefficients c;
    c.a1 = 2.0 * (k * k - 1.0) * norm;
    c.a2 = (1.0 - std::sqrt(2.0) * k + k * k) * norm;
    if (kind == kLowPass)
    {
        c.b0 = c.b2 = k * k * norm;
        c.b1 = 2.0 * c.b0;
    }
    else if (kind == kHighPass)
    {
        c.b0 = c.b2 = norm;
        c.b1 = -2.0 * norm;
    }
    else
    {
        c.b0 = c.a2;
        c.b1 = c.a1;
        c.b2 = 1.0;
    }
    return c;
}

template <typename Section> void setLanes(Section& s, int lane, const Coefficients& c)
{
    for (int i = lane; i < lane + 2; ++i)
    {
        s.b0[i] = static_cast<float>(c.b0);
        s.b1[i] = static_cast<float>(c.b1);
        s.b2[i] = static_cast<float>(c.b2);
        s.a1[i] = static_cast<float>(c.a1);
        s.a2[i] = static_cast<float>(c.a2);
    }
}

// The section's coefficients and memory, held in registers while a run of
// frames goes through.
struct Running
{
    Lanes b0, b1, b2, a1, a2, s1, s2;

    template <typename Section>
    explicit Running(const Section& s)
        : b0(load(s.b0)), b1(load(s.b1)), b2(load(s.b2)), a1(load(s.a1)), a2(load(s.a2)),
          s1(load(s.s1)), s2(load(s.s2))
    {
    }

    inline Lanes step(Lanes x)
    {
        const Lanes y = b0 * x + s1;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;
        return y;
    }

    template <typename Section> void keep(Section& s) const
    {
        store(s.s1, s1);
        store(s.s2, s2);
    }
};
} // namespace

CBandSplitter::CBandSplitter(float sampleRate) : rate(kDefaultRate), sections()
{
    setSampleRate(sampleRate);
}

void CBandSplitter::setSampleRate(float sampleRate)
{
    rate = std::isfinite(sampleRate) && sampleRate > 0.0f ? sampleRate : kDefaultRate;
    const double highest = kHighestCrossover * rate;
    const double low = std::fmin(kLowCrossoverHz, highest);
    const double high = std::fmin(kHighCrossoverHz, highest);
    for (int i = kSplitLow1; i <= kSplitLow2; ++i)
    {
        setLanes(sections[i], 0, butterworth(kLowPass, low, rate));
        setLanes(sections[i], 2, butterworth(kHighPass, low, rate));
    }
    for (int i = kSplitHigh1; i <= kSplitHigh2; ++i)
    {
        setLanes(sections[i], 0, butterworth(kLowPass, high, rate));
        setLanes(sections[i], 2, butterworth(kHighPass, high, rate));
    }
    setLanes(sections[kAllPass], 0, butterworth(kAllPassKind, high, rate));
    setLanes(sections[kAllPass], 2, butterworth(kAllPassKind, high, rate));
    reset();
}

void CBandSplitter::reset()
{
    for (Section& s : sections)
    {
        std::memset(s.s1, 0, sizeof s.s1);
        std::memset(s.s2, 0, sizeof s.s2);
    }
}

void CBandSplitter::split(const float* left, const float* right, int32_t count,
                          float* const bands[kBandCount][2])
{
    if (!left || !right || count <= 0)
        return;
    // Filters ringing out reach subnormal numbers, which would slow every
    // following step.
    const SubnormalsAsZero guard;
    Running lowSplit1(sections[kSplitLow1]);
    Running lowSplit2(sections[kSplitLow2]);
    Running highSplit1(sections[kSplitHigh1]);
    Running highSplit2(sections[kSplitHigh2]);
    Running allPass(sections[kAllPass]);
    float* const lowL = bands[kBandLow][0];
    float* const lowR = bands[kBandLow][1];
    float* const midL = bands[kBandMid][0];
    float* const midR = bands[kBandMid][1];
    float* const highL = bands[kBandHigh][0];
    float* const highR = bands[kBandHigh][1];
    for (int32_t i = 0; i < count; ++i)
    {
        const Lanes in = {left[i], right[i], left[i], right[i]};
        // low left, low right, upper left, upper right
        const Lanes split = lowSplit2.step(lowSplit1.step(in));
        const Lanes upper = {split[2], split[3], split[2], split[3]};
        const Lanes midHigh = highSplit2.step(highSplit1.step(upper));
        const Lanes low = allPass.step(split);
        lowL[i] = low[0];
        lowR[i] = low[1];
        midL[i] = midHigh[0];
        midR[i] = midHigh[1];
        highL[i] = midHigh[2];
        highR[i] = midHigh[3];
    }
    lowSplit1.keep(sections[kSplitLow1]);
    lowSplit2.keep(sections[kSplitLow2]);
    highSplit1.keep(sections[kSplitHigh1]);
    highSplit2.keep(sections[kSplitHigh2]);
    allPass.keep(sections[kAllPass]);

    // Any NaN or infinity in the memory makes the sum non-finite.
    float sum = 0.0f;
    for (const Section& s : sections)
        for (int lane = 0; lane < 4; ++lane)
            sum += s.s1[lane] * 0.0f + s.s2[lane] * 0.0f;
    if (sum != 0.0f)
        reset();
}
