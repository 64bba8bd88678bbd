#include "gui/OffscreenPort.h"

#include "gui/WidgetFrame.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

TEST(OffscreenPort, StartsClearedAndCopiesExactlyTheDestination)
{
    CTestWindow parent(0, 0, 220, 270);
    CWidgetFrame frame({0, 0, 220, 270}, parent.handle, nullptr);
    pumpMessages();

    {
        COffscreenPort black(&frame, 20, 10, kColorBlack);
        EXPECT_EQ(20, black.getWidth());
        EXPECT_EQ(10, black.getHeight());
        int nonBlack = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                nonBlack += GetPixel(black.getContext(), x, y) != RGB(0, 0, 0);
        EXPECT_EQ(0, nonBlack);
    }

    HDC context = GetDC(frame.getWindow());
    {
        CPaintPort port(context, frame.getWindow());
        port.setBrushColor(kColorWhite);
        port.paintRect({0, 0, 220, 270});
        COffscreenPort view(&frame, 131, 129, kColorRed);
        view.plotPixel({130, 128}, kColorGreen);
        view.copyTo(port, {46, 56, 177, 185}, {0, 0});
    }
    ReleaseDC(frame.getWindow(), context);

    const Pixels shown = readWindow(frame.getWindow());
    EXPECT_EQ(RGB(255, 0, 0), shown.at(46, 56));
    EXPECT_EQ(RGB(0, 255, 0), shown.at(176, 184));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(45, 56));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(46, 55));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(177, 184));
    EXPECT_EQ(RGB(255, 255, 255), shown.at(176, 185));
}
