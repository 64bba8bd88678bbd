// The WAV file reader on real files, its messages answered by the watcher.

#include "audio/WaveFile.h"
#include "tests/audio/WaveBuilder.h"
#include "tests/support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{
std::string tempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "zw_wavefile_" + std::to_string(GetCurrentProcessId()) + "_" +
           name;
}

std::string writeFile(const char* name, const Bytes& bytes)
{
    const std::string path = tempPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

struct Channels
{
    explicit Channels(size_t n) : left(n, -9.0f), right(n, -9.0f) {}
    std::vector<float> left, right;
    float* pointers[2] = {left.data(), right.data()};
};

Bytes ramp(int samples)
{
    Bytes data;
    for (int i = 0; i < samples; ++i)
        putLe(data, static_cast<uint32_t>(i + 1), 2);
    return data;
}
} // namespace

TEST(WaveFile, ReadsAPcmFileFromAnyFrame)
{
    CDialogWatcher watcher;
    const Bytes file =
        riff("WAVE", concat({chunk("fmt ", formatContents(1, 2, 44100, 16)),
                             chunk("LIST", {'I', 'N', 'F', 'O', 0}), chunk("data", ramp(2000))}));
    CWaveFile wave(writeFile("stereo.wav", file).c_str(), 1584000);
    ASSERT_TRUE(wave.isOpen());
    EXPECT_EQ(2, wave.getChannels());
    EXPECT_EQ(16, wave.getBitsPerSample());
    EXPECT_EQ(44100.0, wave.getSampleRate());
    EXPECT_EQ(1000, wave.getLength());

    // 3840 frames asked for, 1000 left.
    Channels out(3840);
    EXPECT_EQ(1000, wave.seekAndRead(0, out.pointers, 0, 3840));
    EXPECT_EQ(1 * kScale16Bit, out.left[0]);
    EXPECT_EQ(2000 * kScale16Bit, out.right[999]);
    EXPECT_EQ(0.0f, out.left[1000]);
    EXPECT_EQ(0.0f, out.right[3839]);
    EXPECT_EQ(1000, wave.getLength());

    // Seek and read separately, into later slots.
    ASSERT_EQ(1, wave.seek(998));
    EXPECT_EQ(2, wave.read(out.pointers, 5, 9));
    EXPECT_EQ(1997 * kScale16Bit, out.left[5]);
    EXPECT_EQ(0.0f, out.left[7]);

    // Beyond the end: zeros, nothing counted, the length grows.
    Channels beyond(64);
    EXPECT_EQ(0, wave.seekAndRead(1500, beyond.pointers, 0, 64));
    EXPECT_EQ(0.0f, beyond.left[0]);
    EXPECT_EQ(0.0f, beyond.right[63]);
    EXPECT_EQ(1500, wave.getLength());
    EXPECT_EQ(0u, watcher.count());
}

TEST(WaveFile, ConvertsEachSampleWidth)
{
    CWaveFile wide(
        writeFile("24.wav", pcmWave(1, 48000, 24, {0, 0, 0x80, 0xFF, 0xFF, 0x7F})).c_str(), 16);
    CWaveFile narrow(writeFile("8.wav", pcmWave(1, 44100, 8, {128, 255})).c_str(), 16);
    CWaveFile twelve(writeFile("12.wav", pcmWave(1, 44100, 12, {0x30, 0x12})).c_str(), 16);
    Channels out(2);
    ASSERT_EQ(2, wide.seekAndRead(0, out.pointers, 0, 2));
    EXPECT_EQ(-8388608.0f / 8388607.0f, out.left[0]);
    EXPECT_EQ(1.0f, out.left[1]);
    Channels three(3);
    ASSERT_EQ(2, narrow.seekAndRead(0, three.pointers, 0, 3));
    EXPECT_EQ(0.0f, three.left[0]);
    EXPECT_EQ(1.0f, three.left[1]);
    EXPECT_EQ(0.0f, three.left[2]); // past the end: silence, not -1.0
    ASSERT_EQ(1, twelve.seekAndRead(0, out.pointers, 0, 1));
    EXPECT_EQ(0x1230 * kScale16Bit, out.left[0]);
}

TEST(WaveFile, TellsTheUserWhyAFileIsRefused)
{
    const Bytes pcm = formatContents(1, 2, 44100, 16);
    const Bytes data = chunk("data", {0, 0, 0, 0});
    struct Case
    {
        const char* name;
        Bytes file;
        const char* message; // %s stands for the path
    } cases[] = {
        {"avi.wav", riff("AVI ", concat({chunk("fmt ", pcm), data})), "%s ist keine WAVE-Datei"},
        {"cut.wav", riff("WAVE", chunk("fmt ", pcm, 18)), "Fehler beim Lesen der Datei %s"},
        {"datafirst.wav", riff("WAVE", concat({data, chunk("fmt ", pcm)})),
         "Fehler beim Lesen der Datei %s"},
        {"float.wav", riff("WAVE", concat({chunk("fmt ", formatContents(3, 2, 44100, 32)), data})),
         "%s: Unbekanntes Daten-Format (3)"},
        {"nochannels.wav",
         riff("WAVE", concat({chunk("fmt ", formatContents(1, 0, 44100, 16)), data})),
         "%s: Unbekanntes Daten-Format (1)"},
    };
    CDialogWatcher watcher;
    size_t expected = 0;
    for (const Case& c : cases)
    {
        const std::string path = writeFile(c.name, c.file);
        CWaveFile wave(path.c_str(), 1584000);
        EXPECT_FALSE(wave.isOpen()) << c.name;
        EXPECT_EQ(0, wave.getChannels()) << c.name;
        Channels out(4);
        EXPECT_EQ(0, wave.seekAndRead(0, out.pointers, 0, 4)) << c.name;
        ASSERT_EQ(++expected, watcher.count()) << c.name;
        const SeenDialog seen = watcher.seen().back();
        std::string text = c.message;
        text.replace(text.find("%s"), 2, path);
        EXPECT_EQ(text, seen.text);
        EXPECT_EQ("ERROR", seen.caption);
        EXPECT_TRUE(seen.errorIcon) << c.name;
    }

    // Nothing to tell about a missing file or a path too long to keep.
    CWaveFile missing(tempPath("missing.wav").c_str(), 16);
    EXPECT_FALSE(missing.isOpen());
    const std::string longPath = tempPath(std::string(600, 'x').c_str());
    CWaveFile tooLong(longPath.c_str(), 16);
    EXPECT_FALSE(tooLong.isOpen());
    EXPECT_EQ(expected, watcher.count());
}

TEST(WaveFile, ShowErrorCutsLongTextsTo255Characters)
{
    CDialogWatcher watcher;
    const std::string path = "C:\\" + std::string(300, 'p') + ".wav";
    showError("%s: Unbekanntes Daten-Format (%d)", path.c_str(), 65534);
    showError("%s: Unbekanntes Daten-Format (%d)", "C:\\a.wav", 65534);
    const std::vector<SeenDialog> seen = watcher.seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(path.substr(0, 255), seen[0].text);
    EXPECT_EQ("C:\\a.wav: Unbekanntes Daten-Format (65534)", seen[1].text);
}
