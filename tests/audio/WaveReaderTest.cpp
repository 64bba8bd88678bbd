#include "audio/WaveReader.h"
#include "audio/MemoryFile.h"
#include "tests/support/WaveBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace
{
// Two channel arrays of n slots, filled with a marker.
struct Channels
{
    explicit Channels(size_t n) : left(n, -9.0f), right(n, -9.0f) {}
    std::vector<float> left, right;
    float* pointers[2] = {left.data(), right.data()};
};

// A memory file whose reads fail once they reach a given offset; the
// target is left holding garbage.
class CFailingFile : public CMemoryFile
{
  public:
    CFailingFile(const Bytes& file, int64_t failFrom)
        : CMemoryFile(file.data(), file.size()), failFrom(failFrom)
    {
    }
    int32_t read(void* target, int32_t size) override
    {
        if (offset + size <= failFrom)
            return CMemoryFile::read(target, size);
        std::memset(target, 0x55, static_cast<size_t>(size));
        return -1;
    }
    int64_t failFrom;
};

struct OpenedWave
{
    explicit OpenedWave(Bytes file, int32_t capacity = 64)
        : bytes(std::move(file)), memory(bytes.data(), bytes.size()),
          result(reader.open(&memory, capacity))
    {
    }
    Bytes bytes;
    CMemoryFile memory;
    CWaveReader reader;
    WaveOpenResult result;
};
} // namespace

TEST(WaveReader, RefusesWhatItCannotRead)
{
    const Bytes pcm = formatChunk(1, 2, 44100, 16);
    const Bytes data = chunk("data", {0, 0, 0, 0});
    const Bytes extensibleWave =
        riff("WAVE", concat({extensibleFormatChunk(1, 2, 44100, 16, 16), data}));
    const std::pair<Bytes, WaveOpenResult> cases[] = {
        {riff("AVI ", concat({pcm, data})), kWaveNotWave},
        {riff("WAVE", data), kWaveNotWave},
        {riff("WAVE", chunk("fmt ", Bytes(pcm.begin() + 8, pcm.end()), 40)), kWaveReadError},
        {riff("WAVE", concat({data, pcm})), kWaveReadError},
        {riff("WAVE", formatChunk(3, 2, 44100, 32)), kWaveReadError}, // before the tag check
        {riff("WAVE", concat({formatChunk(2, 2, 44100, 16), data})), kWaveUnknownFormat},
        {riff("WAVE", concat({chunk("fmt ", {1}), data})), kWaveUnknownFormat},
        {riff("WAVE", concat({formatChunk(1, 0, 44100, 16), data})), kWaveUnknownFormat},
        {riff("WAVE", concat({formatChunk(1, 2, 44100, 0), data})), kWaveUnknownFormat},
        // Extensible: an unknown sub-format is named by its GUID's first field;
        // a short or cut "fmt ", more valid bits than the container, no channels.
        {riff("WAVE", concat({extensibleFormatChunk(0x55, 2, 44100, 16, 16), data})),
         kWaveUnknownFormat},
        {riff("WAVE", concat({extensibleFormatChunk(1, 2, 44100, 16, 16, Bytes(12, 0)), data})),
         kWaveUnknownFormat},
        {riff("WAVE", concat({formatChunk(0xFFFE, 2, 44100, 16), data})), kWaveUnknownFormat},
        {riff("WAVE", concat({extensibleFormatChunk(1, 2, 44100, 24, 32), data})),
         kWaveUnknownFormat},
        {riff("WAVE", concat({extensibleFormatChunk(3, 0, 44100, 32, 32), data})),
         kWaveUnknownFormat},
        {Bytes(extensibleWave.begin(), extensibleWave.begin() + 50), kWaveReadError},
    };
    const uint32_t tags[] = {0, 0, 0, 0, 0, 2, 1, 1, 1, 0x55, 1, 0xFFFE, 0xFFFE, 3, 0};
    for (size_t i = 0; i < sizeof tags / sizeof tags[0]; ++i)
    {
        OpenedWave wave(cases[i].first);
        EXPECT_EQ(cases[i].second, wave.result) << "case " << i;
        EXPECT_EQ(tags[i], wave.reader.getFormatTag()) << "case " << i;
        EXPECT_FALSE(wave.reader.isOpen());
        EXPECT_EQ(0, wave.reader.getChannels());
        Channels out(4);
        EXPECT_EQ(0, wave.reader.seek(0));
        EXPECT_EQ(0, wave.reader.read(out.pointers, 0, 4));
        EXPECT_EQ(-9.0f, out.left[0]);
    }
}

