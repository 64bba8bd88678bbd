#pragma once

#include <cstdint>
#include <memory>

#include "audio/FileAccess.h"
#include "audio/SampleConverter.h"

enum WaveOpenResult
{
    kWaveOpened,
    kWaveNotWave,       // no RIFF form "WAVE", or no "fmt " chunk in it
    kWaveReadError,     // "fmt " shorter in the file than stated, or no "data" after it
    kWaveUnknownFormat, // not PCM or float, or a format no frame can be built from
    kWaveNoMemory       // the read buffer cannot be allocated
};

// Reads an uncompressed RIFF/WAVE file (integer PCM or IEEE float, plain or
// extensible) as float channel data from any frame on. Frames past the end
// of the data chunk read as silence: what follows it in the file (a LIST or
// id3 chunk, say) is not sound.
class CWaveReader
{
  public:
    // The read buffer never exceeds this, whatever the capacity asked for
    // (unless a single frame is larger); reads then take several passes.
    static constexpr int32_t kMaxBufferBytes = 64 << 20;

    CWaveReader();
    ~CWaveReader();

    CWaveReader(const CWaveReader&) = delete;
    CWaveReader& operator=(const CWaveReader&) = delete;

    // readHeader, then allocateBuffer. The file must outlive the reader.
    WaveOpenResult open(CFileAccess* file, int32_t capacityFrames);
    // Finds and checks the format and the data chunk. On kWaveOpened the
    // format getters are valid and the file stands at the first frame; on
    // kWaveUnknownFormat getFormatTag tells the format that was refused.
    WaveOpenResult readHeader(CFileAccess* file);
    // Allocates the buffer for capacityFrames frames per pass; the reader
    // is open afterwards.
    WaveOpenResult allocateBuffer(int32_t capacityFrames);

    bool isOpen() const { return buffer != nullptr; }
    // The format tag; for an extensible file its sub-format's first field
    // (1 PCM, 3 float), unless the extensible header itself was refused.
    uint32_t getFormatTag() const { return formatTag; }
    bool hasFloatSamples() const { return layout.isFloat != 0; }
    int32_t getChannels() const { return layout.channels; }
    int32_t getBitsPerSample() const { return layout.bitsPerSample; }
    int32_t getFrameBytes() const { return layout.frameBytes; }
    double getSampleRate() const { return sampleRate; }
    int64_t getLength() const { return length; }
    int64_t getPosition() const { return position; }
    int64_t getDataStart() const { return dataStart; }
    // File offset just past the last byte of sound.
    int64_t getDataEnd() const { return dataEnd; }
    int32_t getBufferFrames() const { return bufferFrames; }

    // Moves the read position to a frame (past the end allowed). Returns 1,
    // or 0 when not open or the frame lies outside any file.
    int32_t seek(int64_t frame);
    // Fills the slots first .. end - 1 of each channel array with the frames
    // from the current position on. Returns the frames that came from the
    // data chunk; frames past its end, or after a read error, are zeros.
    int32_t read(float* const* channels, int32_t first, int32_t end);

  private:
    CFileAccess* file;
    SampleLayout layout;
    uint32_t formatTag;
    double sampleRate;
    int64_t dataStart;
    int64_t dataEnd;
    int64_t readOffset; // where the file stands: the next byte to read
    int64_t length;
    int64_t position;
    int32_t bufferFrames;
    std::unique_ptr<uint8_t[]> buffer;
};
