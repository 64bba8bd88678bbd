#include "audio/ErrorBox.h"

#include <cstdio>

void showErrorBox(UINT style, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    showErrorBoxV(style, format, args);
    va_end(args);
}

void showErrorBoxV(UINT style, const char* format, va_list args)
{
    char text[256];
    if (std::vsnprintf(text, sizeof text, format, args) < 0)
        text[0] = '\0';
    text[sizeof text - 1] = '\0';
    MessageBoxA(nullptr, text, "ERROR", MB_OK | style);
}
