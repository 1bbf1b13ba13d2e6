#pragma once

#include "media/archive/PackageArchiveIOFileInterface.h"

#include <cstdio>

// A plain stream over a C stdio file that it owns and closes. Positions are
// absolute within the file.
class PackageArchiveIOFile : public PackageArchiveIOFileInterface
{
public:
    explicit PackageArchiveIOFile(FILE *stream);
    ~PackageArchiveIOFile() override;

    qint64 read(char *buffer, qint64 length) override;
    qint64 write(const char *buffer, qint64 length) override;
    bool seek(quint32 position) override;
    quint64 position() const override;

    FILE *stream() const { return m_stream; }

private:
    FILE *m_stream;
};
