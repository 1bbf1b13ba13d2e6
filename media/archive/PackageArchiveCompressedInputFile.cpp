#include "media/archive/PackageArchiveCompressedInputFile.h"

#include "app/core/HException.h"

#include <algorithm>
#include <vector>

namespace {
// Forward seeks decompress and discard in blocks of this size.
constexpr qint64 DiscardBlock = 16384;
}

PackageArchiveCompressedInputFile::PackageArchiveCompressedInputFile(FILE *stream)
    : PackageArchiveIOFile(stream)
{
    const off_t at = ftello(stream);
    m_startPosition = at < 0 ? 0 : quint32(at);
}

PackageArchiveCompressedInputFile::~PackageArchiveCompressedInputFile() = default;

qint64 PackageArchiveCompressedInputFile::read(char *buffer, qint64 length)
{
    if (length < 1)
        return 0;
    readCompressed(buffer, length);
    m_position += quint64(length);
    return length;
}

qint64 PackageArchiveCompressedInputFile::write(const char *, qint64)
{
    return 0;
}

qint64 PackageArchiveCompressedInputFile::readAvailable(char *buffer, qint64 length)
{
    if (length < 1)
        return 0;
    const qint64 delivered = decompress(buffer, length);
    m_position += quint64(delivered);
    return delivered;
}

void PackageArchiveCompressedInputFile::readCompressed(char *buffer, qint64 length)
{
    if (decompress(buffer, length) != length)
        throw HException("error reading from compressed stream");
}

bool PackageArchiveCompressedInputFile::seek(quint32 target)
{
    if (m_position > target)
        restart();
    if (m_position == target)
        return true;
    std::vector<char> discard(size_t(std::min<quint64>(DiscardBlock, target - m_position)));
    while (m_position < target) {
        const qint64 wanted = qint64(std::min<quint64>(DiscardBlock, target - m_position));
        if (readAvailable(discard.data(), wanted) != wanted)
            return false;
    }
    return true;
}

void PackageArchiveCompressedInputFile::restart()
{
    end();
    fseeko(stream(), off_t(m_startPosition), SEEK_SET);
    m_position = 0;
    begin();
}
