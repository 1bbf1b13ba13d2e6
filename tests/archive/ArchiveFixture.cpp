#include "ArchiveFixture.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <bzlib.h>

namespace ArchiveFixture {
namespace {

QByteArray le(quint32 value, int width = 4)
{
    const quint32 little = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&little), width);
}

QByteArray compress(const QByteArray &data, Method method)
{
    return method == Zlib ? qCompress(data, 6).mid(4) : bzip2(data); // a zlib stream behind Qt's length prefix
}

} // namespace

QByteArray bzip2(const QByteArray &data, int level)
{
    QByteArray out(data.size() + data.size() / 100 + 600, '\0');
    unsigned int length = unsigned(out.size());
    if (BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char *>(data.constData()), unsigned(data.size()),
                                 level, 0, 30) != BZ_OK)
        return QByteArray();
    return out.left(int(length));
}

QByteArray image(const Members &members, bool legacy, quint32 base, qint64 count)
{
    const quint32 stored = count >= 0 ? quint32(count) : quint32(members.size());
    QByteArray table = legacy ? le(0x4152C3C8) + le(stored) : le(stored) + QByteArray(16, '\0'), data;
    quint32 position = base + quint32(table.size());
    for (const Member &member : members)
        position += legacy ? 1040 : 18 + quint32(member.name.size());
    for (const Member &member : members) {
        const QByteArray fields = le(member.position >= 0 ? quint32(member.position) : position)
            + le(member.size >= 0 ? quint32(member.size) : quint32(member.data.size()));
        if (legacy) // only the flag's low byte counts
            table += member.name.leftJustified(1024, '\0', true) + fields + le(member.readOnly ? 0x101 : 0x100)
                + le(member.time);
        else
            table += le(quint32(member.name.size()), 2) + fields + le(member.mode) + le(member.time) + member.name;
        position += quint32(member.data.size());
        data += member.data;
    }
    return table + data;
}

QByteArray wrap(Layout layout, Method method, const QByteArray &content)
{
    if (layout == LegacyPlain)
        return content;
    if (layout == WrappedLegacy)
        return le(0xB231F47A) + le(1) + le(0) + compress(content, Zlib);
    return header(layout == CurrentVersion1 ? 1 : 2, method) + compress(content, method);
}

QByteArray build(const Members &members, Layout layout, Method method, quint32 offset)
{
    // Only a plain legacy archive counts positions in its file; the others count in their stream.
    return wrap(layout, method, image(members, layout != CurrentVersion2, layout == LegacyPlain ? offset : 0));
}

QByteArray header(quint32 version, quint32 method)
{
    return le(0x71F5C6B1) + le(version | method << 12, 2) + le(0, 2);
}

QByteArray noise(int size, int seed)
{
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(quint32(seed)).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.constData()), size);
}

QString write(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QFile file(folder + QLatin1Char('/') + name);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    return written ? file.fileName() : QString();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct stat statusOf(const QString &path)
{
    struct stat status{};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace ArchiveFixture
