#pragma once

#include "media/archive/PackageArchiveCompressedInputFile.h"

#include <memory>
#include <vector>

struct inflate_state;

// Reads a zlib stream (zlib wrapper, not gzip) from the file. Inflating is most of an
// installation's work, so it runs on ISA-L, which also checks the stream's Adler-32.
class PackageArchiveCompressedGzInputFile : public PackageArchiveCompressedInputFile
{
public:
    explicit PackageArchiveCompressedGzInputFile(FILE *stream);
    ~PackageArchiveCompressedGzInputFile() override;

    void begin() override;
    void end() override;
    qint64 decompress(char *buffer, qint64 length) override;

private:
    static constexpr size_t InputBufferSize = 256 * 1024;

    std::unique_ptr<inflate_state> m_state;
    std::vector<unsigned char> m_input;
    bool m_started = false;
    bool m_finished = false;
};
