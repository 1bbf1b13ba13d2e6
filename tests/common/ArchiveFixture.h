#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds package archive images byte by byte for tests, in every layout the reader
// accepts, and lets a test forge any table field the writer would get right.
class ArchiveFixture
{
public:
    enum Layout {
        LegacyPlain,     // legacy header, records and data, uncompressed
        WrappedLegacy,   // wrapper header, then a zlib stream holding a legacy image
        CurrentVersion1, // current header with version 1, a stream holding a legacy image
        CurrentVersion2, // current header with version 2, a stream holding the v2 table
    };
    enum Method : quint32 { Zlib = 0, Bzip2 = 1 };

    struct Member
    {
        QByteArray name;
        QByteArray data;
        quint32 mode = 0100644;
        quint32 time = 1500000000;
        bool readOnly = false;
        qint64 storedSize = -1;     // forged size when not negative
        qint64 storedPosition = -1; // forged position when not negative
    };

    Member &add(const QByteArray &name, const QByteArray &data);
    QList<Member> &members() { return m_members; }
    void setStoredCount(qint64 count) { m_storedCount = count; }

    // The decompressed content: header (legacy) or inner header (v2), records, data
    // in table order. `base` is the position of the image's first byte in the stream
    // that positions count from (non-zero for a plain legacy archive inside a file).
    QByteArray legacyImage(quint32 base = 0) const;
    QByteArray version2Image() const;

    // The archive bytes as they start at the archive's offset.
    QByteArray build(Layout layout, Method method = Zlib, quint32 offset = 0) const;

    static QByteArray currentHeader(quint32 version, quint32 method);
    static QByteArray compress(const QByteArray &data, Method method);
    static QByteArray zlib(const QByteArray &data);
    static QByteArray bzip2(const QByteArray &data);
    static QByteArray le16(quint32 value);
    static QByteArray le32(quint32 value);

    // Writes `prefix` followed by `archive` to folder/name; returns the path.
    static QString writeFile(const QString &folder, const QString &name, const QByteArray &archive,
                             const QByteArray &prefix = QByteArray());

    static QByteArray sampleData(int size, int seed);

private:
    quint32 storedCount() const;

    QList<Member> m_members;
    qint64 m_storedCount = -1;
};
