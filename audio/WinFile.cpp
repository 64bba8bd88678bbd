#include "audio/WinFile.h"

CWinFile::CWinFile() : handle(INVALID_HANDLE_VALUE) {}

CWinFile::~CWinFile()
{
    close();
}

int32_t CWinFile::open(const char* path)
{
    close();
    handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return isOpen() ? 1 : 0;
}

void CWinFile::close()
{
    if (isOpen())
        CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

int32_t CWinFile::read(void* target, int32_t size)
{
    if (!isOpen())
        return -1;
    if (size <= 0)
        return 0;
    DWORD got = 0;
    if (!ReadFile(handle, target, static_cast<DWORD>(size), &got, nullptr))
        return -1;
    return static_cast<int32_t>(got);
}

int32_t CWinFile::seek(int64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return isOpen() && offset >= 0 && SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) ? 1 : 0;
}

int64_t CWinFile::size()
{
    LARGE_INTEGER bytes;
    return isOpen() && GetFileSizeEx(handle, &bytes) ? bytes.QuadPart : -1;
}
