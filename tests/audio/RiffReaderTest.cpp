#include "audio/RiffReader.h"
#include "audio/MemoryFile.h"
#include "tests/support/WaveBuilder.h"

#include <gtest/gtest.h>

namespace
{
constexpr uint32_t kWave = makeChunkId("WAVE");
constexpr uint32_t kFormat = makeChunkId("fmt ");

// Whether the file holds a WAVE form with a "fmt " chunk.
bool findsFormat(Bytes file)
{
    CMemoryFile memory(file.data(), file.size());
    CRiffReader reader(memory);
    RiffChunk form, format;
    return reader.findForm(kWave, form) && reader.findChunk(kFormat, form, format);
}
} // namespace

TEST(RiffReader, FindsTheWaveFormAmongTopLevelChunks)
{
    const Bytes file = concat({chunk("JUNK", Bytes(5, 0xAA)), riff("AVI ", chunk("fmt ", {1, 2})),
                               riff("WAVE", chunk("fmt ", {7, 7, 7}))});
    CMemoryFile memory(file.data(), file.size());
    CRiffReader reader(memory);
    RiffChunk form, format;
    ASSERT_EQ(1, reader.findForm(kWave, form));
    EXPECT_EQ(14 + 22 + 8, form.dataOffset); // past the padded JUNK and the AVI form
    EXPECT_EQ(16u, form.size);
    ASSERT_EQ(1, reader.findChunk(kFormat, form, format));
    EXPECT_EQ(3u, format.size);
    uint8_t first = 0;
    EXPECT_EQ(1, memory.read(&first, 1)); // the file stands at the contents
    EXPECT_EQ(7, first);
}

TEST(RiffReader, LyingAndHugeSizesEndTheSearch)
{
    Bytes file = riff("WAVE", concat({chunk("JUNK", {1, 2, 3, 4}), chunk("fmt ", {5})}));
    EXPECT_TRUE(findsFormat(file));
    // A RIFF size far beyond the file: the search runs to the file's end.
    file[4] = file[5] = file[6] = file[7] = 0xFF;
    EXPECT_TRUE(findsFormat(file));
    // A RIFF size that ends before "fmt " hides it.
    file[4] = 4 + 12;
    file[5] = file[6] = file[7] = 0;
    EXPECT_FALSE(findsFormat(file));

    // A chunk size near 2^32 jumps past the end rather than wrapping round
    // to the chunk itself (which would search for ever).
    Bytes wrap = riff("WAVE", concat({chunk("JUNK", {}, 0xFFFFFFF8u), chunk("fmt ", {5})}));
    wrap[4] = wrap[5] = wrap[6] = wrap[7] = 0xFF;
    EXPECT_FALSE(findsFormat(wrap));
    EXPECT_FALSE(findsFormat(concat({chunk("JUNK", {}, 0xFFFFFFFFu), riff("WAVE", {})})));
    EXPECT_FALSE(findsFormat({'R', 'I', 'F', 'F', 0}));
}
