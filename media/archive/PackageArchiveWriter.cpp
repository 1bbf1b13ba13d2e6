#include "media/archive/PackageArchiveWriter.h"

#include "app/core/HException.h"
#include "media/archive/PackageArchive.h"
#include "media/archive/PackageArchiveCompressedOutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr quint32 CurrentMagic = 0x71F5C6B1;
constexpr quint32 FormatVersion = 2;
constexpr quint64 InnerHeaderSize = 20;
constexpr quint64 RecordSize = 18;
constexpr quint64 PositionLimit = std::numeric_limits<quint32>::max();
constexpr qint64 CopyBlock = qint64(1) << 20;

void putLe16(QByteArray &out, quint32 value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void putLe32(QByteArray &out, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

quint32 storedSeconds(const QDateTime &time)
{
    return quint32(std::clamp<qint64>(time.toSecsSinceEpoch(), 0, PositionLimit));
}

QByteArray storedName(const QString &name)
{
    const QByteArray bytes = name.toLatin1();
    if (QString::fromLatin1(bytes) != name || bytes.contains('\0'))
        throw HException("cannot store file name " + name.toUtf8());
    if (bytes.size() > 0xffff)
        throw HException("file name too long " + bytes);
    return bytes;
}

struct FileCloser
{
    void operator()(FILE *stream) const { std::fclose(stream); }
};

// Copies one file from disk into the stream, exactly `size` bytes.
void copyFileInto(PackageArchiveCompressedOutputFile &out, const PackageArchiveFile &member)
{
    const QByteArray path = QFile::encodeName(member.sourcePath());
    std::unique_ptr<FILE, FileCloser> in(std::fopen(path.constData(), "rb"));
    if (!in)
        throw HException("cannot read input file " + path);
    std::vector<char> block(size_t(std::min<qint64>(CopyBlock, std::max<qint64>(member.size(), 1))));
    qint64 left = member.size();
    while (left > 0) {
        const size_t wanted = size_t(std::min<qint64>(left, qint64(block.size())));
        if (std::fread(block.data(), 1, wanted, in.get()) != wanted)
            throw HException("cannot read input file " + path);
        out.write(block.data(), qint64(wanted));
        left -= qint64(wanted);
    }
}

} // namespace

PackageArchiveWriter::PackageArchiveWriter(PackageArchive &archive)
    : m_archive(archive)
{
}

void PackageArchiveWriter::setCompressionMethod(quint32 method)
{
    m_method = method;
}

void PackageArchiveWriter::setLevel(int level)
{
    m_level = std::clamp(level, 0, 9);
}

void PackageArchiveWriter::addFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        throw HException("not a folder: " + QFile::encodeName(folder));
    QSet<QString> visited;
    walk(info.absoluteFilePath(), QString(), visited);
}

void PackageArchiveWriter::walk(const QString &folder, const QString &prefix, QSet<QString> &visited)
{
    // A linked folder that leads back up the tree would otherwise be walked forever.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (visited.contains(canonical))
        return;
    visited.insert(canonical);

    QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(entries.begin(), entries.end());
    for (const QString &entry : entries) {
        const QString path = folder + QLatin1Char('/') + entry;
        const QString name = prefix.isEmpty() ? entry : prefix + QLatin1Char('/') + entry;
        const QFileInfo info(path);
        if (info.isDir())
            walk(path, name, visited);
        else if (info.isFile())
            addFile(name, path);
        else
            throw HException("not a regular file: " + QFile::encodeName(path));
    }
    visited.remove(canonical);
}

void PackageArchiveWriter::addFile(const QString &name, const QString &sourcePath)
{
    struct stat status {};
    if (::stat(QFile::encodeName(sourcePath).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        throw HException("cannot read input file " + QFile::encodeName(sourcePath));
    if (quint64(status.st_size) > PositionLimit)
        throw HException("file too large " + QFile::encodeName(sourcePath));
    storedName(name);
    m_members.append(PackageArchiveFile::fromDisk(
        name, sourcePath, quint32(status.st_size), quint32(status.st_mode),
        QDateTime::fromSecsSinceEpoch(qint64(status.st_mtime), Qt::UTC)));
}

void PackageArchiveWriter::addContents(const QString &name, const QByteArray &contents, quint32 mode,
                                       const QDateTime &lastModified)
{
    if (quint64(contents.size()) > PositionLimit)
        throw HException("file too large " + name.toUtf8());
    storedName(name);
    m_members.append(PackageArchiveFile::fromContents(name, contents, mode, lastModified));
}

void PackageArchiveWriter::write(const QString &fileName)
{
    try {
        writeArchive(fileName);
    } catch (...) {
        QFile::remove(fileName);
        throw;
    }
}

void PackageArchiveWriter::writeArchive(const QString &fileName)
{
    QByteArray table;
    putLe32(table, quint32(m_members.size()));
    table.append(QByteArray(InnerHeaderSize - 4, '\0'));
    quint64 tableSize = InnerHeaderSize;
    for (const PackageArchiveFile &member : std::as_const(m_members))
        tableSize += RecordSize + quint64(storedName(member.name()).size());

    quint64 position = tableSize;
    for (PackageArchiveFile &member : m_members) {
        if (position > PositionLimit)
            throw HException("archive too large");
        member.setDataPosition(quint32(position));
        position += member.size();
        const QByteArray name = storedName(member.name());
        putLe16(table, quint32(name.size()));
        putLe32(table, member.dataPosition());
        putLe32(table, member.size());
        putLe32(table, member.mode());
        putLe32(table, storedSeconds(member.lastModified()));
        table.append(name);
    }
    if (position > PositionLimit + 1)
        throw HException("archive too large");

    const QByteArray path = QFile::encodeName(fileName);
    FILE *stream = std::fopen(path.constData(), "wb");
    if (!stream)
        throw HException("cannot create archive file " + path);
    std::unique_ptr<FILE, FileCloser> guard(stream);
    m_archive.writePrefix(stream);

    QByteArray header;
    putLe32(header, CurrentMagic);
    putLe16(header, FormatVersion | (m_method << 12));
    putLe16(header, 0);
    if (std::fwrite(header.constData(), 1, size_t(header.size()), stream) != size_t(header.size()))
        throw HException("cannot write archive file " + path);

    const auto out = m_archive.createOutputFile(m_method, guard.release(), quint32(m_level));
    out->write(table.constData(), table.size());
    for (const PackageArchiveFile &member : std::as_const(m_members)) {
        if (member.kind() == PackageArchiveFile::DiskFile)
            copyFileInto(*out, member);
        else
            out->write(member.contents().constData(), member.contents().size());
    }
    out->finish();
}
