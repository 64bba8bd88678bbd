#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "audio/MemoryFile.h"
#include "audio/WaveReader.h"
#include "plugin/ScopeParams.h"
#include "report/PassageFinder.h"
#include "report/ReportRun.h"
#include "stb_image.h"
#include "tests/plugin/TestScopeEditor.h"
#include "tests/support/TestSignals.h"
#include "tests/support/WaveBuilder.h"

namespace fs = std::filesystem;

namespace
{
constexpr uint32_t kRate = 44100;
constexpr double kBlockSeconds = 512.0 / kRate;

// One frame's samples from its index; a mono file uses the left one.
using FrameMaker = std::function<std::pair<int16_t, int16_t>(int64_t)>;

// Stereo noise whose sides share most of their sound (correlation about
// +0.7 on the meter), turned to anti-phase between two times.
FrameMaker correlatedStereo(double antiFrom = 0.0, double antiTo = 0.0)
{
    return [=](int64_t i)
    {
        // A hash of the frame's index (murmur's finaliser), so that the noise
        // is white: a linear sequence of seeds would give its two parts
        // different spectra, and the high band a correlation of its own.
        uint32_t s = static_cast<uint32_t>(i) * 2654435761u + 12345u;
        s = (s ^ (s >> 16)) * 0x85EBCA6Bu;
        s = (s ^ (s >> 13)) * 0xC2B2AE35u;
        s ^= s >> 16;
        auto next = [&s]() { return static_cast<int32_t>(nextRandom(s) >> 20) - 2048; };
        const int32_t shared = next() * 4;
        const int32_t own = next();
        const bool anti = i >= antiFrom * kRate && i < antiTo * kRate;
        return std::make_pair(static_cast<int16_t>(shared + own),
                              static_cast<int16_t>(anti ? -(shared + own) : shared - own));
    };
}

// The same frames changed: scaled by gain, and each side mapped from (l, r).
FrameMaker changed(const FrameMaker& frame, double gain,
                   std::function<std::pair<int32_t, int32_t>(int32_t, int32_t)> map)
{
    return [=](int64_t i)
    {
        const auto [l, r] = map(frame(i).first, frame(i).second);
        return std::make_pair(static_cast<int16_t>(std::lround(l * gain)),
                              static_cast<int16_t>(std::lround(r * gain)));
    };
}

Bytes makeWave(uint32_t channels, int64_t frames, const FrameMaker& frame)
{
    Bytes data;
    for (int64_t i = 0; i < frames; ++i)
    {
        const auto samples = frame(i);
        putLe(data, static_cast<uint16_t>(samples.first), 2);
        if (channels == 2)
            putLe(data, static_cast<uint16_t>(samples.second), 2);
    }
    return pcmWave(channels, kRate, 16, data);
}

using Table = std::vector<std::vector<std::string>>;

Table readCsv(const fs::path& file)
{
    std::ifstream in(file);
    Table rows;
    for (std::string line; std::getline(in, line);)
    {
        rows.emplace_back();
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            rows.back().push_back(field);
        if (!line.empty() && line.back() == ',')
            rows.back().emplace_back();
    }
    return rows;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of its own per test, holding the inputs and the report.
class Report : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("zwreport-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "in");
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const Bytes& bytes)
    {
        const fs::path file = dir / "in" / fs::u8path(name);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    int run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        args.insert(args.begin(), {"--out", (dir / "out").u8string()});
        return runReport(args, out, err, false);
    }
    // summary.csv as rows by file name; the header under "".
    std::map<std::string, std::vector<std::string>> summary()
    {
        std::map<std::string, std::vector<std::string>> rows;
        for (const auto& row : readCsv(dir / "out" / "summary.csv"))
            rows[row[0] == "file" ? "" : fs::u8path(row[0]).filename().u8string()] = row;
        return rows;
    }
    std::string field(const std::vector<std::string>& row, const std::string& column)
    {
        const std::vector<std::string> header = readCsv(dir / "out" / "summary.csv").at(0);
        return row.at(std::find(header.begin(), header.end(), column) - header.begin());
    }

    fs::path dir;
};

TEST_F(Report, VerdictsPassagesAndExitCodes)
{
    struct Case
    {
        const char* name;
        uint32_t channels;
        double seconds;
        FrameMaker frame;
        const char* verdict;
        int exitCode;
        double passageStart, passageEnd; // 0, 0: none
    };
    const Case cases[] = {
        {"antiphase.wav", 2, 20.0, correlatedStereo(10.0, 12.0), "fail", 1, 10.0, 12.0},
        {"mono.wav", 1, 5.0, correlatedStereo(), "ok", 0, 0.0, 0.0},
        // Below 0, but for less than the second a passage needs.
        {"brief.wav", 2, 5.0, correlatedStereo(2.0, 2.5), "warn", 0, 0.0, 0.0},
        // A reverb tail in anti-phase at -57 dBFS, below the gate: not heard.
        {"tail.wav", 2, 6.0,
         [](int64_t i)
         {
             const auto frame = correlatedStereo(3.0, 6.0)(i);
             return i < 3 * kRate ? frame
                                  : std::make_pair(static_cast<int16_t>(frame.first / 100),
                                                   static_cast<int16_t>(frame.second / 100));
         },
         "ok", 0, 0.0, 0.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int64_t frames = static_cast<int64_t>(c.seconds * kRate);
        const fs::path file = write(c.name, makeWave(c.channels, frames, c.frame));
        EXPECT_EQ(run({file.u8string()}), c.exitCode);
        const auto row = summary()[c.name];
        ASSERT_FALSE(row.empty());
        EXPECT_EQ(field(row, "verdict"), c.verdict);
        EXPECT_EQ(field(row, "passages"), c.passageEnd > 0.0 ? "1" : "0");
        if (c.passageEnd > 0.0)
        {
            EXPECT_NEAR(std::atof(field(row, "worst_passage_start_s").c_str()), c.passageStart,
                        kBlockSeconds);
            EXPECT_NEAR(std::atof(field(row, "worst_passage_end_s").c_str()), c.passageEnd,
                        kBlockSeconds);
        }
        if (c.channels == 1)
        {
            const Table csv = readCsv(dir / "out" / "mono.csv");
            EXPECT_EQ(csv.size(), static_cast<size_t>(1 + (frames + 511) / 512));
            for (size_t i = 1; i < csv.size(); ++i)
                ASSERT_EQ(csv[i][1], "1") << "block " << i - 1;
        }
    }
}

TEST_F(Report, AFolderListsEveryFileWorstFirstWithTheReasonsOfTheRefused)
{
    // A name beyond ASCII, as Windows users' files have them.
    write("g\u00f6\u00f6d.wav", makeWave(2, kRate, correlatedStereo()));
    write("refused.wav",
          riff("WAVE", concat({formatChunk(2, 2, kRate, 4), chunk("data", Bytes(64))})));
    write("failing.wav", makeWave(2, 3 * kRate, correlatedStereo(0.5, 2.5)));
    write("notes.txt", Bytes(10));

    EXPECT_EQ(run({"--jobs", "2", (dir / "in").u8string()}), 2);
    const Table csv = readCsv(dir / "out" / "summary.csv");
    ASSERT_EQ(csv.size(), 4u);
    const auto name = [&](size_t row) { return fs::u8path(csv[row][0]).filename().u8string(); };
    EXPECT_EQ(name(1), "refused.wav");
    EXPECT_EQ(csv[1][1], "unreadable");
    EXPECT_EQ(csv[1][2], "unknown data format (2)");
    EXPECT_EQ(name(2), "failing.wav");
    EXPECT_EQ(name(3), "g\u00f6\u00f6d.wav");

    const std::string page = readText(dir / "out" / "index.html");
    size_t rows = 0;
    for (size_t at = page.find("class=\"file-row\""); at != std::string::npos;
         at = page.find("class=\"file-row\"", at + 1))
        ++rows;
    EXPECT_EQ(rows, 3u);
    EXPECT_NE(page.find("unknown data format (2)"), std::string::npos);
    EXPECT_LT(page.find("refused.wav"), page.find("failing.wav"));
    EXPECT_LT(page.find("failing.wav"), page.find("g\u00f6\u00f6d.wav"));
    EXPECT_TRUE(fs::exists(dir / "out" / fs::u8path("g\u00f6\u00f6d.goniometer.png")));
}

// The report's numbers are the meter's: the effect, fed the same file 512
// frames at a time, shows the same correlation after every block, the
// last one filled up with silence.
TEST_F(Report, TheCsvHoldsTheCorrelationTheEffectShowsBlockByBlock)
{
    const int64_t frames = 3 * kRate + 100;
    const Bytes bytes = makeWave(2, frames, correlatedStereo(1.0, 1.7));
    EXPECT_EQ(run({write("meter.wav", bytes).u8string()}), 0);
    const Table csv = readCsv(dir / "out" / "meter.csv");

    CMemoryFile memory(bytes.data(), bytes.size());
    CWaveReader reader;
    ASSERT_EQ(reader.open(&memory, 512), kWaveOpened);
    CEditedScopeEffect effect([](AEffect*, int32_t, int32_t, VstIntPtr, void*, float) -> VstIntPtr
                              { return 0; });
    effect.setSampleRate(static_cast<float>(kRate));
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};
    const size_t blocks = (frames + 511) / 512;
    ASSERT_EQ(csv.size(), blocks + 1);
    EXPECT_EQ(csv[0], (std::vector<std::string>{"time_s", "correlation"}));
    for (size_t block = 0; block < blocks; ++block)
    {
        reader.read(in, 0, 512);
        effect.processReplacing(in, out, 512);
        const float shown = effect.testEditor()->store.getValue(CScopeParams::kCorrelation, false);
        ASSERT_EQ(std::strtof(csv[block + 1][1].c_str(), nullptr), shown) << "block " << block;
        ASSERT_NEAR(std::atof(csv[block + 1][0].c_str()), block * kBlockSeconds, 1e-6);
    }
}

TEST_F(Report, ThePicturesDecodeAtTheirSizesAndShowTheSound)
{
    write("mono.wav", makeWave(1, kRate, correlatedStereo()));
    EXPECT_EQ(run({(dir / "in").u8string()}), 0);
    struct Picture
    {
        const char* file;
        int width, height;
    };
    for (const Picture& p :
         {Picture{"mono.correlation.png", 1000, 200}, Picture{"mono.goniometer.png", 262, 258}})
    {
        SCOPED_TRACE(p.file);
        const std::string png = readText(dir / "out" / p.file);
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels =
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()),
                                  static_cast<int>(png.size()), &width, &height, &channels, 3);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(width, p.width);
        EXPECT_EQ(height, p.height);
        // Mono is a vertical line on the scope: every yellow dot on the
        // centre column.
        if (p.width == 262)
        {
            int dots = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                {
                    const stbi_uc* px = pixels + (y * width + x) * 3;
                    if (px[0] > 150 && px[1] > 150 && px[2] < 80)
                    {
                        ++dots;
                        EXPECT_EQ(x, 130) << "row " << y;
                    }
                }
            EXPECT_GT(dots, 100);
        }
        stbi_image_free(pixels);
    }
}

