// The program as a user starts it from its unpacked archive: it plays the
// default file that came with it and ends with 0 when closed.

#include "tests/e2e/ProgramSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace
{
// Interleaved samples of a 16-bit stereo file with a plain 44-byte header,
// as the program's 16-bit output gives them back (scaled by 32767/32768).
std::vector<int16_t> playedSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) ||
        std::memcmp(bytes.data() + 36, "data", 4) || bytes[22] != 2 || bytes[34] != 16)
        return samples;
    for (size_t at = 44; at + 1 < bytes.size(); at += 2)
    {
        const int16_t s = static_cast<int16_t>(static_cast<unsigned char>(bytes[at]) |
                                               static_cast<unsigned char>(bytes[at + 1]) << 8);
        samples.push_back(static_cast<int16_t>(std::lrint((s / 32768.0f) * 32767.0f)));
    }
    return samples;
}
} // namespace

TEST(ShippedProgram, PlaysTheDefaultFileItCameWithAndEndsWithZero)
{
    const std::string folder = executableFolder() + "unpacked\\demo\\";
    const std::vector<int16_t> file = playedSamples(folder + "Audio\\Zanderwick\\Stereo.wav");
    ASSERT_GT(file.size(), 2u * 44100) << "the archive's default file is not 16-bit stereo";
    // Two hundred frames from half a second in.
    const std::vector<int16_t> stretch(file.begin() + 44100, file.begin() + 44500);
    CCaptureFile capture;
    capture.remove();

    CProgramRunner program("unpacked\\demo\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    const HWND demo = program.findWindow("CDEMOWND", 20000);
    ASSERT_NE(nullptr, demo);
    ASSERT_TRUE(waitUntil([&] { return capture.frames() > 44100; }, 20000)) << "no sound";
    EXPECT_TRUE(capture.holds(stretch)) << "not the default file";

    DWORD code = 1, milliseconds = 0;
    ASSERT_TRUE(closeProgram(program, demo, &code, &milliseconds));
    EXPECT_EQ(0u, code);
}
