#include "plugin/StereoKernels.h"

#include <cstdlib>
#include <cstring>

#include "plugin/StereoAnalyzer.h" // kRotation

// Each loop is written once, as an always-inlined body, and compiled into
// one function per instruction set; the compiler vectorises every copy for
// its own. Only the AVX2 copies carry a target, so nothing built for AVX2
// can be reached on a processor without it.
#if defined(__GNUC__)
#define ZW_LOOP inline __attribute__((always_inline))
#else
#define ZW_LOOP inline
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZW_AVX2_KERNELS 1
#include <cpuid.h>
#endif

namespace
{
constexpr int32_t kMagnitudeMask = 0x7FFFFFFF;

ZW_LOOP int32_t bitsOf(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// One frame's agreement in half frames, as the sign of the exact product
// gives it: 2 for equal signs (however tiny) or two silent samples, 1 for
// exactly one silent sample, 0 for opposite signs and for frames whose
// product is NaN (a NaN sample, or an infinity against silence). Signs are
// compared rather than multiplied, so the loops stay in integers and
// vectorise; the float product only tells the NaN cases, which it gets right.
// Masks, all ones where true, keep this to a handful of vector operations.
ZW_LOOP int32_t agreementHalves(float l, float r)
{
    const int32_t leftSilent = -static_cast<int32_t>(l == 0.0f);
    const int32_t rightSilent = -static_cast<int32_t>(r == 0.0f);
    const int32_t opposite = (bitsOf(l) ^ bitsOf(r)) >> 31;
    const float product = l * r;
    const int32_t valid = -static_cast<int32_t>(product == product);
    return (2 + 2 * (opposite & ~(leftSilent | rightSilent)) + (leftSilent ^ rightSilent)) & valid;
}

// The scan's sums over the frames it has taken, as if every sample were
// finite: the same agreement kept as two counts (each -1 per frame) that
// cost fewer operations than the halves themselves, and the peaks' bits.
struct ScanSums
{
    int32_t opposite = 0;
    int32_t oneSilent = 0;
    int32_t peakLeft = 0;
    int32_t peakRight = 0;

    ZW_LOOP void take(float l, float r)
    {
        const int32_t leftSilent = -static_cast<int32_t>(l == 0.0f);
        const int32_t rightSilent = -static_cast<int32_t>(r == 0.0f);
        opposite += ((bitsOf(l) ^ bitsOf(r)) & ~(leftSilent | rightSilent)) >> 31;
        oneSilent += leftSilent ^ rightSilent;
        const int32_t magnitudeLeft = bitsOf(l) & kMagnitudeMask;
        const int32_t magnitudeRight = bitsOf(r) & kMagnitudeMask;
        peakLeft = magnitudeLeft > peakLeft ? magnitudeLeft : peakLeft;
        peakRight = magnitudeRight > peakRight ? magnitudeRight : peakRight;
    }

    // Adds count frames' sums to scan.
    ZW_LOOP void addTo(StereoScan& scan, int32_t count) const
    {
        scan.halves += 2 * count + 2 * opposite + oneSilent;
        scan.peakBitsLeft = peakLeft > scan.peakBitsLeft ? peakLeft : scan.peakBitsLeft;
        scan.peakBitsRight = peakRight > scan.peakBitsRight ? peakRight : scan.peakBitsRight;
    }
};

ZW_LOOP void scanLoop(const float* __restrict left, const float* __restrict right, int32_t count,
                      StereoScan& scan)
{
    ScanSums sums;
    for (int32_t i = 0; i < count; ++i)
        sums.take(left[i], right[i]);
    sums.addTo(scan, count);
}

// The delay line's step and the scan of what comes in, in one pass. The
// line is the caller's own, which only parameters can promise the compiler;
// a host may pair its inputs and outputs in any way (crossed, one channel in
// place), so the compiler checks those at run time and takes the wide loop
// where they do not overlap.
ZW_LOOP void delayScanLoop(float* __restrict blockLeft, float* __restrict blockRight,
                           const float* inLeft, const float* inRight, float* outLeft,
                           float* outRight, int32_t count, StereoScan& scan)
{
    ScanSums sums;
    for (int32_t i = 0; i < count; ++i)
    {
        const float l = inLeft[i];
        const float r = inRight[i];
        outLeft[i] = blockLeft[i];
        outRight[i] = blockRight[i];
        blockLeft[i] = l;
        blockRight[i] = r;
        sums.take(l, r);
    }
    sums.addTo(scan, count);
}

ZW_LOOP void delayScanInPlaceLoop(float* __restrict blockLeft, float* __restrict blockRight,
                                  float* __restrict left, float* __restrict right, int32_t count,
                                  StereoScan& scan)
{
    ScanSums sums;
    for (int32_t i = 0; i < count; ++i)
    {
        const float l = left[i];
        const float r = right[i];
        left[i] = blockLeft[i];
        right[i] = blockRight[i];
        blockLeft[i] = l;
        blockRight[i] = r;
        sums.take(l, r);
    }
    sums.addTo(scan, count);
}

template <bool kScaled>
ZW_LOOP int32_t halvesLoop(const float* __restrict left, const float* __restrict right, float scale,
                           int32_t count)
{
    int32_t halves = 0;
    for (int32_t i = 0; i < count; ++i)
        halves += kScaled ? agreementHalves(left[i] * scale, right[i] * scale)
                          : agreementHalves(left[i], right[i]);
    return halves;
}

ZW_LOOP void monoSumLoop(const float* __restrict left, const float* __restrict right,
                         float* __restrict outLeft, float* __restrict outRight, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        const float m = (left[i] + right[i]) * 0.5f;
        outLeft[i] = m;
        outRight[i] = m;
    }
}

ZW_LOOP void monoSumInPlaceLoop(float* __restrict left, float* __restrict right, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        const float m = (left[i] + right[i]) * 0.5f;
        left[i] = m;
        right[i] = m;
    }
}

