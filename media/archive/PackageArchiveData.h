#pragma once

#include "media/archive/PackageArchiveIOFileInterface.h"
#include "media/archive/PackageArchiveTable.h"

#include <memory>

// What an open archive holds: its stream and its table of members.
class PackageArchiveData
{
public:
    PackageArchiveData();
    virtual ~PackageArchiveData();

    PackageArchiveData(const PackageArchiveData &) = delete;
    PackageArchiveData &operator=(const PackageArchiveData &) = delete;

    void clear();

    std::unique_ptr<PackageArchiveIOFileInterface> stream;
    PackageArchiveTable table;
    quint32 formatVersion = 1;
    quint32 compressionMethod = 0;
};
