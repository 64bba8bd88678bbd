// Tells which font Wine hands out for each face the painting port asks for,
// so that a test run's log shows what the program's text is drawn with.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "gui/PaintPort.h"

int main()
{
    HDC context = CreateCompatibleDC(nullptr);
    std::set<std::string> told;
    for (int id = kFontBold; id <= kFontSymbol; ++id)
    {
        const char* face = portFontFace(static_cast<PortFontId>(id));
        if (!told.insert(face).second)
            continue;
        CPaintPort port(context, nullptr);
        port.selectFont(static_cast<PortFontId>(id), 0);
        char given[LF_FACESIZE] = {};
        GetTextFaceA(context, sizeof given, given);
        std::printf("  font %-12s -> %s\n", face, given);
    }
    DeleteDC(context);
    return 0;
}
