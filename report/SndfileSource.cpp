#include "report/SndfileSource.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "audio/SampleConverter.h"

// The samples libsndfile hands over are given to the player's converter as
// the little-endian bytes it reads from a WAV file.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the samples are taken as little-endian");

namespace
{
// The width of the integers a subtype holds; 0 for the others, which are
// read as floats. A 20-bit ALAC sample stands in a 24-bit one, as a 20-bit
// WAV sample does.
int32_t integerBits(int32_t subtype)
{
    switch (subtype)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ALAC_16:
        return 16;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
        return 32;
    default:
        return 0;
    }
}

std::string infoName(int command, int32_t format)
{
    SF_FORMAT_INFO info = {};
    info.format = format;
    if (sf_command(nullptr, command, &info, sizeof info) != 0 || !info.name)
        return "unknown";
    return info.name;
}

std::string formatName(int32_t format)
{
    const int32_t major = format & SF_FORMAT_TYPEMASK;
    const int32_t subtype = format & SF_FORMAT_SUBMASK;
    if (major == SF_FORMAT_MPEG || subtype == SF_FORMAT_MPEG_LAYER_III)
        return subtype == SF_FORMAT_MPEG_LAYER_III ? "MP3" : infoName(SFC_GET_FORMAT_INFO, subtype);
    std::string container;
    switch (major)
    {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        container = "WAV";
        break;
    case SF_FORMAT_OGG:
        container = "Ogg";
        break;
    default:
        // "AIFF (Apple/SGI)": the name before its explanation.
        container = infoName(SFC_GET_FORMAT_INFO, major);
        container = container.substr(0, container.find(" ("));
    }
    const int32_t bits = integerBits(subtype);
    if (bits > 0)
        return container + " " + std::to_string(subtype == SF_FORMAT_ALAC_20 ? 20 : bits) +
               "-bit " +
               (subtype >= SF_FORMAT_ALAC_16 && subtype <= SF_FORMAT_ALAC_32 ? "ALAC" : "PCM");
    if (subtype == SF_FORMAT_FLOAT)
        return container + " 32-bit float";
    if (subtype == SF_FORMAT_DOUBLE)
        return container + " 64-bit float";
    return container + " " + infoName(SFC_GET_FORMAT_INFO, subtype);
}

// A file as libsndfile's virtual I/O reads it, through a buffer of its own.
// libsndfile asks for a few kilobytes at a time and for its position before
// nearly every read: straight on the file that is two system calls per 8 KB
// of FLAC, which cost more than a tenth of the decoding.
class CBufferedFile
{
  public:
    // Takes the descriptor of a regular file of the given size.
    CBufferedFile(int descriptor, int64_t bytes) : fd(descriptor), size(bytes), buffer(kBufferBytes)
    {
    }
    ~CBufferedFile() { ::close(fd); }
    CBufferedFile(const CBufferedFile&) = delete;
    CBufferedFile& operator=(const CBufferedFile&) = delete;

    // The system's reason the last read failed; 0 while none has.
    int failure() const { return lastError; }

    static SF_VIRTUAL_IO* calls()
    {
        static SF_VIRTUAL_IO io = made();
        return &io;
    }

  private:
    static constexpr int64_t kBufferBytes = 1 << 20;

    static SF_VIRTUAL_IO made()
    {
        SF_VIRTUAL_IO io = {};
        io.get_filelen = [](void* self) -> sf_count_t { return of(self).size; };
        io.seek = [](sf_count_t offset, int whence, void* self) -> sf_count_t
        { return of(self).seek(offset, whence); };
        io.read = [](void* to, sf_count_t count, void* self) -> sf_count_t
        { return of(self).read(static_cast<uint8_t*>(to), count); };
        io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
        io.tell = [](void* self) -> sf_count_t { return of(self).position; };
        return io;
    }

    static CBufferedFile& of(void* self) { return *static_cast<CBufferedFile*>(self); }

    int64_t seek(int64_t offset, int whence)
    {
        const int64_t base = whence == SEEK_CUR ? position : whence == SEEK_END ? size : 0;
        if ((whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) ||
            (offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset))
            return -1;
        return position = base + offset;
    }

    int64_t read(uint8_t* to, int64_t count)
    {
        int64_t done = 0;
        while (done < count && position < size)
        {
            if (position < start || position >= start + held)
            {
                // Past what the buffer holds: reads as large as it go
                // straight to the caller, the rest fill the buffer.
                if (count - done >= kBufferBytes)
                {
                    const ssize_t got = readAt(to + done, count - done, position);
                    if (got <= 0)
                        break;
                    done += got;
                    position += got;
                    continue;
                }
                const ssize_t got = readAt(buffer.data(), kBufferBytes, position);
                if (got <= 0)
                    break;
                start = position;
                held = got;
            }
            const int64_t n = std::min(count - done, start + held - position);
            std::copy_n(buffer.data() + (position - start), n, to + done);
            done += n;
            position += n;
        }
        return done;
    }

    ssize_t readAt(uint8_t* to, int64_t count, int64_t at)
    {
        ssize_t got;
        do
            got = ::pread(fd, to, static_cast<size_t>(count), static_cast<off_t>(at));
        while (got < 0 && errno == EINTR);
        if (got < 0)
            lastError = errno;
        return got;
    }

