#pragma once

#include "media/archive/PackageArchiveCompressedOutputFile.h"

#include <array>
#include <zlib.h>

// Writes a zlib stream (zlib wrapper) at the stored level.
class PackageArchiveCompressedGzOutputFile : public PackageArchiveCompressedOutputFile
{
public:
    PackageArchiveCompressedGzOutputFile(FILE *stream, quint32 level);
    ~PackageArchiveCompressedGzOutputFile() override;

    void writeCompressed(const char *buffer, qint64 length) override;
    void begin() override;
    void finish() override;

private:
    static constexpr int OutputBlockSize = 16384;

    void deflateInput(int flush);

    z_stream m_zstream{};
    std::array<unsigned char, OutputBlockSize> m_output{};
    bool m_started = false;
};