TEST_F(Report, OutputNamesNeverCollideAndNamesSurviveThePageAndItsLinks)
{
    const Bytes wave = makeWave(2, 2000, correlatedStereo());
    fs::create_directories(dir / "in" / "a");
    fs::create_directories(dir / "in" / "b");
    const std::vector<std::string> inputs = {
        write("a/take.wav", wave).u8string(), write("b/Take.wav", wave).u8string(),
        write("summary.wav", wave).u8string(), write("R&B #1.wav", wave).u8string()};
    EXPECT_EQ(run(inputs), 0);
    for (const char* output :
         {"take.csv", "Take-2.csv", "summary-2.csv", "R&B #1.csv", "R&B #1.goniometer.png"})
        EXPECT_TRUE(fs::exists(dir / "out" / output)) << output;
    EXPECT_EQ(readCsv(dir / "out" / "summary.csv").size(), 5u) << "the summary is not a file's CSV";
    const std::string page = readText(dir / "out" / "index.html");
    EXPECT_NE(page.find(">R&amp;B #1.wav<"), std::string::npos);
    EXPECT_NE(page.find("href=\"R%26B%20%231.csv\""), std::string::npos);
    EXPECT_NE(page.find("src=\"Take-2.correlation.png\""), std::string::npos);
}

// Each channel fault is named, also where the gate hears nothing; a stereo
// mix with an anti-phase moment has none.
TEST_F(Report, ChannelFaultsAreNamedAndACleanMixHasNone)
{
    const auto same = [](int32_t l, int32_t r) { return std::make_pair(l, r); };
    const struct
    {
        const char* name;
        FrameMaker frame;
        const char* verdict;
        const char* faults;
    } cases[] = {
        {"clean.wav", correlatedStereo(2.0, 2.4), "warn", ""},
        {"silent.wav",
         changed(correlatedStereo(), 1.0, [](int32_t, int32_t r) { return std::make_pair(0, r); }),
         "fail", "silent_channel"},
        // Apart by a least significant bit here and there: still the same.
        {"identical.wav",
         changed(correlatedStereo(), 1.0,
                 [](int32_t l, int32_t) { return std::make_pair(l, l + (l & 1)); }),
         "warn", "identical_channels"},
        {"inverted.wav",
         changed(correlatedStereo(), 1.0,
                 [](int32_t l, int32_t r) { return std::make_pair(l, -r); }),
         "fail", "inverted_polarity"},
        // At -63 dBFS, under the gate: the fault is still found.
        {"quiet.wav",
         changed(correlatedStereo(), 1.0 / 200,
                 [](int32_t l, int32_t r) { return std::make_pair(l, -r); }),
         "fail", "inverted_polarity"},
        {"loud.wav", changed(correlatedStereo(), 1.0, same), "ok", ""},
    };
    std::vector<std::string> paths;
    for (const auto& c : cases)
        paths.push_back(write(c.name, makeWave(2, 5 * kRate, c.frame)).u8string());
    EXPECT_EQ(run(paths), 1);
    auto rows = summary();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(field(rows[c.name], "verdict"), c.verdict);
        EXPECT_EQ(field(rows[c.name], "channel_faults"), c.faults);
    }
    EXPECT_NE(field(rows["inverted.wav"], "reason").find("inverting one channel mends it"),
              std::string::npos);
}

