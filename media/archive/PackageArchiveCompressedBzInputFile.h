#pragma once

#include "media/archive/PackageArchiveCompressedInputFile.h"

#include <bzlib.h>

// Reads a bzip2 stream from the file through libbzip2's stdio interface.
class PackageArchiveCompressedBzInputFile : public PackageArchiveCompressedInputFile
{
public:
    explicit PackageArchiveCompressedBzInputFile(FILE *stream);
    ~PackageArchiveCompressedBzInputFile() override;

    void begin() override;
    void end() override;
    qint64 decompress(char *buffer, qint64 length) override;

private:
    BZFILE *m_handle = nullptr;
    bool m_finished = false;
};
