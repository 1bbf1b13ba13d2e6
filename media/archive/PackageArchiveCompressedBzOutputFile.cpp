#include "media/archive/PackageArchiveCompressedBzOutputFile.h"

#include "app/core/HException.h"

#include <algorithm>
#include <limits>

namespace {
constexpr int WorkFactor = 30;
}

PackageArchiveCompressedBzOutputFile::PackageArchiveCompressedBzOutputFile(FILE *stream, quint32 level)
    : PackageArchiveCompressedOutputFile(stream, level)
{
    begin();
}

PackageArchiveCompressedBzOutputFile::~PackageArchiveCompressedBzOutputFile()
{
    if (m_handle) {
        int status = BZ_OK;
        BZ2_bzWriteClose(&status, m_handle, 1, nullptr, nullptr);
    }
}

void PackageArchiveCompressedBzOutputFile::begin()
{
    const int blockSize = int(std::clamp<quint32>(level(), 1, 9));
    int status = BZ_OK;
    m_handle = BZ2_bzWriteOpen(&status, stream(), blockSize, 0, WorkFactor);
    if (!m_handle || status != BZ_OK) {
        m_handle = nullptr;
        throw HException("cannot initialise deflate");
    }
}

void PackageArchiveCompressedBzOutputFile::writeCompressed(const char *buffer, qint64 length)
{
    if (!m_handle)
        throw HException("cannot initialise deflate");
    constexpr qint64 Slice = std::numeric_limits<int>::max();
    qint64 done = 0;
    while (done < length) {
        const int slice = int(std::min(length - done, Slice));
        int status = BZ_OK;
        BZ2_bzWrite(&status, m_handle, const_cast<char *>(buffer + done), slice);
        if (status == BZ_IO_ERROR)
            throw HException("error writing to compressed stream");
        if (status != BZ_OK)
            throw HException("error compressing stream");
        done += slice;
    }
}

void PackageArchiveCompressedBzOutputFile::finish()
{
    if (!m_handle)
        throw HException("cannot initialise deflate");
    int status = BZ_OK;
    BZ2_bzWriteClose(&status, m_handle, 0, nullptr, nullptr);
    m_handle = nullptr;
    if (status == BZ_IO_ERROR)
        throw HException("error writing to compressed stream");
    if (status != BZ_OK)
        throw HException("error compressing stream");
    if (std::fflush(stream()) != 0)
        throw HException("error writing to compressed stream");
}
