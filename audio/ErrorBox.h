#pragma once
// The program's "ERROR" message box, for every message it has: no owner, an
// OK button only, the text formatted with the printf rules and cut to 255
// characters. style adds what sets the messages apart: the error icon of the
// WAV reader's German messages, the topmost placement of the device's.
// Returns when the box is closed.

#include <windows.h>

#include <cstdarg>

void showErrorBox(UINT style, const char* format, ...);
void showErrorBoxV(UINT style, const char* format, va_list args);
