#include "audio/WaveFile.h"

#include <cstring>

CWaveFile::CWaveFile(const char* path, int32_t capacityFrames)
{
    InitializeCriticalSection(&lock);
    fileName[0] = '\0';
    // Cutting a long path could name another file: such a path is not opened.
    if (!path || std::strlen(path) >= sizeof fileName || !file.open(path))
        return;
    switch (reader.open(&file, capacityFrames))
    {
    case kWaveOpened:
        std::strcpy(fileName, path);
        return;
    case kWaveNotWave:
        file.close();
        refusal.say(MB_ICONERROR, "%s ist keine WAVE-Datei", path);
        return;
    case kWaveReadError:
        file.close();
        refusal.say(MB_ICONERROR, "Fehler beim Lesen der Datei %s", path);
        return;
    case kWaveUnknownFormat:
        file.close();
        refusal.say(MB_ICONERROR, "%s: Unbekanntes Daten-Format (%u)", path, reader.getFormatTag());
        return;
    case kWaveNoMemory:
        file.close();
        return;
    }
}

CWaveFile::~CWaveFile()
{
    DeleteCriticalSection(&lock);
}

bool CWaveFile::isOpen()
{
    return reader.isOpen();
}

int32_t CWaveFile::getChannels()
{
    return reader.getChannels();
}

int64_t CWaveFile::getLength()
{
    return reader.getLength();
}

double CWaveFile::getSampleRate()
{
    return reader.getSampleRate();
}

int32_t CWaveFile::getBitsPerSample()
{
    return reader.getBitsPerSample();
}

int32_t CWaveFile::seek(int64_t frame)
{
    return reader.seek(frame);
}

int32_t CWaveFile::read(float** channels, int32_t first, int32_t end)
{
    return reader.read(channels, first, end);
}

int32_t CWaveFile::seekAndRead(int64_t frame, float** channels, int32_t first, int32_t end)
{
    if (!isOpen())
        return 0;
    EnterCriticalSection(&lock);
    int32_t got = 0;
    if (reader.seek(frame))
        got = reader.read(channels, first, end);
    LeaveCriticalSection(&lock);
    return got;
}
