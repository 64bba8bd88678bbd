#include "plugin/BandSplitter.h"

#include <cmath>
#include <cstring>

#include "plugin/StereoKernels.h"
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

#if defined(__GNUC__)
#define ZW_LOOP inline __attribute__((always_inline))
#else
#define ZW_LOOP inline
#endif

typedef float WideLanes __attribute__((vector_size(32)));

// A section's coefficients and memory, held in registers while a run of
// frames goes through: four lanes, or two sections' four side by side.
template <typename V> struct Running
{
    V b0, b1, b2, a1, a2, s1, s2;
};

ZW_LOOP void get(Running<Lanes>& f, const CBandSplitter::Section& s)
{
    f.b0 = load(s.b0);
    f.b1 = load(s.b1);
    f.b2 = load(s.b2);
    f.a1 = load(s.a1);
    f.a2 = load(s.a2);
    f.s1 = load(s.s1);
    f.s2 = load(s.s2);
}

ZW_LOOP void keep(const Running<Lanes>& f, CBandSplitter::Section& s)
{
    store(s.s1, f.s1);
    store(s.s2, f.s2);
}

ZW_LOOP void join(WideLanes& v, const float* first, const float* second)
{
    float both[8];
    std::memcpy(both, first, 4 * sizeof(float));
    std::memcpy(both + 4, second, 4 * sizeof(float));
    std::memcpy(&v, both, sizeof v);
}

ZW_LOOP void part(const WideLanes& v, float* first, float* second)
{
    float both[8];
    std::memcpy(both, &v, sizeof v);
    std::memcpy(first, both, 4 * sizeof(float));
    std::memcpy(second, both + 4, 4 * sizeof(float));
}

ZW_LOOP void get(Running<WideLanes>& f, const CBandSplitter::Section& first,
                 const CBandSplitter::Section& second)
{
    join(f.b0, first.b0, second.b0);
    join(f.b1, first.b1, second.b1);
    join(f.b2, first.b2, second.b2);
    join(f.a1, first.a1, second.a1);
    join(f.a2, first.a2, second.a2);
    join(f.s1, first.s1, second.s1);
    join(f.s2, first.s2, second.s2);
}

ZW_LOOP void keep(const Running<WideLanes>& f, CBandSplitter::Section& first,
                  CBandSplitter::Section& second)
{
    part(f.s1, first.s1, second.s1);
    part(f.s2, first.s2, second.s2);
}

// One frame through a section; every lane alike, whatever the width, so
// both loops below round alike. The input's part of the next memory is
// added to the old memory first: one frame's memory then waits for one
// addition fewer on the last, and the two terms that nearly cancel at low
// frequencies meet before the smaller third joins them.
template <typename V> ZW_LOOP void step(Running<V>& f, const V& x, V& y)
{
    y = f.b0 * x + f.s1;
    const V s1 = (f.b1 * x + f.s2) - f.a1 * y;
    f.s2 = f.b2 * x - f.a2 * y;
    f.s1 = s1;
}

struct Outputs
{
    float *lowL, *lowR, *midL, *midR, *highL, *highR;

    explicit Outputs(float* const bands[kBandCount][2])
        : lowL(bands[kBandLow][0]), lowR(bands[kBandLow][1]), midL(bands[kBandMid][0]),
          midR(bands[kBandMid][1]), highL(bands[kBandHigh][0]), highR(bands[kBandHigh][1])
    {
    }
    ZW_LOOP void low(int32_t i, const Lanes& v) const
    {
        lowL[i] = v[0];
        lowR[i] = v[1];
    }
    ZW_LOOP void midHigh(int32_t i, const Lanes& v) const
    {
        midL[i] = v[0];
        midR[i] = v[1];
        highL[i] = v[2];
        highR[i] = v[3];
    }
};

ZW_LOOP Lanes both(const float* left, const float* right, int32_t i)
{
    const Lanes v = {left[i], right[i], left[i], right[i]};
    return v;
}

// The upper branch of a split, the input of the 4 kHz crossover.
ZW_LOOP Lanes upperOf(const Lanes& split)
{
    const Lanes v = {split[2], split[3], split[2], split[3]};
    return v;
}

// Frame by frame, one section after the other.
ZW_LOOP void splitFrames(CBandSplitter::Section* sections, const float* left, const float* right,
                         int32_t count, const Outputs& out)
{
    Running<Lanes> lowSplit1, lowSplit2, highSplit1, highSplit2, allPass;
    get(lowSplit1, sections[CBandSplitter::kSplitLow1]);
    get(lowSplit2, sections[CBandSplitter::kSplitLow2]);
    get(highSplit1, sections[CBandSplitter::kSplitHigh1]);
    get(highSplit2, sections[CBandSplitter::kSplitHigh2]);
    get(allPass, sections[CBandSplitter::kAllPass]);
    for (int32_t i = 0; i < count; ++i)
    {
        Lanes a, split, b, midHigh, low;
        step(lowSplit1, both(left, right, i), a);
        step(lowSplit2, a, split); // low left, low right, upper left, upper right
        step(highSplit1, upperOf(split), b);
        step(highSplit2, b, midHigh);
        step(allPass, split, low);
        out.low(i, low);
        out.midHigh(i, midHigh);
    }
    keep(lowSplit1, sections[CBandSplitter::kSplitLow1]);
    keep(lowSplit2, sections[CBandSplitter::kSplitLow2]);
    keep(highSplit1, sections[CBandSplitter::kSplitHigh1]);
    keep(highSplit2, sections[CBandSplitter::kSplitHigh2]);
    keep(allPass, sections[CBandSplitter::kAllPass]);
}

