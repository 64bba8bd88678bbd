// The files of the release archives, unpacked: each shows the one version in
// its properties, as Windows reads them; the program plays the default file
// it came with and ends with 0 when closed.

#include "Version.h"
#ifndef _WIN64
#include "tests/e2e/ProgramSession.h"
#include "tests/support/RegistryValue.h"
#endif

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
std::string shown(std::vector<char>& block, const std::string& key)
{
    void* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904B0\\" + key;
    return VerQueryValueA(block.data(), path.c_str(), &value, &length) && length
               ? static_cast<const char*>(value)
               : "(none)";
}
} // namespace

TEST(ShippedFiles, ShowTheOneVersionInTheirProperties)
{
    const struct
    {
        const char* path;
        std::string product, description;
    } files[] = {
#ifdef _WIN64
        {"vst2/ZanderwickScope.dll", "Zanderwick Scope", "Zanderwick Scope VST 2 plug-in (64-bit)"},
#else
        {"vst2/ZanderwickScope.dll", "Zanderwick Scope", "Zanderwick Scope VST 2 plug-in (32-bit)"},
        {"demo/ZanderwickDemo.exe", "Zanderwick Demo", "Zanderwick Demo"},
#endif
    };
    for (const auto& file : files)
    {
        SCOPED_TRACE(file.path);
        const std::string path = std::string(ZW_UNPACKED "/") + file.path;
        DWORD ignored = 0;
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored) + 1);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const DWORD high = MAKELONG(ZW_VERSION_MINOR, ZW_VERSION_MAJOR),
                    low = ZW_VERSION_PATCH << 16;
        EXPECT_EQ(std::vector<DWORD>({high, low, high, low}),
                  std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                      fixed->dwProductVersionMS, fixed->dwProductVersionLS}));
        EXPECT_EQ("|" ZW_VERSION_TEXT "|" ZW_VERSION_TEXT "|Zanderwick|" + file.product + "|" +
                      file.description,
                  "|" + shown(block, "FileVersion") + "|" + shown(block, "ProductVersion") + "|" +
                      shown(block, "CompanyName") + "|" + shown(block, "ProductName") + "|" +
                      shown(block, "FileDescription"));
    }
}

#ifndef _WIN64
TEST(ShippedProgram, PlaysTheDefaultFileItCameWithAndEndsWithZero)
{
    // The file begins quietly, where the program gives its 16-bit samples
    // back exactly: its first hundred frames follow its 44-byte header.
    const std::string folder = executableFolder() + "unpacked\\demo\\";
    std::vector<int16_t> start(200);
    std::ifstream file(folder + "Audio\\Zanderwick\\Stereo.wav", std::ios::binary);
    ASSERT_TRUE(file.seekg(44).read(reinterpret_cast<char*>(start.data()), 400));
    CCaptureFile capture;
    capture.remove();

    const CDefaultUserSettings settings;
    CProgramRunner program("unpacked\\demo\\ZanderwickDemo.exe", folder);
    ASSERT_TRUE(program.start());
    const HWND demo = program.findWindow("CDEMOWND", 60000);
    ASSERT_NE(nullptr, demo);
    // A bound for a machine that stalls: the wait ends as soon as the program does.
    DWORD code = 1, milliseconds = 0;
    waitUntil([&] { return capture.frames() > 44100 || program.waitForExit(0, &code); }, 120000);
    ASSERT_GT(capture.frames(), 44100u) << "no sound";
    EXPECT_TRUE(capture.holds(start)) << "not the default file";
    ASSERT_TRUE(closeProgram(program, demo, &code, &milliseconds));
    EXPECT_EQ(0u, code);
}
#endif
