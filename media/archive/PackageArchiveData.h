#pragma once

#include "media/archive/PackageArchiveFile.h"
#include "media/archive/PackageArchiveIOFileInterface.h"

#include <QList>
#include <memory>
#include <vector>

// What an open archive holds: its stream, its members in table-of-contents order
// and, when asked for, the same members sorted by name.
class PackageArchiveData
{
public:
    PackageArchiveData();
    virtual ~PackageArchiveData();

    PackageArchiveData(const PackageArchiveData &) = delete;
    PackageArchiveData &operator=(const PackageArchiveData &) = delete;

    void append(const PackageArchiveFile &file);
    // Sorts by name; among equal names the one later in the table comes first, so
    // a lookup by name finds the last of them.
    void buildNameIndex();
    void clear();

    std::unique_ptr<PackageArchiveIOFileInterface> stream;
    QList<const PackageArchiveFile *> files;
    QList<const PackageArchiveFile *> filesByName;
    quint32 formatVersion = 1;
    quint32 compressionMethod = 0;

private:
    std::vector<std::unique_ptr<PackageArchiveFile>> m_owned;
};
