#include "media/archive/PackageArchiveData.h"

PackageArchiveData::PackageArchiveData() = default;

PackageArchiveData::~PackageArchiveData()
{
    clear();
}

void PackageArchiveData::clear()
{
    table.clear();
    stream.reset();
}
