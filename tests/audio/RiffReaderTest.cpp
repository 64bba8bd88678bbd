#include "audio/RiffReader.h"
#include "audio/MemoryFile.h"
#include "tests/audio/WaveBuilder.h"

#include <gtest/gtest.h>

namespace
{
constexpr uint32_t kWave = makeChunkId("WAVE");
constexpr uint32_t kFormat = makeChunkId("fmt ");
constexpr uint32_t kData = makeChunkId("data");
} // namespace

TEST(RiffReader, FindsTheWaveFormAmongTopLevelChunks)
{
    const Bytes file = concat({chunk("JUNK", Bytes(5, 0xAA)), riff("AVI ", chunk("data", {1, 2})),
                               riff("WAVE", chunk("fmt ", {7, 7, 7}))});
    CMemoryFile memory(file.data(), file.size());
    CRiffReader reader(memory);
    RiffChunk form;
    ASSERT_EQ(1, reader.findForm(kWave, form));
    // JUNK: 8 + 5 + pad, the AVI form: 8 + 4 + 10.
    EXPECT_EQ(14 + 22 + 8, form.dataOffset);
    EXPECT_EQ(4u + 12u, form.size);
    EXPECT_EQ(form.dataOffset + 4, reader.getOffset());

    RiffChunk format;
    ASSERT_EQ(1, reader.findChunk(kFormat, form, format));
    EXPECT_EQ(3u, format.size);
    uint8_t first = 0;
    EXPECT_EQ(1, memory.read(&first, 1)); // the file stands at the contents
    EXPECT_EQ(7, first);

    // The "data" inside the AVI form is not a chunk of the WAVE form.
    reader.leave(format);
    RiffChunk data;
    EXPECT_EQ(0, reader.findChunk(kData, form, data));

    const Bytes other = riff("AVI ", chunk("fmt ", {1}));
    CMemoryFile otherMemory(other.data(), other.size());
    CRiffReader otherReader(otherMemory);
    EXPECT_EQ(0, otherReader.findForm(kWave, form));
}

TEST(RiffReader, SearchesOnwardWithinTheParentOnly)
{
    // An odd chunk is padded; "data" before "fmt " is not found after it.
    const Bytes chunks = concat({chunk("data", {1, 2}), chunk("odd ", {1, 2, 3}),
                                 chunk("fmt ", {9, 9}), chunk("LIST", {0, 0, 0, 0})});
    Bytes file = riff("WAVE", chunks);
    CMemoryFile memory(file.data(), file.size());
    CRiffReader reader(memory);
    RiffChunk form, format, data;
    ASSERT_EQ(1, reader.findForm(kWave, form));
    ASSERT_EQ(1, reader.findChunk(kFormat, form, format));
    EXPECT_EQ(12 + 10 + 12 + 8, format.dataOffset);
    reader.leave(format);
    EXPECT_EQ(0, reader.findChunk(kData, form, data));

    // A RIFF size that ends before "fmt " hides it; the bytes are still there.
    file[4] = 4 + 10 + 12;
    CMemoryFile shortForm(file.data(), file.size());
    CRiffReader shortReader(shortForm);
    ASSERT_EQ(1, shortReader.findForm(kWave, form));
    EXPECT_EQ(0, shortReader.findChunk(kFormat, form, format));
}

TEST(RiffReader, HugeAndLyingSizesEndTheSearch)
{
    // A RIFF size far beyond the file: the search runs to the file's end.
    Bytes file = riff("WAVE", concat({chunk("JUNK", {1, 2, 3, 4}), chunk("fmt ", {5})}));
    file[4] = file[5] = file[6] = file[7] = 0xFF;
    CMemoryFile memory(file.data(), file.size());
    CRiffReader reader(memory);
    RiffChunk form, found;
    ASSERT_EQ(1, reader.findForm(kWave, form));
    EXPECT_EQ(0xFFFFFFFFu, form.size);
    ASSERT_EQ(1, reader.findChunk(kFormat, form, found));
    reader.leave(found);
    EXPECT_EQ(0, reader.findChunk(kData, form, found));

    // A chunk size near 2^32 jumps past the end instead of wrapping round
    // to the chunk itself.
    Bytes wrap = riff("WAVE", concat({chunk("JUNK", {}, 0xFFFFFFF8u), chunk("fmt ", {5})}));
    wrap[4] = wrap[5] = wrap[6] = wrap[7] = 0xFF;
    CMemoryFile wrapMemory(wrap.data(), wrap.size());
    CRiffReader wrapReader(wrapMemory);
    ASSERT_EQ(1, wrapReader.findForm(kWave, form));
    EXPECT_EQ(0, wrapReader.findChunk(kFormat, form, found));

    // Top-level chunks that only claim sizes end where the file ends.
    const Bytes junk = concat({chunk("JUNK", {}, 0xFFFFFFFFu), chunk("RIFF", {}, 0)});
    CMemoryFile junkMemory(junk.data(), junk.size());
    CRiffReader junkReader(junkMemory);
    EXPECT_EQ(0, junkReader.findForm(kWave, form));
    // A truncated header is no chunk.
    const Bytes stub = {'R', 'I', 'F', 'F', 0};
    CMemoryFile stubMemory(stub.data(), stub.size());
    CRiffReader stubReader(stubMemory);
    EXPECT_EQ(0, stubReader.findForm(kWave, form));
}
