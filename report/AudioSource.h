#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "report/FileReport.h"

// A file's sound as float channels, whatever reader takes it. Integer
// samples become floats by the player's own scales (audio/SampleConverter.h)
// in every reader, so that the same samples in WAV, FLAC or AIFF give the
// same floats and so the same report.
class CAudioSource
{
  public:
    virtual ~CAudioSource() = default;

    // Fills frames 0 .. count - 1 of channels[0] and, for stereo, of
    // channels[1] with the next frames; past the end with silence. Returns
    // the frames that came from the file: fewer than it holds means a read
    // error.
    virtual int32_t read(float* const* channels, int32_t count) = 0;
    // Why the last read came short, where the reader says.
    virtual std::string readError() const { return std::string(); }
};

// Opens report.path for reading in chunks of up to chunkFrames and fills in
// format, channels, sampleRate and frames. A file no reader takes, or one
// with other than one or two channels, gives nullptr and report.reason.
std::unique_ptr<CAudioSource> openAudioSource(FileReport& report, int32_t chunkFrames);

// Whether folder search takes the file: the extensions of the formats any
// build of the report knows.
bool isAudioName(const std::string& path);
// "WAV" on the Windows console program; the formats libsndfile reads natively.
const char* readableFormats();
