#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define ZW_HAS_MXCSR 1
#endif

// Subnormal numbers (a reverb's or a fade's tail dying away) slow the float
// operations on them, some processors tenfold. While one of these lives, they
// count as 0 (denormals-are-zero) and results that small become 0
// (flush-to-zero); the caller's own control word is back when it goes. Made
// for the length of a host's process call, on the host's thread.
class SubnormalsAsZero
{
  public:
#ifdef ZW_HAS_MXCSR
    SubnormalsAsZero() : callerControl(_mm_getcsr())
    {
        _mm_setcsr(callerControl | kFlushToZero | kDenormalsAreZero);
    }
    ~SubnormalsAsZero()
    {
        _mm_setcsr(callerControl);
    }

  private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned callerControl;
#else
    SubnormalsAsZero() {}
#endif
    SubnormalsAsZero(const SubnormalsAsZero&) = delete;
    SubnormalsAsZero& operator=(const SubnormalsAsZero&) = delete;
};
