#include "report/RgbImage.h"

#include <cstring>
#include <fstream>
#include <memory>

#include "stb_image.h"
#include "stb_image_resize.h"
#include "stb_image_write.h"

namespace
{
constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 7;

// One row per byte, the leftmost column in bit 4.
struct Glyph
{
    char character;
    uint8_t rows[kGlyphHeight];
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};

const Glyph* glyphFor(char c)
{
    for (const Glyph& glyph : kGlyphs)
        if (glyph.character == c)
            return &glyph;
    return nullptr;
}

void appendToFile(void* context, void* data, int size)
{
    static_cast<std::ofstream*>(context)->write(static_cast<const char*>(data), size);
}
} // namespace

RgbColor mixColors(RgbColor from, RgbColor to, float amount)
{
    auto mix = [amount](uint8_t a, uint8_t b)
    { return static_cast<uint8_t>(a + (static_cast<float>(b) - a) * amount + 0.5f); };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

CRgbImage::CRgbImage(int32_t width, int32_t height, RgbColor fill)
    : w(width > 0 ? width : 0), h(height > 0 ? height : 0), rgb(static_cast<size_t>(w) * h * 3)
{
    fillRect(0, 0, w, h, fill);
}

RgbColor CRgbImage::pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return {0, 0, 0};
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    return {p[0], p[1], p[2]};
}

void CRgbImage::setPixel(int32_t x, int32_t y, RgbColor color)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    p[0] = color.red;
    p[1] = color.green;
    p[2] = color.blue;
}

void CRgbImage::fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, RgbColor color)
{
    blendRect(left, top, right, bottom, color, 1.0f);
}

void CRgbImage::blendRect(int32_t left, int32_t top, int32_t right, int32_t bottom, RgbColor color,
                          float amount)
{
    for (int32_t y = top < 0 ? 0 : top; y < bottom && y < h; ++y)
        for (int32_t x = left < 0 ? 0 : left; x < right && x < w; ++x)
            setPixel(x, y, amount >= 1.0f ? color : mixColors(pixel(x, y), color, amount));
}

void CRgbImage::drawText(int32_t x, int32_t y, const char* text, RgbColor color)
{
    for (; *text; ++text, x += kGlyphWidth + 1)
    {
        const Glyph* glyph = glyphFor(*text);
        if (!glyph)
            continue;
        for (int32_t row = 0; row < kGlyphHeight; ++row)
            for (int32_t column = 0; column < kGlyphWidth; ++column)
                if (glyph->rows[row] & (0x10 >> column))
                    setPixel(x + column, y + row, color);
    }
}

int32_t CRgbImage::textWidth(const char* text)
{
    const int32_t n = static_cast<int32_t>(std::strlen(text));
    return n > 0 ? n * (kGlyphWidth + 1) - 1 : 0;
}

CRgbImage CRgbImage::fromBitmap(const uint8_t* bytes, size_t size, int32_t width, int32_t height)
{
    int sourceWidth = 0;
    int sourceHeight = 0;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> source(
        stbi_load_from_memory(bytes, static_cast<int>(size), &sourceWidth, &sourceHeight, &channels,
                              3),
        stbi_image_free);
    if (!source || width <= 0 || height <= 0)
        return CRgbImage(0, 0, {0, 0, 0});
    CRgbImage scaled(width, height, {0, 0, 0});
    if (!stbir_resize_uint8(source.get(), sourceWidth, sourceHeight, 0, scaled.rgb.data(), width,
                            height, 0, 3))
        return CRgbImage(0, 0, {0, 0, 0});
    return scaled;
}

bool CRgbImage::writePng(const std::filesystem::path& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    if (!stbi_write_png_to_func(appendToFile, &out, w, h, 3, rgb.data(), w * 3))
        return false;
    out.close();
    return !out.fail();
}
