#include "audio/MemoryFile.h"

#include <cstring>

CMemoryFile::CMemoryFile(const void* data, size_t size)
    : bytes(static_cast<const uint8_t*>(data)), length(static_cast<int64_t>(size)), offset(0)
{
}

int32_t CMemoryFile::read(void* target, int32_t size)
{
    if (size <= 0 || offset >= length)
        return 0;
    const int64_t available = length - offset;
    const int32_t n = available < size ? static_cast<int32_t>(available) : size;
    std::memcpy(target, bytes + offset, static_cast<size_t>(n));
    offset += n;
    return n;
}

int32_t CMemoryFile::seek(int64_t to)
{
    if (to < 0)
        return 0;
    offset = to;
    return 1;
}

int64_t CMemoryFile::size()
{
    return length;
}
