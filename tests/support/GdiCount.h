#pragma once

// Counts what the code linked into the test executable asks Windows for: GDI
// objects created and window device contexts taken. Wine answers no GDI
// counts for a process, so the executable's own import entries are replaced
// by counting ones; calls made inside Windows itself are not counted.
struct GdiCount
{
    long objectsCreated;
    long contextsTaken;
};

// Installs the counting on first use.
GdiCount gdiCount();
