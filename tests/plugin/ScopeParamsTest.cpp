#include "plugin/ScopeParams.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(ScopeParams, StartsWithItsEntriesChangedAndZeroedPoints)
{
    auto store = std::make_unique<CScopeParams>();
    EXPECT_EQ(store->getCount(), 9);
    const char* names[] = {"Mono", "Corr", "", "", "Bands", "Low", "Mid", "High", ""};
    for (int32_t i = 0; i < store->getCount(); ++i)
    {
        char name[16], label[16];
        store->getName(i, name);
        store->getLabel(i, label);
        EXPECT_STREQ(name, names[i]);
        EXPECT_STREQ(label, "");
        // The editor's own request is no news for anyone until it makes it.
        EXPECT_EQ(store->isChanged(i), i != CScopeParams::kBandsShown) << i;
        const bool block = i == CScopeParams::kSidePoints || i == CScopeParams::kMidPoints ||
                           i == CScopeParams::kRecentValues;
        EXPECT_EQ(store->isBlock(i), block) << i;
    }
    EXPECT_EQ(store->getValue(CScopeParams::kMono, false), 0.0f);
    // Corr runs from -1 to +1: its plain 0 sits in the middle.
    EXPECT_EQ(store->getNormalized(CScopeParams::kCorrelation, false), 0.5f);

    for (int32_t block : {CScopeParams::kSidePoints, CScopeParams::kMidPoints})
    {
        std::vector<uint8_t> bytes(2048, 0xAB);
        store->readBlock(block, bytes.data(), 2048, 0);
        EXPECT_EQ(bytes, std::vector<uint8_t>(2048, 0)) << block;
        EXPECT_EQ(store->isChanged(block), 0) << block;
    }
    EXPECT_EQ(store->isChanged(CScopeParams::kMono), 1) << "a block read clears only its own flag";
}

TEST(ScopeParams, CarriesWholePointBlocksButNoBlockIntoMono)
{
    CScopeParams store;
    std::vector<float> side(512), mid(512), out(512);
    for (int i = 0; i < 512; ++i)
        side[i] = -(mid[i] = static_cast<float>(i) / 512.0f);
    store.writeBlock(CScopeParams::kSidePoints, side.data(), 2048, 0);
    store.writeBlock(CScopeParams::kMidPoints, mid.data(), 2048, 0);
    store.readBlock(CScopeParams::kSidePoints, out.data(), 2048, 0);
    EXPECT_EQ(out, side);
    store.readBlock(CScopeParams::kMidPoints, out.data(), 2048, 0);
    EXPECT_EQ(out, mid);

    store.getValue(CScopeParams::kMono, true);
    const float on = 1.0f;
    store.writeBlock(CScopeParams::kMono, &on, 4, 0);
    EXPECT_EQ(store.isChanged(CScopeParams::kMono), 0);
    EXPECT_EQ(store.getValue(CScopeParams::kMono, false), 0.0f);
}
