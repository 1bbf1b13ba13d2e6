#include "media/archive/PackageArchiveCompressedBzInputFile.h"

#include "app/core/HException.h"
#include "media/archive/PackageArchiveBzParallelDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <system_error>

namespace {
// "BZh", the level, then the first block's signature: a stream the blocks can be cut from.
constexpr size_t StartLength = 10;

bool startsWithBlock(const unsigned char *start)
{
    return std::memcmp(start, "BZh", 3) == 0 && start[3] >= '1' && start[3] <= '9'
        && std::memcmp(start + 4, "\x31\x41\x59\x26\x53\x59", 6) == 0;
}
} // namespace

PackageArchiveCompressedBzInputFile::PackageArchiveCompressedBzInputFile(FILE *stream)
    : PackageArchiveCompressedInputFile(stream)
{
    begin();
}

PackageArchiveCompressedBzInputFile::~PackageArchiveCompressedBzInputFile()
{
    try {
        end();
    } catch (const HException &) {
        // Nothing is left to decompress; a failed close only loses the handle.
    }
}

void PackageArchiveCompressedBzInputFile::begin()
{
    m_finished = false;
    resetPosition();
    unsigned char start[StartLength];
    const size_t got = std::fread(start, 1, sizeof start, stream());
    if (got == sizeof start && startsWithBlock(start)) {
        try {
            m_parallel = std::make_unique<PackageArchiveBzParallelDecoder>(stream(), start, got);
            return;
        } catch (const std::system_error &) {
            // No threads to be had: libbzip2 alone reads the stream all the same.
        }
    }
    // libbzip2 takes the bytes read so far as its first input.
    int status = BZ_OK;
    m_handle = BZ2_bzReadOpen(&status, stream(), 0, 0, start, int(got));
    if (!m_handle || status != BZ_OK) {
        if (m_handle)
            BZ2_bzReadClose(&status, m_handle);
        m_handle = nullptr;
        throw HException("cannot initialise inflate");
    }
}

void PackageArchiveCompressedBzInputFile::end()
{
    m_parallel.reset();
    if (!m_handle)
        return;
    int status = BZ_OK;
    BZ2_bzReadClose(&status, m_handle);
    m_handle = nullptr;
    if (status != BZ_OK)
        throw HException("error decompressing stream");
}

qint64 PackageArchiveCompressedBzInputFile::decompress(char *buffer, qint64 length)
{
    if (m_parallel)
        return m_parallel->read(buffer, length);
    if (!m_handle)
        throw HException("cannot initialise inflate");
    qint64 delivered = 0;
    constexpr qint64 Slice = std::numeric_limits<int>::max();
    while (delivered < length && !m_finished) {
        const int wanted = int(std::min(length - delivered, Slice));
        int status = BZ_OK;
        const int got = BZ2_bzRead(&status, m_handle, buffer + delivered, wanted);
        if (status < 0 || got < 0)
            throw HException("error reading from compressed stream");
        delivered += got;
        if (status == BZ_STREAM_END)
            m_finished = true;
        else if (got != wanted)
            throw HException("error reading from compressed stream");
    }
    return delivered;
}
