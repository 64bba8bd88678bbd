#include "plugin/ParamStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace
{
constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

// A switch, a bipolar level and a 16-byte block, all unchanged.
class CTestStore : public CParamStore
{
  public:
    CTestStore() : CParamStore(3)
    {
        define(0, 0.0f, 0.0f, 1.0f, "", "Switch", 0, 4);
        define(1, 0.0f, -1.0f, 1.0f, "dB", "Level", 0, 4);
        define(2, 0.0f, -1.0f, 1.0f, "", "", 1, 16);
        const uint8_t zeros[16] = {};
        writeBlock(2, zeros, 16, 0);
        uint8_t sink[16];
        readBlock(2, sink, 16, 0);
    }
    std::string name(int32_t index) const
    {
        char text[16];
        getName(index, text);
        return text;
    }
};
} // namespace

TEST(ParamStore, DefineSetsUpAnEntry)
{
    CParamStore store(2);
    store.define(0, 0.25f, -2.0f, 2.0f, "Hz", "Frequency", 0, 4);
    char text[16];
    store.getLabel(0, text);
    EXPECT_STREQ(text, "Hz");
    EXPECT_EQ(store.getValue(0, false), 0.25f);
    EXPECT_EQ(store.normalize(0, 1.0f), 0.75f);
    EXPECT_EQ(store.isChanged(0), 0);
    EXPECT_FALSE(store.isBlock(0));

    // Texts are cut to 15 characters; short ones are not read past their end.
    store.define(1, 0.0f, 0.0f, 1.0f, "abcdefghijklmnopq", "0123456789ABCDEFGH", 1, 8);
    store.getLabel(1, text);
    EXPECT_STREQ(text, "abcdefghijklmno");
    store.getName(1, text);
    EXPECT_STREQ(text, "0123456789ABCDE");
    EXPECT_EQ(store.isChanged(1), 1);
    EXPECT_TRUE(store.isBlock(1));
    // Redefining a block as a scalar frees its buffer (the leak checker watches).
    store.define(1, 0.0f, 0.0f, 1.0f, nullptr, nullptr, 0, 4);
    EXPECT_FALSE(store.isBlock(1));

    store.setValue(0, 1.5f);
    EXPECT_EQ(store.getDefaultValue(0), 0.25f) << "the default stays as defined";
}

TEST(ParamStore, ChangedFlagIsAOneSlotMailboxPerEntry)
{
    CTestStore store;
    store.setValue(0, 1.0f);
    EXPECT_EQ(store.getValue(0, false), 1.0f);
    EXPECT_EQ(store.isChanged(0), 1) << "a look leaves the flag";
    EXPECT_EQ(store.getValue(0, true), 1.0f);
    EXPECT_EQ(store.isChanged(0), 0);
    store.setValue(0, 1.0f);
    EXPECT_EQ(store.isChanged(0), 1) << "the same value again is still news";

    store.setNormalized(1, 0.5f);
    store.getNormalized(1, false);
    EXPECT_EQ(store.isChanged(1), 1);
    store.getNormalized(1, true);
    EXPECT_EQ(store.isChanged(1), 0);

    uint8_t bytes[4] = {};
    store.writeBlock(2, bytes, 4, 0);
    EXPECT_EQ(store.isChanged(2), 1);
    store.readBlock(2, bytes, 4, 0);
    EXPECT_EQ(store.isChanged(2), 0);
    EXPECT_EQ(store.isChanged(0), 1) << "entries are independent";

    store.markAllChanged();
    EXPECT_EQ(store.isChanged(1) + store.isChanged(2), 2);
}

TEST(ParamStore, NormalisedMappingIsLinearUnclampedAndVirtual)
{
    CTestStore store;
    store.setNormalized(1, 0.25f);
    EXPECT_EQ(store.getValue(1, false), -0.5f);
    EXPECT_EQ(store.getNormalized(1, false), 0.25f);
    store.setNormalized(1, -1.0f);
    EXPECT_EQ(store.getValue(1, false), -3.0f);
    store.setValue(0, 2.0f);
    EXPECT_EQ(store.getNormalized(0, false), 2.0f);

    // A derived store that changes the plain operations changes all four.
    class CDoublingStore : public CParamStore
    {
      public:
        CDoublingStore() : CParamStore(1) { define(0, 0.0f, 0.0f, 10.0f, "", "", 0, 4); }
        float getValue(int32_t index, bool clear) override
        {
            return CParamStore::getValue(index, clear) + 1.0f;
        }
        void setValue(int32_t index, float value) override
        {
            CParamStore::setValue(index, value * 2.0f);
        }
    } doubling;
    doubling.setNormalized(0, 0.25f);
    EXPECT_FLOAT_EQ(doubling.getNormalized(0, true), 0.6f);
    EXPECT_EQ(doubling.isChanged(0), 0);
}

