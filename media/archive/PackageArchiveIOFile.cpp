#include "media/archive/PackageArchiveIOFile.h"

PackageArchiveIOFile::PackageArchiveIOFile(FILE *stream)
    : m_stream(stream)
{
}

PackageArchiveIOFile::~PackageArchiveIOFile()
{
    if (m_stream)
        std::fclose(m_stream);
}

qint64 PackageArchiveIOFile::read(char *buffer, qint64 length)
{
    if (length < 1)
        return 0;
    return qint64(std::fread(buffer, 1, size_t(length), m_stream));
}

qint64 PackageArchiveIOFile::write(const char *buffer, qint64 length)
{
    if (length < 1)
        return 0;
    return qint64(std::fwrite(buffer, 1, size_t(length), m_stream));
}

bool PackageArchiveIOFile::seek(quint32 position)
{
    return fseeko(m_stream, off_t(position), SEEK_SET) == 0;
}

quint64 PackageArchiveIOFile::position() const
{
    const off_t at = ftello(m_stream);
    return at < 0 ? 0 : quint64(at);
}
