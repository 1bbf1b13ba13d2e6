#pragma once

#include "media/archive/PackageArchiveFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <iterator>
#include <vector>

// The members of an open archive in table-of-contents order, held compactly: a fixed
// record of 20 bytes each and the names packed one after another in blocks of 1 MiB,
// so that a table of a million members stays in a few tens of MiB and never needs a
// copy of itself to grow. Members are handed out as PackageArchiveFile values made
// when asked for.
class PackageArchiveTable
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = PackageArchiveFile;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = PackageArchiveFile;

        const_iterator(const PackageArchiveTable *table, qsizetype index) : m_table(table), m_index(index) {}
        PackageArchiveFile operator*() const { return m_table->at(m_index); }
        const_iterator &operator++() { ++m_index; return *this; }
        bool operator==(const const_iterator &other) const { return m_index == other.m_index; }
        bool operator!=(const const_iterator &other) const { return m_index != other.m_index; }

    private:
        const PackageArchiveTable *m_table;
        qsizetype m_index;
    };

    // Called with the count from the archive's header, so the records are allocated once.
    void reserve(quint32 count);
    // `name` is the member's name as stored: Latin-1 bytes.
    void append(QByteArrayView name, quint32 dataPosition, quint32 size, quint32 mode, quint32 modifiedSeconds);
    void clear();

    qsizetype size() const { return qsizetype(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    PackageArchiveFile at(qsizetype index) const;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    QByteArrayView nameBytes(qsizetype index) const;
    quint32 dataPosition(qsizetype index) const { return m_records[size_t(index)].dataPosition; }
    quint32 fileSize(qsizetype index) const { return m_records[size_t(index)].size; }

    // Sorts an index by name; among equal names the one later in the table comes
    // first, so a lookup by name finds the last of them. Without it, lookups scan.
    void buildNameIndex();
    // The index of the member called `name`, or -1.
    qsizetype indexOf(const QString &name) const;

private:
    // A name never straddles two blocks: one that does not fit in what is left of a
    // block starts the next one, so a name starts where the previous one ended or, if
    // that lies in an earlier block, at the start of the block its last byte is in.
    static constexpr quint32 NameBlockSize = 1u << 20;

    struct Record
    {
        quint32 nameEnd; // where the name ends in the sequence of all blocks
        quint32 dataPosition;
        quint32 size;
        quint32 mode;
        quint32 modifiedSeconds;
    };

    std::vector<Record> m_records;
    std::vector<QByteArray> m_nameBlocks;
    std::vector<quint32> m_byName;
};
