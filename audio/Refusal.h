#pragma once
// Why a command was refused, as the user is to be told: the text and the
// style of the program's "ERROR" box (the error icon of the WAV reader's
// German messages, the topmost placement of the device's). The audio code
// only says it; the window that gave the command shows it once the command
// has returned. An empty text means the refusal goes unsaid.

#include <windows.h>

#include <cstdarg>
#include <cstdio>

struct Refusal
{
    static constexpr int kTextBytes = 256;

    UINT style = 0;
    char text[kTextBytes] = "";

    bool said() const { return text[0] != '\0'; }
    // Formats the text with the printf rules, cut to 255 characters.
    void say(UINT boxStyle, const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        if (std::vsnprintf(text, sizeof text, format, args) < 0)
            text[0] = '\0';
        va_end(args);
        style = boxStyle;
    }
};
