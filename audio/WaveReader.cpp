#include "audio/WaveReader.h"

#include <cstring>
#include <limits>
#include <new>

#include "audio/RiffReader.h"

namespace
{
constexpr uint32_t kWaveId = makeChunkId("WAVE");
constexpr uint32_t kFormatId = makeChunkId("fmt ");
constexpr uint32_t kDataId = makeChunkId("data");
constexpr uint32_t kPcmTag = 1;
constexpr uint32_t kFloatTag = 3;
constexpr uint32_t kExtensibleTag = 0xFFFE;
// The fields every format has end with bits per sample at offset 14; an
// extensible one adds valid bits at 18 and its sub-format GUID at 24.
constexpr int32_t kFormatBytes = 16;
constexpr int32_t kExtensibleBytes = 40;
// A sub-format GUID holds a format tag in its first field, then this.
constexpr uint8_t kSubFormatSuffix[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                          0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(le16(p)) | static_cast<uint32_t>(le16(p + 2)) << 16;
}
} // namespace

CWaveReader::CWaveReader()
    : file(nullptr), layout{0, 0, 0, 0, 0}, formatTag(0), sampleRate(0.0), dataStart(0), dataEnd(0),
      readOffset(0), length(0), position(0), bufferFrames(0)
{
}

CWaveReader::~CWaveReader() = default;

WaveOpenResult CWaveReader::open(CFileAccess* source, int32_t capacityFrames)
{
    const WaveOpenResult result = readHeader(source);
    return result == kWaveOpened ? allocateBuffer(capacityFrames) : result;
}

WaveOpenResult CWaveReader::readHeader(CFileAccess* source)
{
    CRiffReader riff(*source);
    RiffChunk form;
    RiffChunk format;
    if (!riff.findForm(kWaveId, form))
        return kWaveNotWave;
    // An unfinished recording may state no size for its form either: its
    // chunks are then searched to the end of the file.
    if (form.size == 0)
        form.size = UINT32_MAX;
    if (!riff.findChunk(kFormatId, form, format))
        return kWaveNotWave;

    // Only the first 40 bytes are used; the rest of the chunk need only be
    // there. Missing fields of a short chunk read as zero.
    uint8_t fields[kExtensibleBytes] = {};
    const int32_t wanted =
        format.size < kExtensibleBytes ? static_cast<int32_t>(format.size) : kExtensibleBytes;
    const int64_t fileSize = source->size();
    if (source->read(fields, wanted) != wanted || fileSize < 0 ||
        format.dataOffset + format.size > fileSize)
        return kWaveReadError;

    RiffChunk data;
    riff.leave(format);
    if (!riff.findChunk(kDataId, form, data))
        return kWaveReadError;

    formatTag = le16(fields);
    const int32_t channels = le16(fields + 2);
    // For an extensible format this is the container's width, which is what
    // is read; the valid bits within it are left as they are.
    const int32_t bits = le16(fields + 14);
    if (formatTag == kExtensibleTag)
    {
        if (format.size < kExtensibleBytes || le16(fields + 18) > bits)
            return kWaveUnknownFormat;
        formatTag = le32(fields + 24);
        if (std::memcmp(fields + 28, kSubFormatSuffix, sizeof kSubFormatSuffix) != 0)
            return kWaveUnknownFormat;
    }
    // A frame needs at least one channel of at least one bit.
    if ((formatTag != kPcmTag && formatTag != kFloatTag) || format.size < kFormatBytes ||
        channels == 0 || bits == 0)
        return kWaveUnknownFormat;

    layout.bitsPerSample = bits;
    layout.channels = channels;
    layout.bytesPerSample = (bits + 7) / 8;
    layout.frameBytes = channels * layout.bytesPerSample;
    layout.isFloat = formatTag == kFloatTag;
    sampleRate = static_cast<double>(le32(fields + 4));
    dataStart = data.dataOffset;
    // A recording that was never finished leaves the size at 0 or states
    // more than was written: its sound is whatever the file holds.
    dataEnd = data.dataOffset + data.size;
    if (data.size == 0 || dataEnd > fileSize)
        dataEnd = fileSize;
    readOffset = dataStart;
    length = (dataEnd - dataStart) / layout.frameBytes;
    position = 0;
    file = source;
    return kWaveOpened;
}

WaveOpenResult CWaveReader::allocateBuffer(int32_t capacityFrames)
{
    if (!file || buffer)
        return kWaveNoMemory;
    int32_t frames = kMaxBufferBytes / layout.frameBytes;
    if (frames < 1)
        frames = 1;
    if (capacityFrames < frames)
        frames = capacityFrames < 1 ? 1 : capacityFrames;
    buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(frames) * layout.frameBytes]);
    if (!buffer)
        return kWaveNoMemory;
    bufferFrames = frames;
    return kWaveOpened;
}

int32_t CWaveReader::seek(int64_t frame)
{
    if (!isOpen() || frame < 0 ||
        frame > (std::numeric_limits<int64_t>::max() - dataStart) / layout.frameBytes)
        return 0;
    if (!file->seek(dataStart + frame * layout.frameBytes))
        return 0;
    readOffset = dataStart + frame * layout.frameBytes;
    position = frame;
    return 1;
}

int32_t CWaveReader::read(float* const* channels, int32_t first, int32_t end)
{
    if (!isOpen() || first < 0)
        return 0;
    int32_t total = 0;
    bool failed = false;
    while (first < end)
    {
        const int32_t count = end - first < bufferFrames ? end - first : bufferFrames;
        const int32_t bytes = count * layout.frameBytes;
        // Nothing past the data chunk is read. After a read error the rest of
        // this request reads as the end of the data: whatever the file layer
        // left in the buffer is not sound.
        const int64_t left = failed ? 0 : dataEnd - readOffset;
        const int32_t wanted = left <= 0 ? 0 : left < bytes ? static_cast<int32_t>(left) : bytes;
        int32_t arrived = wanted > 0 ? file->read(buffer.get(), wanted) : 0;
        if (arrived < 0)
        {
            failed = true;
            arrived = 0;
        }
        readOffset += arrived;
        // What the data chunk does not hold is silence: 8-bit and narrower
        // samples are unsigned, and a zero byte there would be full scale
        // negative.
        if (arrived < bytes)
            std::memset(buffer.get() + arrived,
                        !layout.isFloat && layout.bitsPerSample <= 8 ? 0x80 : 0,
                        static_cast<size_t>(bytes - arrived));
        convertToFloat(buffer.get(), layout, channels, first, count);
        const int32_t got = arrived / layout.frameBytes;
        total += got;
        position += got;
        first += count;
    }
    if (position > length)
        length = position;
    return total;
}
