#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

struct RgbColor
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// A 24-bit picture for the report, written as PNG. Drawing outside the
// picture leaves no mark.
class CRgbImage
{
  public:
    CRgbImage(int32_t width, int32_t height, RgbColor fill);

    int32_t width() const { return w; }
    int32_t height() const { return h; }
    RgbColor pixel(int32_t x, int32_t y) const;
    void setPixel(int32_t x, int32_t y, RgbColor color);
    // Right and bottom are exclusive.
    void fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, RgbColor color);
    // Mixes color into the pixels: 0 keeps them, 1 replaces them.
    void blendRect(int32_t left, int32_t top, int32_t right, int32_t bottom, RgbColor color,
                   float amount);
    // The axis labels: digits, ':', '.', '+' and '-' in a 5 x 7 figure font
    // with one column between characters; y is the top row.
    void drawText(int32_t x, int32_t y, const char* text, RgbColor color);
    static int32_t textWidth(const char* text);

    // A BMP (as the program's artwork is stored) scaled to width x height;
    // an empty 0 x 0 picture when the bytes are no picture.
    static CRgbImage fromBitmap(const uint8_t* bytes, size_t size, int32_t width, int32_t height);

    // Returns false when the file could not be written.
    bool writePng(const std::filesystem::path& path) const;

  private:
    int32_t w;
    int32_t h;
    std::vector<uint8_t> rgb;
};

RgbColor mixColors(RgbColor from, RgbColor to, float amount);
