#include "gui/SkinBitmap.h"

#include "gui/PaintPort.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

TEST(SkinBitmap, LoadsByIdAndLivesUntilTheLastRelease)
{
    CSkinBitmap* picture = new CSkinBitmap(103);
    ASSERT_TRUE(picture->isLoaded());
    EXPECT_EQ(46, picture->getWidth());
    EXPECT_EQ(38, picture->getHeight());
    EXPECT_EQ(103, picture->getResourceId());

    // Only the low 16 bits name the resource.
    CSkinBitmap* wide = new CSkinBitmap(0x10000 + 101);
    EXPECT_EQ(220, wide->getWidth());
    wide->release();

    const HBITMAP handle = picture->getHandle();
    picture->addRef();
    picture->addRef();
    picture->release();
    picture->release();
    EXPECT_EQ(1, picture->getReferenceCount());
    EXPECT_NE(0u, GetObjectType(handle));
    picture->release();
    EXPECT_EQ(0u, GetObjectType(handle));
}

TEST(SkinBitmap, PaintsAnyPartUnscaledAndNothingWhenMissing)
{
    CSkinBitmap* picture = new CSkinBitmap(103);
    const Pixels whole = readPicture(*picture);
    ASSERT_GT(whole.countDifferences(whole, {0, 0, 46, 19}, 0, 19), 0)
        << "the two states of the MONO picture look alike";

    CTestWindow window(0, 0, 60, 30);
    HDC context = GetDC(window.handle);
    {
        CPaintPort port(context, window.handle);
        picture->paintTo(port, {0, 0, 46, 19}, {0, 19});
        CSkinBitmap* missing = new CSkinBitmap(999);
        EXPECT_FALSE(missing->isLoaded());
        EXPECT_EQ(0, missing->getWidth());
        EXPECT_EQ(0, missing->getHeight());
        missing->addRef();
        missing->paintTo(port, {0, 19, 46, 30}, {0, 0});
        missing->release();
        missing->release();
    }
    ReleaseDC(window.handle, context);
    picture->release();

    const Pixels shown = readWindow(window.handle);
    EXPECT_EQ(0, shown.countDifferences(whole, {0, 0, 46, 19}, 0, 19));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(46, 0));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(10, 20)) << "a missing picture draws nothing";
}
