#pragma once

#include <cstdint>

// The toolkit's plain records: colours, rectangles and points as the widget
// code sees them, independent of the Windows types they are turned into.

// Red, green, blue and a spare byte that is carried along but never used.
struct PortColor
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t spare;
};

// Right and bottom are exclusive for painting and inclusive for hit tests.
struct PortRect
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct PortPoint
{
    int32_t x;
    int32_t y;
};

// A colour as a 32-bit picture holds it, 0x00rrggbb: the off-screen port's
// pixels, and the portable renderer's.
constexpr uint32_t pixelOf(PortColor color)
{
    return static_cast<uint32_t>(color.red) << 16 | static_cast<uint32_t>(color.green) << 8 |
           color.blue;
}

// The toolkit's colours.
constexpr PortColor kColorWhite = {255, 255, 255, 0};
constexpr PortColor kColorBlack = {0, 0, 0, 0};
constexpr PortColor kColorWhitePen = {255, 255, 255, 0};
constexpr PortColor kColorRed = {255, 0, 0, 0};
constexpr PortColor kColorGreen = {0, 255, 0, 0};
constexpr PortColor kColorBlue = {0, 0, 255, 0};
constexpr PortColor kColorYellow = {255, 255, 0, 0};
constexpr PortColor kColorMagenta = {255, 0, 255, 0};
constexpr PortColor kColorCyan = {0, 255, 255, 0};

// The editor's colours.
constexpr PortColor kColorCorrNegative = {255, 0, 0, 0};
constexpr PortColor kColorCorrNeutral = {255, 255, 0, 0};
constexpr PortColor kColorCorrPositive = {0, 255, 0, 0};
constexpr PortColor kColorScopeDots = {255, 255, 0, 0};
constexpr PortColor kColorEditorBlack = {0, 0, 0, 0};
constexpr PortColor kColorEditorWhite = {255, 255, 255, 0};

// The caption lines written over the credits picture.
constexpr PortColor kColorCaptionText = {239, 239, 231, 0};

// Fonts a port can select; any other id falls back to kFontBold.
enum PortFontId : int32_t
{
    kFontBold = 0,
    kFontArial16 = 1,
    kFontArial14 = 2,
    kFontArial12 = 3,
    kFontArial11 = 4,
    kFontTiny = 5,
    kFontSymbol = 6,
};

// Mouse buttons and modifier keys as reported by CPaintPort::readButtons.
enum PortButtons : int32_t
{
    kButtonLeft = 1,
    kButtonMiddle = 2,
    kButtonRight = 4,
    kButtonShift = 8,
    kButtonControl = 16,
    kButtonAlt = 32,
};
