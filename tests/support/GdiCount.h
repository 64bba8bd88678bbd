#pragma once

// Counts, in this process, what the code linked into the test executable
// asks Windows for: GDI objects created (device contexts, bitmaps, pens,
// brushes, fonts) and window device contexts taken. The counting replaces
// the executable's own import entries, so calls made inside Windows itself
// are not counted. Wine answers no GDI counts for a process, so this is how a
// test sees what a piece of drawing code costs.
struct GdiCount
{
    long objectsCreated;
    long contextsTaken;
};

// Installs the counting on first use.
GdiCount gdiCount();
