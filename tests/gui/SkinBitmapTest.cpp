#include "gui/SkinBitmap.h"

#include "gui/PaintPort.h"
#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

TEST(SkinBitmap, LoadsByIdPaintsAnyPartAndLivesUntilTheLastRelease)
{
    CSkinBitmap* picture = new CSkinBitmap(0x10000 + 103); // only the low 16 bits count
    EXPECT_EQ(46, picture->getWidth());
    EXPECT_EQ(38, picture->getHeight());
    CSkinBitmap* missing = new CSkinBitmap(999);
    EXPECT_EQ(0, missing->getWidth());
    EXPECT_EQ(0, missing->getHeight());

    CTestWindow window(0, 0, 60, 30);
    HDC context = GetDC(window.handle);
    {
        CPaintPort port(context, window.handle);
        picture->paintTo(port, {0, 0, 46, 19}, {0, 19});
        missing->paintTo(port, {0, 19, 46, 30}, {0, 0});
    }
    ReleaseDC(window.handle, context);
    const Pixels whole = readPicture(*picture);
    const Pixels shown = readWindow(window.handle);
    ASSERT_GT(whole.countDifferences(whole, {0, 0, 46, 19}, 0, 19), 0);
    EXPECT_EQ(0, shown.countDifferences(whole, {0, 0, 46, 19}, 0, 19)) << "the lower half";
    EXPECT_EQ(RGB(255, 255, 255), shown.at(46, 0));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(10, 20)) << "a missing picture draws nothing";

    missing->addRef();
    missing->release();
    missing->release();
    const HBITMAP handle = picture->getHandle();
    picture->addRef();
    picture->addRef();
    picture->release();
    picture->release();
    EXPECT_NE(0u, GetObjectType(handle));
    picture->release();
    EXPECT_EQ(0u, GetObjectType(handle));
}
