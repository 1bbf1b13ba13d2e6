#include "media/archive/PackageArchiveCompressedBzInputFile.h"

#include "app/core/HException.h"

#include <algorithm>
#include <limits>

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
    int status = BZ_OK;
    m_handle = BZ2_bzReadOpen(&status, stream(), 0, 0, nullptr, 0);
    if (!m_handle || status != BZ_OK) {
        if (m_handle)
            BZ2_bzReadClose(&status, m_handle);
        m_handle = nullptr;
        throw HException("cannot initialise inflate");
    }
    m_finished = false;
    resetPosition();
}

void PackageArchiveCompressedBzInputFile::end()
{
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