// Blocks of 0.1 s; the meter and the sound are given alike, so passages
// start and end on whole blocks.
// Bass at 60 Hz under in-phase tones at 1 and 6 kHz (a little quieter on
// the right, so that the channels are not the same): in anti-phase the bass
// cancels in mono, which the low band names although the whole band's meter
// stays above the threshold; in phase every band is.
TEST_F(Report, TheBandsNameWhereTheSoundCancelsInMono)
{
    const auto tones = [](int bassSign)
    {
        return [bassSign](int64_t i)
        {
            const double t = static_cast<double>(i) / kRate, pi2 = 6.283185307179586;
            const double bass = 3000.0 * std::sin(pi2 * 60.0 * t);
            const double highs =
                6000.0 * std::sin(pi2 * 1000.0 * t) + 6000.0 * std::sin(pi2 * 6000.0 * t + 1.0);
            return std::make_pair(static_cast<int16_t>(std::lround(bass + highs)),
                                  static_cast<int16_t>(std::lround(bassSign * bass + 0.8 * highs)));
        };
    };
    const struct
    {
        const char* name;
        int bassSign;
        const char* verdict;
        double low; // mean correlation; mid and high read +1
        double lowLossAtLeast, lowLossAtMost;
    } cases[] = {
        {"bass-anti.wav", -1, "fail", -1.0, 20.0, 100.0},
        {"bass-in.wav", 1, "ok", 1.0, 0.0, 0.1},
    };
    std::vector<std::string> paths;
    for (const auto& c : cases)
        paths.push_back(write(c.name, makeWave(2, 5 * kRate, tones(c.bassSign))).u8string());
    EXPECT_EQ(run(paths), 1);
    auto rows = summary();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto& row = rows[c.name];
        EXPECT_EQ(field(row, "verdict"), c.verdict);
        EXPECT_NEAR(std::atof(field(row, "low_mean_correlation").c_str()), c.low, 0.05);
        EXPECT_NEAR(std::atof(field(row, "mid_mean_correlation").c_str()), 1.0, 0.05);
        EXPECT_NEAR(std::atof(field(row, "high_mean_correlation").c_str()), 1.0, 0.05);
        const double loss = std::atof(field(row, "low_mono_loss_db").c_str());
        EXPECT_GE(loss, c.lowLossAtLeast);
        EXPECT_LE(loss, c.lowLossAtMost);
        EXPECT_EQ(field(row, "passages"), "0") << "the whole band's meter stays above";
    }
    const std::string reason = field(rows["bass-anti.wav"], "reason");
    EXPECT_EQ(reason.rfind("low band (below 250 Hz): 1 passage below -0.20", 0), 0u) << reason;
    EXPECT_EQ(reason.find("mid band"), std::string::npos) << reason;
    const std::string json = readText(dir / "out" / "report.json");
    EXPECT_NE(json.find("\"band\": \"low\",\n              \"start_s\": 0,"), std::string::npos)
        << "the passage in the low band from the start";
    EXPECT_NE(json.find("\"name\": \"low\",\n          \"mean_correlation\": -"),
              std::string::npos);
}

