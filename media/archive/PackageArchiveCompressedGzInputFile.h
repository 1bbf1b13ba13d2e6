#pragma once

#include "media/archive/PackageArchiveCompressedInputFile.h"

#include <array>
#include <zlib.h>

// Reads a zlib stream (zlib wrapper, not gzip) from the file.
class PackageArchiveCompressedGzInputFile : public PackageArchiveCompressedInputFile
{
public:
    explicit PackageArchiveCompressedGzInputFile(FILE *stream);
    ~PackageArchiveCompressedGzInputFile() override;

    void begin() override;
    void end() override;
    qint64 decompress(char *buffer, qint64 length) override;

private:
    static constexpr int InputBufferSize = 16384;

    z_stream m_zstream{};
    std::array<unsigned char, InputBufferSize> m_input{};
    bool m_started = false;
    bool m_finished = false;
};