ZW_LOOP void pointsLoop(const float* __restrict left, const float* __restrict right, float scale,
                        float* __restrict side, float* __restrict mid, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        const float l = left[i] * scale;
        const float r = right[i] * scale;
        side[i] = (r - l) * kRotation;
        mid[i] = (r + l) * kRotation;
    }
}
} // namespace

// One set of kernels: the loops above compiled with the given attributes.
#define ZW_STEREO_KERNELS(set, attributes)                                                         \
    namespace set                                                                                  \
    {                                                                                              \
    attributes void scan(const float* l, const float* r, int32_t n, StereoScan& s)                 \
    {                                                                                              \
        scanLoop(l, r, n, s);                                                                      \
    }                                                                                              \
    attributes void delayScan(float* const b[2], const float* const i[2], float* const o[2],       \
                              int32_t n, StereoScan& s)                                            \
    {                                                                                              \
        delayScanLoop(b[0], b[1], i[0], i[1], o[0], o[1], n, s);                                   \
    }                                                                                              \
    attributes void delayScanInPlace(float* const b[2], float* const io[2], int32_t n,             \
                                     StereoScan& s)                                                \
    {                                                                                              \
        delayScanInPlaceLoop(b[0], b[1], io[0], io[1], n, s);                                      \
    }                                                                                              \
    attributes int32_t halves(const float* l, const float* r, int32_t n)                           \
    {                                                                                              \
        return halvesLoop<false>(l, r, 1.0f, n);                                                   \
    }                                                                                              \
    attributes int32_t scaledHalves(const float* l, const float* r, float s, int32_t n)            \
    {                                                                                              \
        return halvesLoop<true>(l, r, s, n);                                                       \
    }                                                                                              \
    attributes void monoSum(const float* l, const float* r, float* ol, float* orr, int32_t n)      \
    {                                                                                              \
        monoSumLoop(l, r, ol, orr, n);                                                             \
    }                                                                                              \
    attributes void monoSumInPlace(float* l, float* r, int32_t n)                                  \
    {                                                                                              \
        monoSumInPlaceLoop(l, r, n);                                                               \
    }                                                                                              \
    attributes void points(const float* l, const float* r, float s, float* side, float* mid,       \
                           int32_t n)                                                              \
    {                                                                                              \
        pointsLoop(l, r, s, side, mid, n);                                                         \
    }                                                                                              \
    const CStereoKernels kernels = {                                                               \
        scan,    delayScan,      delayScanInPlace, halves, scaledHalves,                           \
        monoSum, monoSumInPlace, points,           #set};                                          \
    }

namespace
{
ZW_STEREO_KERNELS(baseline, )
#ifdef ZW_AVX2_KERNELS
ZW_STEREO_KERNELS(avx2, __attribute__((target("avx2"))))
#endif
} // namespace

const CStereoKernels& baselineStereoKernels()
{
    return baseline::kernels;
}

#ifdef ZW_AVX2_KERNELS
namespace
{
// AVX2 needs the processor to have it and the system to keep the wide
// registers across thread switches, which only XCR0 (read by xgetbv) tells:
// a processor's cpuid says yes under a system that does not save them.
bool avx2Usable()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const unsigned osxsave = 1u << 27, avx = 1u << 28;
    if ((c & (osxsave | avx)) != (osxsave | avx))
        return false;
    unsigned xcr0 = 0, xcr0High = 0;
    __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
    const unsigned sseAndAvxState = 0x6;
    if ((xcr0 & sseAndAvxState) != sseAndAvxState)
        return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 5)) != 0;
}
} // namespace
#endif

const CStereoKernels* avx2StereoKernels()
{
#ifdef ZW_AVX2_KERNELS
    static const bool usable = avx2Usable();
    if (usable)
        return &avx2::kernels;
#endif
    return nullptr;
}

namespace
{
const CStereoKernels& findBestStereoKernels()
{
    // ZW_STEREO_KERNELS=baseline measures or rules out the wider ones.
    const char* const wanted = std::getenv("ZW_STEREO_KERNELS");
    const CStereoKernels* const avx2 = avx2StereoKernels();
    if (!avx2 || (wanted && std::strcmp(wanted, "baseline") == 0))
        return baselineStereoKernels();
    return *avx2;
}
} // namespace

const CStereoKernels& bestStereoKernels()
{
    // Looked up once: the band meters ask for every run of samples, on the
    // audio thread, where reading the environment (which another thread of
    // the host may be changing) has no place.
    static const CStereoKernels& best = findBestStereoKernels();
    return best;
}
