#pragma once

#include "media/archive/PackageArchiveIOFile.h"

// A compressing stream written to the file at its current position. Subclasses
// start their compressor in their constructor; finish() must be called to complete
// the stream, otherwise the destructor abandons it.
class PackageArchiveCompressedOutputFile : public PackageArchiveIOFile
{
public:
    ~PackageArchiveCompressedOutputFile() override;

    qint64 read(char *buffer, qint64 length) override;
    qint64 write(const char *buffer, qint64 length) override;
    bool seek(quint32 position) override;

    virtual void writeCompressed(const char *buffer, qint64 length) = 0;
    virtual void begin() = 0;
    virtual void finish() = 0;

    quint32 level() const { return m_level; }

protected:
    PackageArchiveCompressedOutputFile(FILE *stream, quint32 level);

private:
    quint32 m_level;
};