    int fd;
    int64_t size;
    std::vector<uint8_t> buffer;
    int64_t start = 0; // where in the file the buffer's bytes come from
    int64_t held = 0;
    int64_t position = 0;
    int lastError = 0;
};

// Reads one or two channels: the caller refuses a file with more before
// reading it.
class CSndfileSource : public CAudioSource
{
  public:
    CSndfileSource(SNDFILE* opened, std::unique_ptr<CBufferedFile> through, const SF_INFO& info,
                   int32_t chunkFrames)
        : file(opened), bytes(std::move(through)), channels(info.channels), remaining(info.frames)
    {
        const int32_t subtype = info.format & SF_FORMAT_SUBMASK;
        const int32_t bits = integerBits(subtype);
        readsDoubles = subtype == SF_FORMAT_DOUBLE;
        layout.isFloat = bits == 0;
        layout.bitsPerSample = bits > 0 ? bits : readsDoubles ? 64 : 32;
        layout.bytesPerSample = readsDoubles ? 8 : 4;
        layout.channels = channels;
        layout.frameBytes = layout.bytesPerSample * channels;
        buffer.resize(static_cast<size_t>(chunkFrames) * layout.frameBytes);
    }
    ~CSndfileSource() override { sf_close(file); }

    int32_t read(float* const* out, int32_t count) override
    {
        int32_t done = 0;
        while (done < count)
        {
            const int32_t pass =
                std::min<int64_t>({static_cast<int64_t>(count - done), remaining,
                                   static_cast<int64_t>(buffer.size() / layout.frameBytes)});
            const int32_t got = pass > 0 ? readPass(pass) : 0;
            if (got <= 0)
                break;
            float* const at[2] = {out[0] + done, channels == 2 ? out[1] + done : nullptr};
            convertToFloat(buffer.data(), layout, at, 0, got);
            done += got;
            remaining -= got;
            if (got < pass)
                break;
        }
        for (int32_t c = 0; c < channels; ++c)
            std::fill(out[c] + done, out[c] + count, 0.0f);
        return done;
    }

    std::string readError() const override
    {
        // A file cut short (a download that stopped) reads as such with no error.
        if (bytes && bytes->failure() != 0)
            return std::strerror(bytes->failure());
        return sf_error(file) != SF_ERR_NO_ERROR ? sf_strerror(file)
                                                 : "the file ends before the length it states";
    }

  private:
    int32_t readPass(int32_t frames)
    {
        if (readsDoubles)
            return static_cast<int32_t>(
                sf_readf_double(file, reinterpret_cast<double*>(buffer.data()), frames));
        if (layout.isFloat)
            return static_cast<int32_t>(
                sf_readf_float(file, reinterpret_cast<float*>(buffer.data()), frames));
        // libsndfile gives integers left-aligned in 32 bits; the converter
        // takes them right-aligned in their own width, and 8-bit ones
        // unsigned, as WAV stores them.
        int32_t* samples = reinterpret_cast<int32_t*>(buffer.data());
        const int32_t got = static_cast<int32_t>(sf_readf_int(file, samples, frames));
        const int32_t shift = 32 - layout.bitsPerSample;
        const int32_t offset = layout.bitsPerSample == 8 ? 128 : 0;
        for (int32_t i = 0, n = got * channels; i < n; ++i)
            samples[i] = (samples[i] >> shift) + offset;
        return got;
    }

    SNDFILE* file;
    std::unique_ptr<CBufferedFile> bytes; // where libsndfile reads, if not from the path itself
    int32_t channels;
    int64_t remaining;
    bool readsDoubles = false;
    SampleLayout layout = {};
    std::vector<uint8_t> buffer;
};
} // namespace

std::unique_ptr<CAudioSource> openSndfile(FileReport& report, int32_t chunkFrames,
                                          std::string& reason)
{
    SF_INFO info = {};
    SNDFILE* file = nullptr;
    // A regular file is read through a buffer; anything else (a pipe, a
    // device) as libsndfile reads it by its name.
    std::unique_ptr<CBufferedFile> bytes;
    const int fd = ::open(report.path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat about = {};
    if (fd >= 0 && ::fstat(fd, &about) == 0 && S_ISREG(about.st_mode))
        bytes = std::make_unique<CBufferedFile>(fd, static_cast<int64_t>(about.st_size));
    else if (fd >= 0)
        ::close(fd);
    {
        // libsndfile keeps the reason a file did not open in one global.
        static std::mutex opening;
        std::lock_guard<std::mutex> hold(opening);
        if (bytes && !(file = sf_open_virtual(CBufferedFile::calls(), SFM_READ, &info, bytes.get())))
        {
            // What libsndfile tells apart only by the name, it is given the name.
            bytes.reset();
            info = SF_INFO{};
        }
        if (!file && !(file = sf_open(report.path.c_str(), SFM_READ, &info)))
            reason = sf_strerror(nullptr);
    }
    if (!file)
        return nullptr;
    if (info.frames < 0 || info.frames == SF_COUNT_MAX)
    {
        sf_close(file);
        reason = "its length cannot be told";
        return nullptr;
    }
    report.format = formatName(info.format);
    report.channels = info.channels;
    report.sampleRate = info.samplerate;
    report.frames = info.frames;
    return std::make_unique<CSndfileSource>(file, std::move(bytes), info, chunkFrames);
}
