#include "report/StdFile.h"

#include <cerrno>
#include <system_error>

namespace
{
int seekTo(std::FILE* file, int64_t offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

int64_t tell(std::FILE* file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}
} // namespace

CStdFile::~CStdFile()
{
    close();
}

int32_t CStdFile::open(const std::filesystem::path& path, std::string& error)
{
    close();
    errno = 0;
#ifdef _WIN32
    file = _wfopen(path.c_str(), L"rb");
#else
    file = std::fopen(path.c_str(), "rb");
#endif
    if (!file)
    {
        error = std::error_code(errno ? errno : ENOENT, std::generic_category()).message();
        return 0;
    }
    // A folder opens on Linux, and reads fail later; say so now.
    std::error_code code;
    if (std::filesystem::is_directory(path, code))
    {
        close();
        error = "it is a folder";
        return 0;
    }
    if (seekTo(file, 0, SEEK_END) == 0)
        knownSize = tell(file);
    if (knownSize < 0 || seekTo(file, 0, SEEK_SET) != 0)
    {
        error = "its size cannot be told";
        close();
        return 0;
    }
    return 1;
}

void CStdFile::close()
{
    if (file)
        std::fclose(file);
    file = nullptr;
    knownSize = -1;
}

int32_t CStdFile::read(void* target, int32_t size)
{
    if (!file)
        return -1;
    if (size <= 0)
        return 0;
    const size_t got = std::fread(target, 1, static_cast<size_t>(size), file);
    if (got < static_cast<size_t>(size) && std::ferror(file))
        return -1;
    return static_cast<int32_t>(got);
}

int32_t CStdFile::seek(int64_t offset)
{
    return file && offset >= 0 && seekTo(file, offset, SEEK_SET) == 0 ? 1 : 0;
}

int64_t CStdFile::size()
{
    return knownSize;
}
