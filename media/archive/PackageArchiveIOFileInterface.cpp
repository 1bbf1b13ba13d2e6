#include "media/archive/PackageArchiveIOFileInterface.h"

PackageArchiveIOFileInterface::~PackageArchiveIOFileInterface() = default;

qint64 PackageArchiveIOFileInterface::readAvailable(char *buffer, qint64 length)
{
    return read(buffer, length);
}
