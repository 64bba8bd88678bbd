#include "audio/WaveReader.h"
#include "audio/MemoryFile.h"
#include "tests/audio/WaveBuilder.h"

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

// A memory file whose reads fail from a given offset on.
class CFailingFile : public CMemoryFile
{
  public:
    CFailingFile(const Bytes& file, int64_t failFrom)
        : CMemoryFile(file.data(), file.size()), failFrom(failFrom)
    {
    }
    int32_t read(void* target, int32_t size) override
    {
        if (offset + size > failFrom)
        {
            std::memset(target, 0x55, static_cast<size_t>(size)); // garbage
            return -1;
        }
        return CMemoryFile::read(target, size);
    }
    int64_t failFrom;
};

// A file in memory and a reader opened on it.
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

Bytes rampData(int frames)
{
    Bytes data;
    for (int i = 0; i < frames; ++i)
        putLe(data, static_cast<uint32_t>(i + 1), 2);
    return data;
}
} // namespace

TEST(WaveReader, OpensPcmAmongOtherChunks)
{
    const Bytes file = riff(
        "WAVE",
        concat({chunk("JUNK", {1, 2, 3}), chunk("fmt ", formatContents(1, 2, 44100, 16)),
                chunk("LIST", Bytes(7, 0)), chunk("data", Bytes(402, 0)), chunk("cue ", {1})}));
    OpenedWave wave(file);
    ASSERT_EQ(kWaveOpened, wave.result);
    const CWaveReader& reader = wave.reader;
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(2, reader.getChannels());
    EXPECT_EQ(16, reader.getBitsPerSample());
    EXPECT_EQ(44100.0, reader.getSampleRate());
    EXPECT_EQ(100, reader.getLength()); // 402 / 4
    EXPECT_EQ(12 + 12 + 24 + 16 + 8, reader.getDataStart());
    EXPECT_EQ(0, reader.getPosition());

    OpenedWave mono8(pcmWave(1, 8000, 8, {1}));
    ASSERT_EQ(kWaveOpened, mono8.result);
    EXPECT_EQ(1, mono8.reader.getFrameBytes());
    OpenedWave stereo24(pcmWave(2, 48000, 24, {}));
    ASSERT_EQ(kWaveOpened, stereo24.result);
    EXPECT_EQ(6, stereo24.reader.getFrameBytes());
    EXPECT_EQ(0, stereo24.reader.getLength());
}

TEST(WaveReader, RefusesWhatItCannotRead)
{
    const Bytes pcm = formatContents(1, 2, 44100, 16);
    const Bytes data = chunk("data", {0, 0, 0, 0});
    struct Case
    {
        Bytes file;
        WaveOpenResult result;
        int32_t tag;
    } cases[] = {
        {riff("AVI ", concat({chunk("fmt ", pcm), data})), kWaveNotWave, 0},
        {riff("WAVE", data), kWaveNotWave, 0},
        {Bytes{'R', 'I', 'F', 'F'}, kWaveNotWave, 0},
        // "fmt " states 40 bytes; the file ends after 16.
        {riff("WAVE", chunk("fmt ", pcm, 40)), kWaveReadError, 0},
        {riff("WAVE", concat({data, chunk("fmt ", pcm)})), kWaveReadError, 0},
        // No data chunk outranks the format tag.
        {riff("WAVE", chunk("fmt ", formatContents(3, 2, 44100, 32))), kWaveReadError, 0},
        {riff("WAVE", concat({chunk("fmt ", formatContents(3, 2, 44100, 32)), data})),
         kWaveUnknownFormat, 3},
        {riff("WAVE", concat({chunk("fmt ", formatContents(0xFFFE, 2, 44100, 16)), data})),
         kWaveUnknownFormat, 0xFFFE},
        {riff("WAVE", concat({chunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 14)), data})),
         kWaveUnknownFormat, 1},
        {riff("WAVE", concat({chunk("fmt ", {1}), data})), kWaveUnknownFormat, 1},
        {riff("WAVE", concat({chunk("fmt ", formatContents(1, 0, 44100, 16)), data})),
         kWaveUnknownFormat, 1},
        {riff("WAVE", concat({chunk("fmt ", formatContents(1, 2, 44100, 0)), data})),
         kWaveUnknownFormat, 1},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        OpenedWave wave(c.file);
        CWaveReader& reader = wave.reader;
        EXPECT_EQ(c.result, wave.result) << "case " << index;
        EXPECT_FALSE(reader.isOpen()) << "case " << index;
        EXPECT_EQ(0, reader.getChannels()) << "case " << index;
        EXPECT_EQ(c.tag, reader.getFormatTag()) << "case " << index;
        Channels out(4);
        EXPECT_EQ(0, reader.seek(0));
        EXPECT_EQ(0, reader.read(out.pointers, 0, 4));
        EXPECT_EQ(-9.0f, out.left[0]);
        ++index;
    }
}