TEST(ParamStore, IndexesOutsideTheStoreAreIgnored)
{
    CTestStore store;
    uint8_t target[16];
    std::memset(target, 0xAB, sizeof(target));
    const uint8_t source[16] = {1, 2, 3};
    for (int32_t index : {3, 7, kMaxInt, -1, kMinInt})
    {
        EXPECT_EQ(store.getValue(index, true) + store.getNormalized(index, true), 0.0f) << index;
        EXPECT_EQ(store.isChanged(index), 0) << index;
        EXPECT_FALSE(store.isBlock(index)) << index;
        EXPECT_EQ(store.normalize(index, 1.0f) + store.denormalize(index, 1.0f), 0.0f) << index;
        EXPECT_EQ(store.name(index), "") << index;
        store.setValue(index, 5.0f);
        store.setNormalized(index, 5.0f);
        store.readBlock(index, target, 16, 0);
        store.writeBlock(index, source, 16, 0);
        store.define(index, 9.0f, 0.0f, 1.0f, "", "", 1, 4);
    }
    EXPECT_EQ(std::string(target, target + 16), std::string(16, '\xAB'));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(store.isChanged(i) + store.getValue(i, false), 0.0f) << i;

    CParamStore empty(-3);
    empty.markAllChanged();
    empty.setValue(0, 1.0f);
    EXPECT_EQ(empty.getCount() + empty.isChanged(0) + empty.getValue(0, true), 0.0f);
}

TEST(ParamStore, BlockCopiesStayInsideTheBlock)
{
    CTestStore store;
    uint8_t source[16], target[16] = {};
    for (int i = 0; i < 16; ++i)
        source[i] = static_cast<uint8_t>(i + 1);
    store.writeBlock(2, source, 16, 0);
    const uint8_t part[4] = {0xF1, 0xF2, 0xF3, 0xF4};
    store.writeBlock(2, part, 4, 12);
    store.readBlock(2, target, 8, 8);
    const uint8_t expected[8] = {9, 10, 11, 12, 0xF1, 0xF2, 0xF3, 0xF4};
    EXPECT_EQ(std::memcmp(target, expected, 8), 0);

    // A range that leaves the block is refused whole: no copy, no flag change.
    const struct
    {
        int32_t length, offset;
    } outside[] = {{8, 12}, {17, 0},      {1, 16},      {4, -1},
                   {-1, 0}, {1, kMaxInt}, {kMaxInt, 1}, {kMinInt, 0}};
    for (const auto& r : outside)
    {
        uint8_t canary[32];
        std::memset(canary, 0xAB, sizeof(canary));
        store.writeBlock(2, canary, r.length, r.offset);
        EXPECT_EQ(store.isChanged(2), 0) << r.length << " at " << r.offset;
        store.markAllChanged();
        store.readBlock(2, canary, r.length, r.offset);
        EXPECT_EQ(store.isChanged(2), 1) << r.length << " at " << r.offset;
        EXPECT_EQ(std::string(canary, canary + 32), std::string(32, '\xAB'));
        store.readBlock(2, target, 0, 16); // an empty copy at the end is inside
        EXPECT_EQ(store.isChanged(2), 0);
    }
    store.readBlock(2, target, 16, 0);
    EXPECT_EQ(target[0] + target[15], 1 + 0xF4);

    // Scalars have no block: nothing is copied and the flag stays.
    store.getValue(0, true);
    store.writeBlock(0, source, 4, 0);
    EXPECT_EQ(store.isChanged(0) + store.getValue(0, false), 0.0f);
    store.setValue(0, 1.0f);
    store.readBlock(0, target, 4, 0);
    EXPECT_EQ(store.isChanged(0), 1);
    EXPECT_EQ(target[0], 1);
}
