#pragma once

#include <cstdint>

#include "audio/FileAccess.h"

// A chunk identifier as it lies in the file, first character in the lowest
// byte ("fmt " reads as 0x20746D66).
constexpr uint32_t makeChunkId(const char (&text)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

struct RiffChunk
{
    uint32_t id;
    uint32_t size;      // size of the contents as the header states it
    uint32_t formType;  // the form type of a RIFF chunk, else 0
    int64_t dataOffset; // file offset of the contents (a RIFF form's type comes first)
};

// Finds chunks the way the multimedia file functions do: a RIFF form among
// the top-level chunks, then chunks inside it, searching onward from the
// current offset and skipping contents padded to an even length.
//
// Offsets are 64-bit, so no stated size can wrap them. Every step moves at
// least one header further and a search ends where the file or the parent
// ends, so a search always ends.
class CRiffReader
{
  public:
    explicit CRiffReader(CFileAccess& file);

    // Searches the top-level chunks from the current offset for a RIFF form
    // of the given type and enters it: the offset is then just past the
    // form type. Returns 1, or 0 when the file holds no such form.
    int32_t findForm(uint32_t formType, RiffChunk& form);
    // Searches the chunks of parent from the current offset for the first
    // with the given id and enters it: the offset is then at its contents.
    // Returns 1, or 0 when parent holds no such chunk from here on.
    int32_t findChunk(uint32_t id, const RiffChunk& parent, RiffChunk& chunk);
    // Leaves a chunk: the offset is set past its contents and pad byte.
    // The file's read offset follows the reader's after each operation.
    int32_t leave(const RiffChunk& chunk);

    int64_t getOffset() const { return offset; }

  private:
    // Reads the header (id and size, and for a RIFF chunk the form type) at
    // at; 0 when the file ends inside the id and size.
    int32_t readHeader(int64_t at, RiffChunk& chunk);
    static int64_t nextChunk(const RiffChunk& chunk);
    // Sets both our offset and the file's.
    int32_t moveTo(int64_t at);

    CFileAccess& file;
    int64_t offset;
};
