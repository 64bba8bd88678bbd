// Feeds arbitrary bytes to the WAV reader as a file: the header search, the
// format checks and reads at the start, across the end and beyond it.
// Besides the sanitizers it checks what every reader must hold.

#include "audio/MemoryFile.h"
#include "audio/WaveReader.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{
// An odd capacity splits reads into uneven passes.
constexpr int32_t kCapacity = 37;
constexpr int32_t kSlots = 100;
// Reading giant frames would only measure the allocator.
constexpr int32_t kMaxChannels = 64;
constexpr int32_t kMaxFrameBytes = 1024;
constexpr float kUntouched = 12345.0f;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Channels
{
    explicit Channels(int32_t count) : samples(static_cast<size_t>(count) * kSlots), pointers(count)
    {
        for (int32_t c = 0; c < count; ++c)
            pointers[c] = samples.data() + static_cast<size_t>(c) * kSlots;
    }
    void reset() { std::fill(samples.begin(), samples.end(), kUntouched); }
    std::vector<float> samples;
    std::vector<float*> pointers;
};

// Reads slots first .. end - 1 and checks the result and the samples.
int32_t readAndCheck(CWaveReader& reader, Channels& out, int32_t first, int32_t end)
{
    out.reset();
    const int64_t before = reader.getPosition();
    const int32_t got = reader.read(out.pointers.data(), first, end);
    check(got >= 0 && got <= end - first);
    check(reader.getPosition() == before + got);
    check(reader.getLength() >= reader.getPosition());
    const int32_t bits = reader.getBitsPerSample();
    const bool isFloat = reader.hasFloatSamples();
    const bool converted = isFloat ? bits == 32 || bits == 64 : bits <= 32;
    // Float samples may lie anywhere, but never beyond the finite.
    const float lowest = isFloat ? -FLT_MAX : -128.0f / 127.0f;
    const float highest = isFloat ? FLT_MAX : 1.0f;
    for (int32_t c = 0; c < reader.getChannels(); ++c)
    {
        for (int32_t i = 0; i < kSlots; ++i)
        {
            const float v = out.pointers[c][i];
            if (i < first || i >= end || !converted)
                check(v == kUntouched);
            else
                check(std::isfinite(v) && v >= lowest && v <= highest);
            // Frames past those counted are zeros, except a partial frame.
            if (converted && i > first + got && i < end)
                check(v == 0.0f);
        }
    }
    return got;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryFile file(data, size);
    CWaveReader reader;
    if (reader.readHeader(&file) != kWaveOpened)
        return 0;
    const int32_t channels = reader.getChannels();
    check(channels > 0 && reader.getBitsPerSample() > 0);
    check(reader.getFrameBytes() == channels * ((reader.getBitsPerSample() + 7) / 8));
    check(reader.getDataStart() >= 20 && reader.getDataStart() <= reader.getDataEnd() &&
          reader.getDataEnd() <= static_cast<int64_t>(size));
    if (channels > kMaxChannels || reader.getFrameBytes() > kMaxFrameBytes)
        return 0;
    check(reader.allocateBuffer(kCapacity) == kWaveOpened && reader.isOpen());

    Channels out(channels);
    const int64_t available =
        (reader.getDataEnd() - reader.getDataStart()) / reader.getFrameBytes();
    check(reader.getLength() == available);
    // From the first frame: exactly the whole frames the data chunk holds.
    const int32_t got = readAndCheck(reader, out, 3, kSlots);
    check(got == (available < kSlots - 3 ? available : kSlots - 3));

    // Across and beyond the end of the data.
    check(reader.seek(available > 5 ? available - 5 : 0) == 1);
    readAndCheck(reader, out, 0, kSlots);
    check(reader.seek(available + 10) == 1);
    check(readAndCheck(reader, out, 0, 7) == 0);
    check(reader.getLength() >= available + 10);

    // Through the whole file, one buffer after another.
    check(reader.seek(0) == 1);
    int64_t total = 0;
    for (int32_t n; (n = readAndCheck(reader, out, 0, kCapacity)) > 0;)
        total += n;
    check(total == available);
    return 0;
}
