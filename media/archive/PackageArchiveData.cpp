#include "media/archive/PackageArchiveData.h"

#include <algorithm>

PackageArchiveData::PackageArchiveData() = default;

PackageArchiveData::~PackageArchiveData()
{
    clear();
}

void PackageArchiveData::append(const PackageArchiveFile &file)
{
    m_owned.push_back(std::make_unique<PackageArchiveFile>(file));
    files.append(m_owned.back().get());
}

void PackageArchiveData::buildNameIndex()
{
    filesByName.clear();
    filesByName.reserve(files.size());
    std::copy(files.crbegin(), files.crend(), std::back_inserter(filesByName));
    std::stable_sort(filesByName.begin(), filesByName.end(),
                     [](const PackageArchiveFile *a, const PackageArchiveFile *b) {
                         return a->name() < b->name();
                     });
}

void PackageArchiveData::clear()
{
    filesByName.clear();
    files.clear();
    m_owned.clear();
    stream.reset();
}
