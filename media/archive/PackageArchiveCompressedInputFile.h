#pragma once

#include "media/archive/PackageArchiveIOFile.h"

// A decompressing stream that starts at the file position it was built at. It only
// moves forward: seeking backwards restarts decompression from the first byte.
// Subclasses start their decompressor in their constructor and release it in their
// destructor (the base cannot call them while they are being built or torn down).
class PackageArchiveCompressedInputFile : public PackageArchiveIOFile
{
public:
    ~PackageArchiveCompressedInputFile() override;

    qint64 read(char *buffer, qint64 length) override;
    qint64 write(const char *buffer, qint64 length) override;
    bool seek(quint32 position) override;
    qint64 readAvailable(char *buffer, qint64 length) override;
    quint64 position() const override { return m_position; }

    virtual void begin() = 0;
    virtual void end() = 0;
    // Fills the whole buffer or throws.
    virtual void readCompressed(char *buffer, qint64 length);
    // Fills the buffer; delivers less only when the compressed stream has ended.
    virtual qint64 decompress(char *buffer, qint64 length) = 0;

    quint32 startPosition() const { return m_startPosition; }

protected:
    explicit PackageArchiveCompressedInputFile(FILE *stream);

    void resetPosition() { m_position = 0; }

private:
    void restart();

    quint32 m_startPosition;
    quint64 m_position = 0;
};
