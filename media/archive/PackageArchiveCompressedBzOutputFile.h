#pragma once

#include "media/archive/PackageArchiveCompressedOutputFile.h"

#include <bzlib.h>

// Writes a bzip2 stream through libbzip2's stdio interface; the level is the block
// size (at least 1) and the work factor is 30.
class PackageArchiveCompressedBzOutputFile : public PackageArchiveCompressedOutputFile
{
public:
    PackageArchiveCompressedBzOutputFile(FILE *stream, quint32 level);
    ~PackageArchiveCompressedBzOutputFile() override;

    void writeCompressed(const char *buffer, qint64 length) override;
    void begin() override;
    void finish() override;

private:
    BZFILE *m_handle = nullptr;
};
