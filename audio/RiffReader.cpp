#include "audio/RiffReader.h"

namespace
{
constexpr uint32_t kRiffId = makeChunkId("RIFF");
constexpr int64_t kHeaderBytes = 8;

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
} // namespace

CRiffReader::CRiffReader(CFileAccess& source) : file(source), offset(0) {}

int32_t CRiffReader::readHeader(int64_t at, RiffChunk& chunk)
{
    uint8_t header[12];
    if (!file.seek(at))
        return 0;
    const int32_t n = file.read(header, sizeof header);
    if (n < kHeaderBytes)
        return 0;
    chunk.id = le32(header);
    chunk.size = le32(header + 4);
    chunk.formType = chunk.id == kRiffId && n == 12 ? le32(header + 8) : 0;
    chunk.dataOffset = at + kHeaderBytes;
    return 1;
}

int64_t CRiffReader::nextChunk(const RiffChunk& chunk)
{
    return chunk.dataOffset + chunk.size + (chunk.size & 1);
}

int32_t CRiffReader::findForm(uint32_t formType, RiffChunk& form)
{
    RiffChunk chunk;
    for (int64_t at = offset; readHeader(at, chunk); at = nextChunk(chunk))
    {
        if (chunk.id == kRiffId && chunk.formType == formType)
        {
            form = chunk;
            return moveTo(chunk.dataOffset + 4);
        }
    }
    return 0;
}

int32_t CRiffReader::findChunk(uint32_t id, const RiffChunk& parent, RiffChunk& chunk)
{
    const int64_t parentEnd = parent.dataOffset + parent.size;
    RiffChunk candidate;
    for (int64_t at = offset; at + kHeaderBytes <= parentEnd && readHeader(at, candidate);
         at = nextChunk(candidate))
    {
        if (candidate.id == id)
        {
            chunk = candidate;
            return moveTo(candidate.dataOffset);
        }
    }
    return 0;
}

int32_t CRiffReader::leave(const RiffChunk& chunk)
{
    return moveTo(nextChunk(chunk));
}

int32_t CRiffReader::moveTo(int64_t at)
{
    offset = at;
    return file.seek(at);
}
