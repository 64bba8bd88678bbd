// The WAV file reader on real files, and what it says of those it refuses.

#include "audio/WaveFile.h"
#include "tests/support/WaveBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
// A file of this test process's own in the temporary folder; its path.
std::string tempFile(const std::string& name, const Bytes& bytes)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    const std::string path = folder + ("zw_" + std::to_string(GetCurrentProcessId()) + "_" + name);
    EXPECT_TRUE(writeFile(path, bytes)) << path;
    return path;
}
} // namespace

TEST(WaveFile, ReadsAPcmFileFromAnyFrame)
{
    const Bytes file = riff("WAVE", concat({formatChunk(1, 2, 44100, 16), chunk("LIST", {1, 2, 3}),
                                            chunk("data", ramp16(2000))}));
    CWaveFile wave(tempFile("stereo.wav", file).c_str(), 1584000);
    ASSERT_TRUE(wave.isOpen());
    EXPECT_EQ(2, wave.getChannels());
    EXPECT_EQ(16, wave.getBitsPerSample());
    EXPECT_EQ(44100.0, wave.getSampleRate());
    EXPECT_EQ(1000, wave.getLength());

    // 3840 frames asked for, 1000 left; then beyond the end.
    std::vector<float> left(3840, -9.0f), right(3840, -9.0f);
    float* channels[] = {left.data(), right.data()};
    EXPECT_EQ(1000, wave.seekAndRead(0, channels, 0, 3840));
    EXPECT_EQ(2000 * kScale16Bit, right[999]);
    EXPECT_EQ(0.0f, left[1000]);
    EXPECT_EQ(0.0f, right[3839]);
    ASSERT_EQ(1, wave.seek(998));
    EXPECT_EQ(2, wave.read(channels, 5, 9));
    EXPECT_EQ(1997 * kScale16Bit, left[5]);
    EXPECT_EQ(0, wave.seekAndRead(1500, channels, 0, 64));
    EXPECT_EQ(0.0f, left[5]);
    EXPECT_EQ(1500, wave.getLength());
}

TEST(WaveFile, SaysWhyAFileIsRefused)
{
    const Bytes pcm = formatChunk(1, 2, 44100, 16);
    const Bytes data = chunk("data", {0, 0, 0, 0});
    const std::pair<Bytes, const char*> cases[] = {
        {riff("AVI ", concat({pcm, data})), "%s ist keine WAVE-Datei"},
        {riff("WAVE", chunk("fmt ", Bytes(pcm.begin() + 8, pcm.end()), 18)),
         "Fehler beim Lesen der Datei %s"},
        {riff("WAVE", concat({formatChunk(2, 2, 44100, 16), data})),
         "%s: Unbekanntes Daten-Format (2)"},
        {riff("WAVE", concat({extensibleFormatChunk(0xDEADBEEF, 2, 44100, 16, 16), data})),
         "%s: Unbekanntes Daten-Format (3735928559)"},
        {riff("WAVE", concat({formatChunk(1, 0, 44100, 16), data})),
         "%s: Unbekanntes Daten-Format (1)"},
    };
    int number = 0;
    for (const auto& c : cases)
    {
        const std::string path = tempFile("refused" + std::to_string(number++) + ".wav", c.first);
        CWaveFile wave(path.c_str(), 1584000);
        EXPECT_FALSE(wave.isOpen());
        EXPECT_EQ(0, wave.getChannels());
        float sample = -9.0f;
        float* channels[] = {&sample, &sample};
        EXPECT_EQ(0, wave.seekAndRead(0, channels, 0, 1));
        std::string text = c.second;
        EXPECT_EQ(text.replace(text.find("%s"), 2, path), wave.getRefusal().text);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), wave.getRefusal().style);
    }

    // Nothing to tell about a missing file or a path too long to keep.
    EXPECT_FALSE(
        CWaveFile(tempFile("missing.wav", {}).append("x").c_str(), 16).getRefusal().said());
    EXPECT_FALSE(CWaveFile(std::string(600, 'x').c_str(), 16).getRefusal().said());
}

TEST(WaveFile, RefusalsAreCutTo255Characters)
{
    const std::string path = "C:\\" + std::string(300, 'p') + ".wav";
    Refusal refusal;
    refusal.say(MB_ICONERROR, "%s: Unbekanntes Daten-Format (%d)", path.c_str(), 65534);
    EXPECT_EQ(path.substr(0, 255), refusal.text);
    refusal.say(MB_ICONERROR, "%s: Unbekanntes Daten-Format (%d)", "C:\\a.wav", 65534);
    EXPECT_EQ("C:\\a.wav: Unbekanntes Daten-Format (65534)", std::string(refusal.text));
}
