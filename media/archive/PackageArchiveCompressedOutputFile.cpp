#include "media/archive/PackageArchiveCompressedOutputFile.h"

PackageArchiveCompressedOutputFile::PackageArchiveCompressedOutputFile(FILE *stream, quint32 level)
    : PackageArchiveIOFile(stream)
    , m_level(level)
{
}

PackageArchiveCompressedOutputFile::~PackageArchiveCompressedOutputFile() = default;

qint64 PackageArchiveCompressedOutputFile::read(char *, qint64)
{
    return 0;
}

qint64 PackageArchiveCompressedOutputFile::write(const char *buffer, qint64 length)
{
    if (length < 1)
        return 0;
    writeCompressed(buffer, length);
    return length;
}

bool PackageArchiveCompressedOutputFile::seek(quint32)
{
    // A compressed stream is written strictly in order.
    return false;
}