TEST(WaveReader, FramesPastTheDataChunkAreSilenceLikeThosePastTheFile)
{
    // 1000 mono frames between other chunks; after them a LIST chunk in the
    // form and a chunk outside it, neither of which is sound.
    const Bytes chunks =
        concat({chunk("JUNK", {1, 2, 3}), formatChunk(1, 1, 44100, 16), chunk("LIST", Bytes(7, 0)),
                chunk("data", ramp16(1000)), chunk("LIST", Bytes(4001, 0x55))});
    OpenedWave wave(concat({riff("WAVE", chunks), chunk("tail", {7, 0, 8, 0})}), 500);
    CWaveReader& reader = wave.reader;
    ASSERT_EQ(kWaveOpened, wave.result);
    EXPECT_EQ(1, reader.getChannels());
    EXPECT_EQ(16, reader.getBitsPerSample());
    EXPECT_EQ(44100.0, reader.getSampleRate());
    EXPECT_EQ(1000, reader.getLength());
    EXPECT_EQ(12 + 12 + 24 + 16 + 8, reader.getDataStart());

    // More than the buffer holds: several passes, silent from frame 1000 on.
    Channels out(3840);
    EXPECT_EQ(1000, reader.read(out.pointers, 0, 3840));
    EXPECT_EQ(1 * kScale16Bit, out.left[0]);
    EXPECT_EQ(1000 * kScale16Bit, out.left[999]);
    EXPECT_EQ(std::vector<float>(2840, 0.0f),
              std::vector<float>(out.left.begin() + 1000, out.left.end()));
    EXPECT_EQ(1000, reader.getPosition());
    EXPECT_EQ(1000, reader.getLength());
    // Again across the end, as a looping player reads it.
    ASSERT_EQ(1, reader.seek(990));
    EXPECT_EQ(10, reader.read(out.pointers, 5, 505));
    EXPECT_EQ(1000 * kScale16Bit, out.left[14]);
    EXPECT_EQ(std::vector<float>(490, 0.0f),
              std::vector<float>(out.left.begin() + 15, out.left.begin() + 505));

    // Beyond the end: zeros, nothing counted, the length grows to the seek.
    ASSERT_EQ(1, reader.seek(5000));
    EXPECT_EQ(0, reader.read(out.pointers, 0, 100));
    EXPECT_EQ(0.0f, out.left[0]);
    EXPECT_EQ(5000, reader.getLength());
    // Frames outside any file are refused rather than wrapped.
    EXPECT_EQ(0, reader.seek(-1));
    EXPECT_EQ(0, reader.seek(INT64_MAX / 2));
    EXPECT_EQ(5000, reader.getPosition());
}

TEST(WaveReader, ReadsFloatThirtyTwoBitAndExtensibleFilesSampleExactly)
{
    // Stereo frames (k, ~k) in each format, amid the chunks that recorders
    // and editors write around the data (odd sizes padded). Integers hold k
    // shifted to the top of the container, floats k / 32768.
    const int32_t ks[] = {-32768, -15000, -1, 0, 1, 12345, 32767};
    const struct
    {
        Bytes format;
        int32_t shift; // -1 for float
        float scale;
    } cases[] = {
        {formatChunk(1, 2, 48000, 32), 16, kScale32Bit},
        {formatChunk(3, 2, 48000, 32), -1, 0.0f},
        {formatChunk(3, 2, 48000, 64), -1, 0.0f},
        {extensibleFormatChunk(1, 2, 48000, 16, 16), 0, kScale16Bit},
        {extensibleFormatChunk(1, 2, 48000, 24, 20), 8, kScale24Bit},
        {extensibleFormatChunk(1, 2, 48000, 32, 32), 16, kScale32Bit},
        {extensibleFormatChunk(3, 2, 48000, 32, 32), -1, 0.0f},
        {extensibleFormatChunk(3, 2, 48000, 64, 64), -1, 0.0f},
    };
    for (const auto& c : cases)
    {
        const int32_t bits = c.format[22] | c.format[23] << 8;
        auto expected = [&](int32_t v)
        { return c.shift < 0 ? v / 32768.0f : static_cast<float>(v * (1 << c.shift)) * c.scale; };
        Bytes data;
        for (int32_t k : ks)
            for (int32_t v : {k, ~k})
            {
                const float f = expected(v);
                const double d = v / 32768.0;
                const uint8_t* raw = bits == 32 ? reinterpret_cast<const uint8_t*>(&f)
                                                : reinterpret_cast<const uint8_t*>(&d);
                if (c.shift < 0)
                    data.insert(data.end(), raw, raw + bits / 8);
                else
                    putLe(data, static_cast<uint32_t>(v) << c.shift, bits / 8);
            }
        OpenedWave wave(
            riff("WAVE",
                 concat({chunk("bext", Bytes(603, 1)), c.format, chunk("fact", {14, 0, 0, 0}),
                         chunk("PEAK", Bytes(25, 2)), chunk("data", data),
                         chunk("LIST", Bytes(41, 4)), chunk("id3 ", Bytes(77, 6))})),
            3);
        ASSERT_EQ(kWaveOpened, wave.result) << bits;
        EXPECT_EQ(bits, wave.reader.getBitsPerSample());
        EXPECT_EQ(c.shift < 0, wave.reader.hasFloatSamples()) << bits;
        EXPECT_EQ(7, wave.reader.getLength());
        Channels out(10);
        EXPECT_EQ(7, wave.reader.read(out.pointers, 0, 10)) << bits;
        for (int32_t f = 0; f < 10; ++f)
        {
            EXPECT_EQ(f < 7 ? expected(ks[f]) : 0.0f, out.left[f]) << bits << " frame " << f;
            EXPECT_EQ(f < 7 ? expected(~ks[f]) : 0.0f, out.right[f]) << bits << " frame " << f;
        }
    }
}