TEST(PassageFinder, ListsTheTenWorstAndClosesAPassageAtTheFilesEnd)
{
    // 33.6 s of blocks, of which the file holds 33.52 s.
    CPassageFinder finder(ReportSettings(), 5120.0, 171622);
    auto blocks = [&finder](int n, float value)
    {
        for (int i = 0; i < n; ++i)
            finder.addBlock(value, value, true);
    };
    blocks(5, -0.9f); // 0.5 s: too short
    for (int k = 0; k < 12; ++k)
    {
        blocks(10, 0.5f);
        blocks(10 + k, -0.3f - 0.05f * k);
    }
    blocks(10, 0.5f);
    blocks(15, -0.95f);
    EXPECT_EQ(finder.count(), 12) << "the last passage is still open";
    finder.finish();
    EXPECT_EQ(finder.count(), 13);
    const std::vector<Passage>& worst = finder.worst();
    ASSERT_EQ(worst.size(), CPassageFinder::kMaxListed);
    EXPECT_NEAR(worst[0].start, 32.1, 1e-9);
    EXPECT_EQ(worst[0].endFrame, 171622);
    for (size_t i = 1; i < worst.size(); ++i)
        EXPECT_FLOAT_EQ(worst[i].lowest, -0.3f - 0.05f * (12 - i));
    EXPECT_NEAR(worst[1].start, 29.0, 1e-9);
    EXPECT_NEAR(worst[1].end, 31.1, 1e-9);
}

