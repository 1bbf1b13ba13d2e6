#include "media/archive/PackageArchiveCompressedGzInputFile.h"

#include "app/core/HException.h"

#include <algorithm>
#include <limits>

PackageArchiveCompressedGzInputFile::PackageArchiveCompressedGzInputFile(FILE *stream)
    : PackageArchiveCompressedInputFile(stream)
{
    begin();
}

PackageArchiveCompressedGzInputFile::~PackageArchiveCompressedGzInputFile()
{
    end();
}

void PackageArchiveCompressedGzInputFile::begin()
{
    m_zstream = z_stream{};
    if (inflateInit(&m_zstream) != Z_OK)
        throw HException("cannot initialise inflate");
    m_started = true;
    m_finished = false;
    resetPosition();
}

void PackageArchiveCompressedGzInputFile::end()
{
    if (m_started)
        inflateEnd(&m_zstream);
    m_started = false;
}

qint64 PackageArchiveCompressedGzInputFile::decompress(char *buffer, qint64 length)
{
    if (!m_started)
        throw HException("cannot initialise inflate");
    qint64 delivered = 0;
    // inflate counts in 32-bit units; very large reads go in slices.
    constexpr qint64 Slice = std::numeric_limits<uInt>::max();
    while (delivered < length && !m_finished) {
        const qint64 slice = std::min(length - delivered, Slice);
        m_zstream.next_out = reinterpret_cast<Bytef *>(buffer + delivered);
        m_zstream.avail_out = uInt(slice);
        while (m_zstream.avail_out > 0) {
            if (m_zstream.avail_in == 0) {
                const size_t got = std::fread(m_input.data(), 1, m_input.size(), stream());
                if (got == 0)
                    throw HException("error reading stream");
                m_zstream.next_in = m_input.data();
                m_zstream.avail_in = uInt(got);
            }
            const int result = inflate(&m_zstream, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                // Whatever follows the stream in the file is not ours to decode.
                m_finished = true;
                break;
            }
            if (result != Z_OK)
                throw HException("error reading from compressed stream");
        }
        delivered += slice - qint64(m_zstream.avail_out);
    }
    return delivered;
}