TEST(WaveReader, ReadsOnPastTheDataChunkAndZeroFillsPastTheFile)
{
    // 1000 mono frames followed by a 4-byte trailing chunk: 6 more frames.
    const Bytes file = concat({riff("WAVE", concat({chunk("fmt ", formatContents(1, 1, 44100, 16)),
                                                    chunk("data", rampData(1000))})),
                               Bytes{'t', 'a', 'i', 'l', 4, 0, 0, 0, 7, 0, 8, 0}});
    // A small buffer: the request takes several passes.
    OpenedWave wave(file, 500);
    ASSERT_EQ(kWaveOpened, wave.result);
    CWaveReader& reader = wave.reader;
    EXPECT_EQ(1000, reader.getLength());
    Channels out(3840);
    ASSERT_EQ(1, reader.seek(0));
    EXPECT_EQ(1006, reader.read(out.pointers, 0, 3840));
    EXPECT_EQ(1 * kScale16Bit, out.left[0]);
    EXPECT_EQ(1000 * kScale16Bit, out.left[999]);
    EXPECT_EQ(('t' | 'a' << 8) * kScale16Bit, out.left[1000]);
    EXPECT_EQ(8 * kScale16Bit, out.left[1005]);
    for (int i = 1006; i < 3840; ++i)
        ASSERT_EQ(0.0f, out.left[i]) << i;
    EXPECT_EQ(1006, reader.getPosition());
    EXPECT_EQ(1006, reader.getLength());

    // From slot 10 on: the slots before stay as they were.
    Channels part(3840);
    ASSERT_EQ(1, reader.seek(6));
    EXPECT_EQ(1000, reader.read(part.pointers, 10, 3840));
    EXPECT_EQ(-9.0f, part.left[9]);
    EXPECT_EQ(7 * kScale16Bit, part.left[10]);
    EXPECT_EQ(0.0f, part.left[1010]);
    EXPECT_EQ(1006, reader.getPosition());

    // Beyond the end: zeros, nothing counted, the length grows to the seek.
    Channels beyond(100);
    ASSERT_EQ(1, reader.seek(5000));
    EXPECT_EQ(0, reader.read(beyond.pointers, 0, 100));
    EXPECT_EQ(0.0f, beyond.left[99]);
    EXPECT_EQ(5000, reader.getLength());

    // Frames outside any file are refused rather than wrapped.
    EXPECT_EQ(0, reader.seek(-1));
    EXPECT_EQ(0, reader.seek(INT64_MAX / 2));
    EXPECT_EQ(5000, reader.getPosition());
}

TEST(WaveReader, ReadErrorsAndOddSizesNeverGiveGarbage)
{
    // Stereo 16-bit: a read error from frame 10 on reads as the end.
    const Bytes file = pcmWave(2, 48000, 16, rampData(2 * 50));
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

    // Past the end of an 8-bit file is silence too, not the zero byte's -1.0;
    // so is the missing half of its last frame.
    Bytes cut = pcmWave(2, 44100, 8, {255, 0, 64});
    cut.pop_back(); // the pad byte
    OpenedWave narrow(cut);
    ASSERT_EQ(kWaveOpened, narrow.result);
    Channels silence(4);
    EXPECT_EQ(1, narrow.reader.read(silence.pointers, 0, 4));
    EXPECT_EQ(1.0f, silence.left[0]);
    EXPECT_EQ(-128 * kScale8Bit, silence.right[0]);
    EXPECT_EQ(-64 * kScale8Bit, silence.left[1]);
    EXPECT_EQ(0.0f, silence.right[1]);
    EXPECT_EQ(0.0f, silence.left[3]);

    // A data size near 2^32 and a capacity of 0: a one-frame buffer, and
    // reads end where the file does.
    Bytes huge = pcmWave(1, 44100, 24, {1, 2, 3, 4, 5, 6, 7});
    huge[40] = huge[41] = huge[42] = huge[43] = 0xFF;
    OpenedWave hugeWave(huge, 0);
    ASSERT_EQ(kWaveOpened, hugeWave.result);
    CWaveReader& hugeReader = hugeWave.reader;
    EXPECT_EQ(1, hugeReader.getBufferFrames());
    EXPECT_EQ(0xFFFFFFFFu / 3, hugeReader.getLength());
    Channels many(8);
    EXPECT_EQ(2, hugeReader.read(many.pointers, 0, 8));
    EXPECT_EQ(static_cast<float>(0x030201) * kScale24Bit, many.left[0]);
    EXPECT_EQ(7 * kScale24Bit, many.left[2]); // the partial frame, zero-filled
    ASSERT_EQ(1, hugeReader.seek(0xFFFFFFFFu / 3 - 1));
    EXPECT_EQ(0, hugeReader.read(many.pointers, 0, 8));
}