// Blocks of 0.1 s, in runs of (count, value, heard).
TEST(PassageFinder, ShortRisesAreBridgedAndQuietBlocksNeitherStartNorExtendAPassage)
{
    struct Run
    {
        int blocks;
        float value;
        bool heard;
    };
    const struct
    {
        const char* name;
        double bridge;
        std::vector<Run> runs;
        int64_t count;
        double start, end;
    } cases[] = {
        {"a rise splits it", 0.0, {{8, -0.5f, true}, {2, 0.5f, true}, {8, -0.5f, true}}, 0, 0, 0},
        {"bridged", 0.3, {{8, -0.5f, true}, {2, 0.5f, true}, {8, -0.5f, true}}, 1, 0.0, 1.8},
        {"as long as the bridge",
         0.2,
         {{8, -0.5f, true}, {2, 0.5f, true}, {8, -0.5f, true}},
         0,
         0,
         0},
        {"quiet", 0.0, {{5, -0.5f, false}, {12, -0.5f, true}, {5, -0.5f, false}}, 1, 0.5, 1.7},
        {"quiet within", 0.3, {{6, -0.5f, true}, {2, -0.9f, false}, {6, -0.5f, true}}, 1, 0.0, 1.4},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ReportSettings settings;
        settings.bridgeSeconds = c.bridge;
        CPassageFinder finder(settings, 5120.0, 5120 * 100);
        for (const Run& run : c.runs)
            for (int i = 0; i < run.blocks; ++i)
                finder.addBlock(run.value, run.value, run.heard);
        finder.finish();
        ASSERT_EQ(finder.count(), c.count);
        if (c.count > 0)
        {
            EXPECT_NEAR(finder.worst()[0].start, c.start, 1e-9);
            EXPECT_NEAR(finder.worst()[0].end, c.end, 1e-9);
            EXPECT_EQ(finder.worst()[0].lowest, -0.5f) << "quiet blocks do not count";
        }
    }
}

TEST_F(Report, AUsageErrorEndsWithThreeAndWritesNothing)
{
    const std::string wave = write("a.wav", makeWave(2, 1000, correlatedStereo())).u8string();
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"--jobs", "0", wave},
        {"--fail-below", "-1.5", wave},
        {"--angle", "60", wave},
        {"--fail-below", "-0.5", "--angle", "170", wave},
        {"--gate", "3", wave},
        {"--for", "x", wave},
        {"--bogus", wave},
        {wave, "--for"},
    };
    for (const auto& args : lines)
    {
        EXPECT_EQ(run(args), 3) << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
}
} // namespace
