#pragma once

#include <QtGlobal>

// A byte stream the archive reads its table and members from. Reads either deliver
// what was asked or throw; only a clean end of the data makes them deliver less.
class PackageArchiveIOFileInterface
{
public:
    virtual ~PackageArchiveIOFileInterface();

    // Returns the number of bytes read.
    virtual qint64 read(char *buffer, qint64 length) = 0;
    // Returns the number of bytes written.
    virtual qint64 write(const char *buffer, qint64 length) = 0;
    // Returns false when the data ends before `position`.
    virtual bool seek(quint32 position) = 0;

    // Like read, but a stream that ends cleanly delivers what it still holds instead
    // of failing; corrupt data still throws.
    virtual qint64 readAvailable(char *buffer, qint64 length);
    // Bytes delivered so far, counted from the start of the data.
    virtual quint64 position() const = 0;

protected:
    PackageArchiveIOFileInterface() = default;
    PackageArchiveIOFileInterface(const PackageArchiveIOFileInterface &) = delete;
    PackageArchiveIOFileInterface &operator=(const PackageArchiveIOFileInterface &) = delete;
};