ZW_LOOP Lanes lower(const WideLanes& v)
{
    return __builtin_shufflevector(v, v, 0, 1, 2, 3);
}

ZW_LOOP Lanes upper(const WideLanes& v)
{
    return __builtin_shufflevector(v, v, 4, 5, 6, 7);
}

ZW_LOOP void side(WideLanes& v, const Lanes& first, const Lanes& second)
{
    v = __builtin_shufflevector(first, second, 0, 1, 2, 3, 4, 5, 6, 7);
}

// The same steps for count >= 2 frames, each crossover's two sections in
// one eight-lane vector: the first section at frame i, the second at frame
// i - 1 on what the first gave a step before. The 4 kHz pair and the
// all-pass take the frame the 250 Hz pair has just split. The first and
// last frames, where a pair would have nothing to take, go through single
// sections, each in the order of its frames.
ZW_LOOP void splitFramesInPairs(CBandSplitter::Section* sections, const float* left,
                                const float* right, int32_t count, const Outputs& out)
{
    CBandSplitter::Section& low1 = sections[CBandSplitter::kSplitLow1];
    CBandSplitter::Section& low2 = sections[CBandSplitter::kSplitLow2];
    CBandSplitter::Section& high1 = sections[CBandSplitter::kSplitHigh1];
    CBandSplitter::Section& high2 = sections[CBandSplitter::kSplitHigh2];
    Running<Lanes> allPass;
    get(allPass, sections[CBandSplitter::kAllPass]);
    Lanes a, split, b, midHigh, low;
    const auto single = [](CBandSplitter::Section& s, const Lanes& x, Lanes& y)
    {
        Running<Lanes> f;
        get(f, s);
        step(f, x, y);
        keep(f, s);
    };
    // Frame 0 up to the 4 kHz pair's second section, frame 1 through the
    // first section: a is then frame i - 1 after the 250 Hz pair's first
    // section, b frame i - 2 after the 4 kHz pair's first.
    single(low1, both(left, right, 0), a);
    single(low2, a, split);
    step(allPass, split, low);
    out.low(0, low);
    single(high1, upperOf(split), b);
    single(low1, both(left, right, 1), a);

    Running<WideLanes> lowPair, highPair;
    get(lowPair, low1, low2);
    get(highPair, high1, high2);
    for (int32_t i = 2; i < count; ++i)
    {
        WideLanes lowIn, lowOut, highIn, highOut;
        side(lowIn, both(left, right, i), a);
        step(lowPair, lowIn, lowOut);
        a = lower(lowOut);
        split = upper(lowOut); // frame i - 1
        step(allPass, split, low);
        out.low(i - 1, low);
        side(highIn, upperOf(split), b);
        step(highPair, highIn, highOut);
        b = lower(highOut);
        out.midHigh(i - 2, upper(highOut));
    }
    keep(lowPair, low1, low2);
    keep(highPair, high1, high2);

    single(low2, a, split);
    step(allPass, split, low);
    out.low(count - 1, low);
    keep(allPass, sections[CBandSplitter::kAllPass]);
    single(high2, b, midHigh);
    out.midHigh(count - 2, midHigh);
    single(high1, upperOf(split), b);
    single(high2, b, midHigh);
    out.midHigh(count - 1, midHigh);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZW_WIDE_SPLIT 1
__attribute__((target("avx2"))) void splitWide(CBandSplitter::Section* sections,
                                                const float* left, const float* right,
                                                int32_t count, const Outputs& out)
{
    if (count < 2)
        splitFrames(sections, left, right, count, out);
    else
        splitFramesInPairs(sections, left, right, count, out);
}
#endif
} // namespace

CBandSplitter::CBandSplitter(float sampleRate, Loops loops)
    : rate(kDefaultRate), wide(false), sections()
{
#ifdef ZW_WIDE_SPLIT
    // The stereo kernels have found whether AVX2 runs here and is wanted.
    wide = loops == kWidestLoops && &bestStereoKernels() != &baselineStereoKernels();
#else
    (void)loops;
#endif
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
    const Outputs out(bands);
#ifdef ZW_WIDE_SPLIT
    if (wide)
        splitWide(sections, left, right, count, out);
    else
#endif
        splitFrames(sections, left, right, count, out);

    // Any NaN or infinity in the memory makes the sum non-finite.
    float sum = 0.0f;
    for (const Section& s : sections)
        for (int lane = 0; lane < 4; ++lane)
            sum += s.s1[lane] * 0.0f + s.s2[lane] * 0.0f;
    if (sum != 0.0f)
        reset();
}