TEST(WaveReader, ReadErrorsAndOddSizesNeverGiveGarbage)
{
    // Stereo 16-bit: a read error from frame 10 on reads as the end.
    const Bytes file = pcmWave(2, 48000, 16, ramp16(100));
    CFailingFile failing(file, 44 + 10 * 4);
    CWaveReader reader;
    ASSERT_EQ(kWaveOpened, reader.open(&failing, 16));
    Channels out(40);
    EXPECT_EQ(0, reader.read(out.pointers, 0, 40));
    EXPECT_EQ(0.0f, out.left[0]);
    EXPECT_EQ(0.0f, out.right[39]);
    ASSERT_EQ(1, reader.seek(0));
    EXPECT_EQ(10, reader.read(out.pointers, 0, 10));
    EXPECT_EQ(2 * kScale16Bit, out.right[0]);

    // Past the end of an 8-bit file is silence, not the zero byte's -1.0;
    // so is the missing half of its last frame.
    Bytes cut = pcmWave(2, 44100, 8, {255, 0, 64});
    cut.pop_back(); // the pad byte
    Channels silence(4);
    EXPECT_EQ(1, OpenedWave(cut).reader.read(silence.pointers, 0, 4));
    EXPECT_EQ(-64 * kScale8Bit, silence.left[1]);
    EXPECT_EQ(0.0f, silence.right[1]);
    EXPECT_EQ(0.0f, silence.left[3]);

    // A data size near 2^32 and a capacity of 0: a one-frame buffer, and
    // reads end where the file does.
    Bytes huge = pcmWave(1, 44100, 24, {1, 2, 3, 4, 5, 6, 7});
    huge[40] = huge[41] = huge[42] = huge[43] = 0xFF;
    OpenedWave hugeWave(huge, 0);
    EXPECT_EQ(1, hugeWave.reader.getBufferFrames());
    EXPECT_EQ(2, hugeWave.reader.getLength()); // what the file holds
    Channels many(8);
    EXPECT_EQ(2, hugeWave.reader.read(many.pointers, 0, 8));
    EXPECT_EQ(7 * kScale24Bit, many.left[2]); // the partial frame, zero-filled
    ASSERT_EQ(1, hugeWave.reader.seek(0xFFFFFFFFu / 3 - 1));
    EXPECT_EQ(0, hugeWave.reader.read(many.pointers, 0, 8));
}

TEST(WaveReader, UnfinishedRecordingsPlayWhatTheFileHolds)
{
    // Sizes never filled in: a data size of 0, and a form size of 0 too.
    Bytes file = pcmWave(1, 44100, 16, ramp16(300));
    file[40] = file[41] = 0;
    OpenedWave dataZero(file);
    file[4] = file[5] = 0;
    OpenedWave bothZero(file);
    for (CWaveReader* reader : {&dataZero.reader, &bothZero.reader})
    {
        ASSERT_TRUE(reader->isOpen());
        EXPECT_EQ(300, reader->getLength());
        Channels out(310);
        EXPECT_EQ(300, reader->read(out.pointers, 0, 310));
        EXPECT_EQ(300 * kScale16Bit, out.left[299]);
        EXPECT_EQ(0.0f, out.left[300]);
    }
}
