#include "media/archive/PackageArchiveTable.h"

#include "app/core/HException.h"

#include <algorithm>
#include <limits>

void PackageArchiveTable::reserve(quint32 count)
{
    m_records.reserve(count);
}

void PackageArchiveTable::append(QByteArrayView name, quint32 dataPosition, quint32 size, quint32 mode,
                                 quint32 modifiedSeconds)
{
    const quint64 length = quint64(name.size());
    quint64 start = m_records.empty() ? 0 : m_records.back().nameEnd;
    if (start % NameBlockSize + length > NameBlockSize)
        start = (start / NameBlockSize + 1) * NameBlockSize;
    // Offsets are 32 bits wide: names beyond 4 GiB in all cannot come from a real
    // payload, only from a forged table.
    if (length > NameBlockSize || start + length > std::numeric_limits<quint32>::max())
        throw HException("bad table of contents");
    if (length > 0) {
        const size_t block = size_t(start / NameBlockSize);
        while (m_nameBlocks.size() <= block)
            m_nameBlocks.emplace_back(qsizetype(NameBlockSize), Qt::Uninitialized);
        std::copy(name.cbegin(), name.cend(), m_nameBlocks[block].data() + start % NameBlockSize);
    }
    m_records.push_back(Record{quint32(start + length), dataPosition, size, mode, modifiedSeconds});
}

void PackageArchiveTable::clear()
{
    // Given back, not kept as capacity: a closed archive holds no memory.
    std::vector<Record>().swap(m_records);
    std::vector<quint32>().swap(m_byName);
    std::vector<QByteArray>().swap(m_nameBlocks);
}

QByteArrayView PackageArchiveTable::nameBytes(qsizetype index) const
{
    const quint32 end = m_records[size_t(index)].nameEnd;
    const quint32 previousEnd = index == 0 ? 0 : m_records[size_t(index) - 1].nameEnd;
    if (end == previousEnd)
        return QByteArrayView();
    const quint32 start = std::max(previousEnd, (end - 1) / NameBlockSize * NameBlockSize);
    return QByteArrayView(m_nameBlocks[start / NameBlockSize].constData() + start % NameBlockSize,
                          qsizetype(end - start));
}

PackageArchiveFile PackageArchiveTable::at(qsizetype index) const
{
    const Record &record = m_records[size_t(index)];
    const QByteArrayView name = nameBytes(index);
    return PackageArchiveFile(QString::fromLatin1(name.data(), name.size()), record.dataPosition, record.size,
                              record.mode, QDateTime::fromSecsSinceEpoch(qint64(record.modifiedSeconds), Qt::UTC));
}

void PackageArchiveTable::buildNameIndex()
{
    m_byName.resize(m_records.size());
    for (size_t index = 0; index < m_byName.size(); ++index)
        m_byName[index] = quint32(index);
    std::sort(m_byName.begin(), m_byName.end(), [this](quint32 a, quint32 b) {
        const int order = nameBytes(a).compare(nameBytes(b));
        return order != 0 ? order < 0 : a > b;
    });
}

qsizetype PackageArchiveTable::indexOf(const QString &name) const
{
    // Stored names are Latin-1: a name with any other character is not among them.
    const bool latin1 = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    if (!latin1)
        return -1;
    const QByteArray key = name.toLatin1();
    if (m_byName.empty()) {
        for (qsizetype index = size() - 1; index >= 0; --index) {
            if (nameBytes(index) == key)
                return index;
        }
        return -1;
    }
    const auto found = std::lower_bound(m_byName.cbegin(), m_byName.cend(), key,
                                        [this](quint32 index, const QByteArray &wanted) {
                                            return nameBytes(index).compare(wanted) < 0;
                                        });
    return (found != m_byName.cend() && nameBytes(*found) == key) ? qsizetype(*found) : -1;
}
