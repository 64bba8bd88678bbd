// The portable panel: zwpanel draws what the Windows editor shows for the
// same file, pixel for pixel (the editor's reference pictures, recorded by
// tests/editor/PanelPicturesTest.cpp), and the renderer draws again only
// what changed.

#include "render/PanelArt.h"
#include "render/PanelGeometry.h"
#include "tests/support/ReferencePicture.h"

#include "stb_image.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

std::vector<unsigned char> bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RgbPicture readPicture(const fs::path& path)
{
    const std::vector<unsigned char> bytes = bytesOf(path);
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = bytes.empty()
                       ? nullptr
                       : stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                               &height, &channels, 3);
    RgbPicture picture;
    if (rgb)
    {
        picture = {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
        for (size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
        stbi_image_free(rgb);
    }
    return picture;
}

RgbPicture reference(const std::string& name)
{
    return readReference(std::string(ZW_REFERENCES) + "/" + name + ".ppm");
}

// Runs zwpanel with the arguments; its exit code.
int zwpanel(const std::string& arguments)
{
    const int status =
        std::system((std::string(ZW_ZWPANEL) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ZwPanel : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fs::remove_all(work);
        fs::create_directories(work);
    }
    void TearDown() override { fs::remove_all(work); }
    const fs::path work =
        fs::path(ZW_WORK) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
};
} // namespace

TEST_F(ZwPanel, DrawsAPlayedFileAsTheEditorShowsItAtEverySize)
{
    const std::string sound = ZW_PANEL_SOUND;
    for (int32_t percent : kPanelSizes)
        for (bool mono : {false, true})
        {
            const std::string name =
                std::string("panel_") + (mono ? "mono_" : "") + std::to_string(percent);
            const fs::path out = work / (name + ".png");
            ASSERT_EQ(0, zwpanel("--scale " + std::to_string(percent) + (mono ? " --mono " : " ") +
                                 sound + " " + out.string()));
            EXPECT_TRUE(samePicture(readPicture(out), reference(name))) << name;
        }
    for (int32_t percent : kPanelSizes)
    {
        const std::string name = "panel_bands_" + std::to_string(percent);
        const fs::path out = work / (name + ".png");
        ASSERT_EQ(0, zwpanel("--bands --scale " + std::to_string(percent) + " " + sound + " " +
                             out.string()));
        EXPECT_TRUE(samePicture(readPicture(out), reference(name))) << name;
    }
    // The file lasts 0.557 s: any time beyond shows its end, and the same
    // bytes every time.
    ASSERT_EQ(0, zwpanel("--seconds 3.5 " + sound + " " + (work / "long.png").string()));
    EXPECT_EQ(bytesOf(work / "panel_100.png"), bytesOf(work / "long.png"));
}

TEST_F(ZwPanel, ShowsTheBlockFinishedAtTheGivenTimeAndRefusesWhatItCannotDraw)
{
    // 0.2 s hold 17 whole blocks; the 18th, unfinished, is not shown yet.
    const std::string sound = ZW_PANEL_SOUND;
    const fs::path early = work / "early.png", block17 = work / "block17.png";
    ASSERT_EQ(0, zwpanel("--seconds 0.2 " + sound + " " + early.string()));
    ASSERT_EQ(0, zwpanel("--seconds " + std::to_string(17 * 512 / 44100.0 + 1e-6) + " " + sound +
                         " " + block17.string()));
    EXPECT_EQ(bytesOf(early), bytesOf(block17));
    EXPECT_FALSE(samePicture(readPicture(early), reference("panel_100")));

    const std::string out = (work / "refused.png").string();
    const struct
    {
        std::string arguments;
        int code;
    } refused[] = {{"--scale 120 " + sound + " " + out, 2},
                   {"--scale 150.5 " + sound + " " + out, 2},
                   {"--seconds -1 " + sound + " " + out, 2},
                   {"--seconds nan " + sound + " " + out, 2},
                   {"--loud " + sound + " " + out, 2},
                   {sound, 2},
                   {"--scale", 2},
                   {(work / "missing.wav").string() + " " + out, 1},
                   {std::string(ZW_REFERENCES) + "/panel_100.ppm " + out, 1},
                   {sound + " " + (work / "no" / "folder.png").string(), 1}};
    for (const auto& run : refused)
        EXPECT_EQ(run.code, zwpanel(run.arguments)) << run.arguments;
    EXPECT_FALSE(fs::exists(out));
}

TEST(PanelRenderer, DrawsAgainOnlyThePartsWhoseMarksChanged)
{
    PanelArt art;
    ASSERT_TRUE(loadPanelArt(150, art));
    CPanelRenderer panel(art);
    auto covers = [](const PortRect& changed, const PortRect& part)
    {
        return changed.left <= part.left && changed.top <= part.top &&
               changed.right >= part.right && changed.bottom >= part.bottom;
    };
    auto drawsNothing = [&]
    {
        const PortRect r = panel.compose();
        return r.left >= r.right;
    };
    const PortRect whole = panel.compose();
    EXPECT_EQ(std::vector<int32_t>({0, 0, 330, 405}),
              std::vector<int32_t>({whole.left, whole.top, whole.right, whole.bottom}));
    EXPECT_TRUE(drawsNothing()) << "nothing new, nothing drawn";

    // Each part on its own: the changed rectangle is that part's.
    const PortRect scope = zoomed(kScopeArea, 150), pointer = zoomed(kPointerArea, 150),
                   bar = zoomed(kRangeArea, 150);
    std::vector<float> side(CPanelRenderer::kPointCount, 0.5f), mid(side.size(), -0.25f);
    panel.setPoints(side.data(), mid.data());
    PortRect changed = panel.compose();
    EXPECT_TRUE(covers(scope, changed) && covers(changed, scope));
    panel.setPointer(0.0f);
    EXPECT_TRUE(drawsNothing()) << "the pointer where it is";
    panel.setPointer(-0.6f);
    changed = panel.compose();
    EXPECT_TRUE(covers(pointer, changed) && covers(changed, pointer));
    CCorrelationRange range;
    range.take(0.5f);
    panel.setRange(range);
    EXPECT_TRUE(drawsNothing()) << "a range of one value shows nothing";
    range.take(-0.5f);
    panel.setRange(range);
    changed = panel.compose();
    EXPECT_TRUE(covers(bar, changed) && covers(changed, bar));
    panel.setMono(true);
    changed = panel.compose();
    EXPECT_TRUE(covers(panel.getMonoArea(), changed) && covers(changed, panel.getMonoArea()));
    EXPECT_FALSE(loadPanelArt(120, art));

    // With the bands, the strip below: drawn again only when a mark moves.
    ASSERT_TRUE(loadPanelArt(100, art));
    CPanelRenderer withBands(art, true);
    const PortRect all = withBands.compose();
    EXPECT_EQ(318, all.bottom);
    const float bands[] = {-0.9f, 0.1f, 0.95f}, nearly[] = {-0.9001f, 0.1f, 0.95f};
    withBands.setBands(bands);
    changed = withBands.compose();
    EXPECT_TRUE(covers(kBandsPanelArea, changed) && covers(changed, kBandsPanelArea));
    withBands.setBands(nearly);
    const PortRect none = withBands.compose();
    EXPECT_GE(none.left, none.right) << "the same pixels";
}
