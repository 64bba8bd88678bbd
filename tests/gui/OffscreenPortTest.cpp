#include "gui/OffscreenPort.h"

#include "gui/WidgetFrame.h"
#include "tests/support/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(OffscreenPort, StartsClearedAndCopiesExactlyTheDestination)
{
    CTestWindow parent(0, 0, 220, 270);
    CWidgetFrame frame({0, 0, 220, 270}, parent.handle, nullptr);
    int nonBlack = 0;
    {
        COffscreenPort black(&frame, 20, 10, kColorBlack);
        for (int i = 0; i < 200; ++i)
            nonBlack += GetPixel(black.getContext(), i % 20, i / 20) != RGB(0, 0, 0);
    }
    EXPECT_EQ(0, nonBlack);

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
    EXPECT_EQ(131 * 129 - 1, std::count(shown.values.begin(), shown.values.end(), RGB(255, 0, 0)));
}
