#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "audio/FileAccess.h"

// A file on disk for the WAV reader, through the C library, so that the
// same code reads on Linux and on Windows (where names are wide).
class CStdFile : public CFileAccess
{
  public:
    CStdFile() = default;
    ~CStdFile() override;

    CStdFile(const CStdFile&) = delete;
    CStdFile& operator=(const CStdFile&) = delete;

    // Returns 1, or 0 with the system's reason in error.
    int32_t open(const std::filesystem::path& path, std::string& error);
    void close();

    int32_t read(void* target, int32_t size) override;
    int32_t seek(int64_t offset) override;
    int64_t size() override;

  private:
    std::FILE* file = nullptr;
    int64_t knownSize = -1;
};
