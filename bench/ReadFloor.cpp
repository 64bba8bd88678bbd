// The floor under the report's speed: the same file read and converted to
// float channels by the project's reader alone, in the report's chunks,
// with no analysis. Prints the seconds of audio read per second.
//
//   report_read_floor FILE.wav

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/WaveReader.h"
#include "report/FileAnalysis.h"
#include "report/StdFile.h"

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: report_read_floor FILE.wav\n");
        return 3;
    }
    const auto begin = std::chrono::steady_clock::now();
    CStdFile file;
    std::string error;
    CWaveReader reader;
    if (!file.open(argv[1], error) ||
        reader.open(&file, CFileAnalysis::kChunkFrames) != kWaveOpened || reader.getChannels() > 2)
    {
        std::fprintf(stderr, "report_read_floor: cannot read %s %s\n", argv[1], error.c_str());
        return 2;
    }
    std::vector<float> left(CFileAnalysis::kChunkFrames), right(CFileAnalysis::kChunkFrames);
    float* channels[2] = {left.data(), right.data()};
    // Touches what was read, so that nothing of the reading is left out.
    float sum = 0.0f;
    for (int64_t done = 0; done < reader.getLength(); done += CFileAnalysis::kChunkFrames)
    {
        reader.read(channels, 0, CFileAnalysis::kChunkFrames);
        sum += left[0] + right[CFileAnalysis::kChunkFrames - 1];
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double audio = reader.getLength() / reader.getSampleRate();
    std::printf("%.3f s of audio in %.4f s: %.0f x real time (%g)\n", audio, seconds,
                audio / seconds, static_cast<double>(sum));
    return 0;
}
