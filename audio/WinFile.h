#pragma once

#include <windows.h>

#include "audio/FileAccess.h"

// A file on disk opened for reading, shared with writers and readers.
class CWinFile : public CFileAccess
{
  public:
    CWinFile();
    ~CWinFile() override;

    CWinFile(const CWinFile&) = delete;
    CWinFile& operator=(const CWinFile&) = delete;

    // Returns 1, or 0 when the file cannot be opened.
    int32_t open(const char* path);
    void close();
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }

    int32_t read(void* target, int32_t size) override;
    int32_t seek(int64_t offset) override;
    int64_t size() override;

  private:
    HANDLE handle;
};
