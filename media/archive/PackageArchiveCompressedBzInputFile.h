#pragma once

#include "media/archive/PackageArchiveCompressedInputFile.h"

#include <bzlib.h>
#include <memory>

class PackageArchiveBzParallelDecoder;

// Reads a bzip2 stream from the file. A usual stream is decoded block by block on
// several threads; anything else (and a machine that will not give us threads) goes
// through libbzip2's stdio interface, which also reports what is wrong with it.
class PackageArchiveCompressedBzInputFile : public PackageArchiveCompressedInputFile
{
public:
    explicit PackageArchiveCompressedBzInputFile(FILE *stream);
    ~PackageArchiveCompressedBzInputFile() override;

    void begin() override;
    void end() override;
    qint64 decompress(char *buffer, qint64 length) override;

private:
    std::unique_ptr<PackageArchiveBzParallelDecoder> m_parallel;
    BZFILE *m_handle = nullptr;
    bool m_finished = false;
};
