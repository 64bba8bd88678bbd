#include "plugin/ScopeEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestScopeEditor.h"

// Every allocation of this test executable goes through here.
namespace
{
std::atomic<long> gAllocations{0};

void* counted(std::size_t size)
{
    ++gAllocations;
    return std::malloc(size ? size : 1);
}

int32_t ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, int32_t, void*, float)
{
    return opcode == audioMasterVersion ? 1 : 0;
}
} // namespace

// GCC sees the malloc behind these and takes the frees for mismatches.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size)
{
    if (void* p = counted(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return counted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return counted(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(ScopeEffectAllocation, ProcessingAllocatesNothingAfterConstruction)
{
    auto* effect = new CEditedScopeEffect(host);
    AEffect* e = effect->getRecord();
    std::vector<float> l(1764, 0.5f), r(1764, -0.25f), outL(1764), outR(1764);
    float* in[] = {l.data(), r.data()};
    float* out[] = {outL.data(), outR.data()};

    const long before = gAllocations;
    for (int call = 0; call < 50; ++call)
    {
        e->setParameter(e, 0, static_cast<float>(call % 2));
        e->processReplacing(e, in, out, 1 + (64 + 37 * call) % 1764);
        e->process(e, in, out, 1764);
        if (call % 10 == 0)
            e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    }
    EXPECT_EQ(gAllocations - before, 0);
    EXPECT_GT(before, 0) << "the counter is in place";
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
