#pragma once

#include <cstdint>

// What the WAV reader needs of a file: reads from an offset that can be set.
// The program reads real files through it; tests and the fuzzer read memory.
class CFileAccess
{
  public:
    virtual ~CFileAccess() = default;

    // Reads up to size bytes at the current offset and moves past them.
    // Returns the bytes read (fewer at the end of the file, 0 past it), or
    // -1 when the file layer reports an error.
    virtual int32_t read(void* target, int32_t size) = 0;
    // Sets the offset of the next read; offsets past the end are allowed.
    // Returns 1, or 0 when the offset cannot be set.
    virtual int32_t seek(int64_t offset) = 0;
    // The file's size in bytes, or -1 when it cannot be told.
    virtual int64_t size() = 0;
};
