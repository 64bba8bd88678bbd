// The shipped files, unpacked from their archives: the version Windows shows
// in their properties is the one version of the build, the plug-in answers
// hosts the same one, and no link time makes two builds differ.

#include "Version.h"
#include "plugin/AEffect.h"
#include "tests/dll/DllHost.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct Shipped
{
    const char* path; // in the folder the test unpacked the archives to
    const char* name;
    const char* description;
    const char* product;
    DWORD fileType;
};

const Shipped kShipped[] = {
#ifdef _WIN64
    {"vst2/ZanderwickScope.dll", "ZanderwickScope.dll", "Zanderwick Scope VST 2 plug-in (64-bit)",
     "Zanderwick Scope", VFT_DLL},
#else
    {"demo/ZanderwickDemo.exe", "ZanderwickDemo.exe", "Zanderwick Demo", "Zanderwick Demo",
     VFT_APP},
    {"vst2/ZanderwickScope.dll", "ZanderwickScope.dll", "Zanderwick Scope VST 2 plug-in (32-bit)",
     "Zanderwick Scope", VFT_DLL},
#endif
};

std::string unpacked(const char* path)
{
    return std::string(ZW_UNPACKED "/") + path;
}

// A file's version block, read as Explorer reads it for the Details page.
class VersionBlock
{
  public:
    explicit VersionBlock(const std::string& path)
    {
        DWORD ignored = 0;
        data.resize(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        if (data.empty() || !GetFileVersionInfoA(path.c_str(), 0, data.size(), data.data()))
            data.clear();
    }
    const VS_FIXEDFILEINFO* fixed() const
    {
        return static_cast<const VS_FIXEDFILEINFO*>(value("\\"));
    }
    std::string text(const std::string& name) const
    {
        const char* found = static_cast<const char*>(value("\\StringFileInfo\\040904B0\\" + name));
        return found ? found : "(none)";
    }

  private:
    const void* value(const std::string& key) const
    {
        void* found = nullptr;
        UINT length = 0;
        if (data.empty() || !VerQueryValueA(data.data(), key.c_str(), &found, &length) || !length)
            return nullptr;
        return found;
    }
    std::vector<char> data;
};

// The link time in the file's PE header.
uint32_t linkTime(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    auto dword = [&](size_t at)
    {
        uint32_t value = 0;
        for (int i = 3; at + 3 < bytes.size() && i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    const uint32_t header = dword(0x3c);
    EXPECT_EQ(0x00004550u, dword(header)) << "no PE header in " << path;
    return dword(header + 8);
}

VstIntPtr ZW_VSTCALL host(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}
} // namespace

TEST(ShippedFiles, ShowTheOneVersionInTheirPropertiesAndCarryNoLinkTime)
{
    for (const Shipped& file : kShipped)
    {
        SCOPED_TRACE(file.path);
        const VersionBlock block(unpacked(file.path));
        const VS_FIXEDFILEINFO* fixed = block.fixed();
        ASSERT_NE(nullptr, fixed) << "no version resource";
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(ZW_VERSION_MINOR, ZW_VERSION_MAJOR)),
                  fixed->dwFileVersionMS);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, ZW_VERSION_PATCH)), fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
        EXPECT_EQ(file.fileType, fixed->dwFileType);
        EXPECT_EQ(0u, fixed->dwFileFlags) << "neither a debug nor a pre-release build";

        EXPECT_EQ(ZW_VERSION_TEXT, block.text("FileVersion"));
        EXPECT_EQ(ZW_VERSION_TEXT, block.text("ProductVersion"));
        EXPECT_EQ(file.product, block.text("ProductName"));
        EXPECT_EQ("Zanderwick", block.text("CompanyName"));
        EXPECT_EQ(file.description, block.text("FileDescription"));
        EXPECT_EQ(file.name, block.text("OriginalFilename"));

        EXPECT_EQ(0u, linkTime(unpacked(file.path)));
    }
}

TEST(ShippedFiles, PluginAnswersHostsTheVersionItsFileShows)
{
    HMODULE module = LoadLibraryA(unpacked("vst2/ZanderwickScope.dll").c_str());
    ASSERT_NE(nullptr, module);
    PluginEntryProc entry = entryOf(module, "VSTPluginMain");
    AEffect* e = entry ? entry(&host) : nullptr;
    ASSERT_NE(nullptr, e);
    const VstIntPtr answered = call(e, effGetVendorVersion);
    call(e, effClose);
    FreeLibrary(module);

    // 1.2.3 is 1203.
    const VS_FIXEDFILEINFO* fixed = VersionBlock(unpacked("vst2/ZanderwickScope.dll")).fixed();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS) * 1000 + LOWORD(fixed->dwFileVersionMS) * 100 +
                  HIWORD(fixed->dwFileVersionLS),
              answered);
}
