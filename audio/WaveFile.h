#pragma once

#include <windows.h>

#include <cstdint>

#include "audio/Refusal.h"
#include "audio/WaveReader.h"
#include "audio/WinFile.h"

// One WAV file opened for playback: checks that it is uncompressed PCM or
// float in a RIFF/WAVE form and delivers its frames as float channel data.
// A file that is not open says why in getRefusal(), in German, for the user;
// a file that could not be found or had no memory says nothing.
//
// Created and destroyed on the GUI thread, read on the feeder thread. Only
// seekAndRead takes the lock, so that a seek and its read stay together.
class CWaveFile
{
  public:
    static constexpr int32_t kFileNameBytes = 512;

    // Never fails as an object: test isOpen. A path that does not fit the
    // name field is not opened.
    CWaveFile(const char* path, int32_t capacityFrames);

    virtual bool isOpen();
    virtual int32_t getChannels();
    virtual int64_t getLength();
    virtual double getSampleRate();
    virtual int32_t getBitsPerSample();
    virtual int32_t seek(int64_t frame);
    virtual int32_t read(float** channels, int32_t first, int32_t end);
    virtual int32_t seekAndRead(int64_t frame, float** channels, int32_t first, int32_t end);
    virtual ~CWaveFile();

    // IEEE float samples rather than integers, for the width check.
    bool hasFloatSamples() const { return reader.hasFloatSamples(); }
    const Refusal& getRefusal() const { return refusal; }

    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

  protected:
    CRITICAL_SECTION lock;
    char fileName[kFileNameBytes];
    CWinFile file;
    CWaveReader reader;
    Refusal refusal;
};
