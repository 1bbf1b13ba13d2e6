#include "media/archive/PackageArchiveCompressedGzOutputFile.h"

#include "app/core/HException.h"

#include <algorithm>
#include <limits>

PackageArchiveCompressedGzOutputFile::PackageArchiveCompressedGzOutputFile(FILE *stream, quint32 level)
    : PackageArchiveCompressedOutputFile(stream, level)
{
    begin();
}

PackageArchiveCompressedGzOutputFile::~PackageArchiveCompressedGzOutputFile()
{
    if (m_started)
        deflateEnd(&m_zstream);
}

void PackageArchiveCompressedGzOutputFile::begin()
{
    m_zstream = z_stream{};
    if (deflateInit(&m_zstream, int(std::min<quint32>(level(), 9))) != Z_OK)
        throw HException("cannot initialise deflate");
    m_started = true;
}

void PackageArchiveCompressedGzOutputFile::writeCompressed(const char *buffer, qint64 length)
{
    if (!m_started)
        throw HException("cannot initialise deflate");
    constexpr qint64 Slice = std::numeric_limits<uInt>::max();
    qint64 done = 0;
    while (done < length) {
        const qint64 slice = std::min(length - done, Slice);
        m_zstream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(buffer + done));
        m_zstream.avail_in = uInt(slice);
        deflateInput(Z_NO_FLUSH);
        done += slice;
    }
}

void PackageArchiveCompressedGzOutputFile::finish()
{
    if (!m_started)
        throw HException("cannot initialise deflate");
    m_zstream.next_in = nullptr;
    m_zstream.avail_in = 0;
    deflateInput(Z_FINISH);
    deflateEnd(&m_zstream);
    m_started = false;
    if (std::fflush(stream()) != 0)
        throw HException("error writing to compressed stream");
}

void PackageArchiveCompressedGzOutputFile::deflateInput(int flush)
{
    for (;;) {
        m_zstream.next_out = m_output.data();
        m_zstream.avail_out = uInt(m_output.size());
        const int result = deflate(&m_zstream, flush);
        if (result == Z_STREAM_ERROR)
            throw HException("error compressing stream");
        const size_t produced = m_output.size() - m_zstream.avail_out;
        if (produced > 0 && std::fwrite(m_output.data(), 1, produced, stream()) != produced)
            throw HException("error writing to compressed stream");
        if (flush == Z_FINISH ? result == Z_STREAM_END
                              : (m_zstream.avail_in == 0 && m_zstream.avail_out > 0))
            return;
        if (result != Z_OK && result != Z_BUF_ERROR)
            throw HException("error compressing stream");
    }
}
