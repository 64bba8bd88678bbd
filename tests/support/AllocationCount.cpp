#include "tests/support/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

// GCC sees the malloc behind these and takes the frees for mismatches.
namespace
{
std::atomic<long> gMade{0};
std::atomic<long> gLive{0};
void* counted(std::size_t size)
{
    ++gMade;
    ++gLive;
    return std::malloc(size ? size : 1);
}
void uncounted(void* p)
{
    if (p)
        --gLive;
    std::free(p);
}
} // namespace

long allocationsMade()
{
    return gMade;
}

long allocationsLive()
{
    return gLive;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
// clang-format off
void* operator new(std::size_t n) { if (void* p = counted(n)) return p; throw std::bad_alloc(); }
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(n); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }
// clang-format on
