#include "ArchiveFixture.h"

#include <QFile>
#include <bzlib.h>
#include <zlib.h>

namespace {
constexpr quint32 CurrentMagic = 0x71F5C6B1;
constexpr quint32 WrappedMagic = 0xB231F47A;
constexpr quint32 LegacyMagic = 0x4152C3C8;
constexpr int LegacyRecordSize = 1040;
}

ArchiveFixture::Member &ArchiveFixture::add(const QByteArray &name, const QByteArray &data)
{
    Member member;
    member.name = name;
    member.data = data;
    m_members.append(member);
    return m_members.last();
}

quint32 ArchiveFixture::storedCount() const
{
    return m_storedCount >= 0 ? quint32(m_storedCount) : quint32(m_members.size());
}

QByteArray ArchiveFixture::legacyImage(quint32 base) const
{
    QByteArray table = le32(LegacyMagic) + le32(storedCount());
    quint32 position = base + 8 + quint32(m_members.size()) * LegacyRecordSize;
    QByteArray data;
    for (const Member &member : m_members) {
        QByteArray record = member.name.left(1023);
        record.append(QByteArray(1024 - record.size(), '\0'));
        record += le32(member.storedPosition >= 0 ? quint32(member.storedPosition) : position);
        record += le32(member.storedSize >= 0 ? quint32(member.storedSize) : quint32(member.data.size()));
        record += le32(member.readOnly ? 0x101 : 0x100); // only the low byte counts
        record += le32(member.time);
        table += record;
        position += quint32(member.data.size());
        data += member.data;
    }
    return table + data;
}

QByteArray ArchiveFixture::version2Image() const
{
    QByteArray table = le32(storedCount()) + QByteArray(16, '\0');
    quint32 position = 20;
    for (const Member &member : m_members)
        position += 18 + quint32(member.name.size());
    QByteArray data;
    for (const Member &member : m_members) {
        table += le16(quint32(member.name.size()));
        table += le32(member.storedPosition >= 0 ? quint32(member.storedPosition) : position);
        table += le32(member.storedSize >= 0 ? quint32(member.storedSize) : quint32(member.data.size()));
        table += le32(member.mode);
        table += le32(member.time);
        table += member.name;
        position += quint32(member.data.size());
        data += member.data;
    }
    return table + data;
}

QByteArray ArchiveFixture::build(Layout layout, Method method, quint32 offset) const
{
    switch (layout) {
    case LegacyPlain:
        return legacyImage(offset);
    case WrappedLegacy:
        return le32(WrappedMagic) + le32(1) + le32(0) + zlib(legacyImage());
    case CurrentVersion1:
        return currentHeader(1, method) + compress(legacyImage(), method);
    case CurrentVersion2:
        return currentHeader(2, method) + compress(version2Image(), method);
    }
    return QByteArray();
}

QByteArray ArchiveFixture::currentHeader(quint32 version, quint32 method)
{
    return le32(CurrentMagic) + le16(version | (method << 12)) + le16(0);
}

QByteArray ArchiveFixture::compress(const QByteArray &data, Method method)
{
    return method == Bzip2 ? bzip2(data) : zlib(data);
}

QByteArray ArchiveFixture::zlib(const QByteArray &data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &length,
              reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()), 6);
    out.resize(qsizetype(length));
    return out;
}

QByteArray ArchiveFixture::bzip2(const QByteArray &data)
{
    unsigned int length = unsigned(data.size() + data.size() / 100 + 600);
    QByteArray out(qsizetype(length), '\0');
    BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char *>(data.constData()),
                             unsigned(data.size()), 9, 0, 30);
    out.resize(qsizetype(length));
    return out;
}

QByteArray ArchiveFixture::le16(quint32 value)
{
    QByteArray out;
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
    return out;
}

QByteArray ArchiveFixture::le32(quint32 value)
{
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
    return out;
}

QString ArchiveFixture::writeFile(const QString &folder, const QString &name, const QByteArray &archive,
                                  const QByteArray &prefix)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(prefix);
    file.write(archive);
    return path;
}

QByteArray ArchiveFixture::sampleData(int size, int seed)
{
    // Mixes runs (compressible) with a cheap pseudo-random sequence (not).
    QByteArray out(size, '\0');
    quint32 state = quint32(seed) * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = (i / 64) % 2 ? char('a' + (i + seed) % 26) : char(state >> 24);
    }
    return out;
}
