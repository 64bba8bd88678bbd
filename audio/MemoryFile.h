#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/FileAccess.h"

// A file held in memory (not copied, not owned).
class CMemoryFile : public CFileAccess
{
  public:
    CMemoryFile(const void* data, size_t size);

    int32_t read(void* target, int32_t size) override;
    int32_t seek(int64_t offset) override;
    int64_t size() override;

  protected:
    const uint8_t* bytes;
    int64_t length;
    int64_t offset;
};
