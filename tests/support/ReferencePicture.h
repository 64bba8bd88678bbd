#pragma once

// The reference pictures the Windows tests record (PPM, P6, 255), read
// natively as 32-bit pixels 0x00rrggbb, row by row, for the portable
// panel's tests to hold their pictures to.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct RgbPicture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Empty when the file is no such picture.
inline RgbPicture readReference(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    std::vector<unsigned char> rgb(static_cast<size_t>(width > 0 ? width : 0) *
                                   (height > 0 ? height : 0) * 3);
    if (magic != "P6" || depth != 255 || rgb.empty() ||
        !in.read(reinterpret_cast<char*>(rgb.data()), rgb.size()))
        return {};
    RgbPicture picture{width, height, std::vector<uint32_t>(rgb.size() / 3)};
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return picture;
}

inline ::testing::AssertionResult samePicture(const RgbPicture& shown, const RgbPicture& reference)
{
    if (shown.width != reference.width || shown.height != reference.height)
        return ::testing::AssertionFailure()
               << shown.width << " x " << shown.height << " drawn, " << reference.width << " x "
               << reference.height << " in the reference";
    size_t differences = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i)
        differences += shown.pixels[i] != reference.pixels[i];
    if (differences == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differences << " pixels differ";
}
