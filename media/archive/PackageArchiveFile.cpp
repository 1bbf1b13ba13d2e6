#include "media/archive/PackageArchiveFile.h"

#include <QSharedData>

struct PackageArchiveFile::Record : public QSharedData
{
    Kind kind = ArchiveMember;
    QString name;
    QString sourcePath;
    quint32 dataPosition = 0;
    quint32 size = 0;
    quint32 mode = 0;
    QDateTime lastModified;
    bool marked = false;
    QByteArray contents;
};

PackageArchiveFile::PackageArchiveFile(Record *record)
    : m_record(record)
{
}

PackageArchiveFile::PackageArchiveFile(const QString &name, quint32 dataPosition, quint32 size,
                                       quint32 mode, const QDateTime &lastModified)
    : m_record(new Record)
{
    m_record->name = name;
    m_record->dataPosition = dataPosition;
    m_record->size = size;
    m_record->mode = mode;
    m_record->lastModified = lastModified;
}

PackageArchiveFile PackageArchiveFile::fromDisk(const QString &name, const QString &sourcePath,
                                                quint32 size, quint32 mode,
                                                const QDateTime &lastModified)
{
    PackageArchiveFile file(name, 0, size, mode, lastModified);
    file.m_record->kind = DiskFile;
    file.m_record->sourcePath = sourcePath;
    return file;
}

PackageArchiveFile PackageArchiveFile::fromContents(const QString &name, const QByteArray &contents,
                                                    quint32 mode, const QDateTime &lastModified)
{
    PackageArchiveFile file(name, 0, quint32(contents.size()), mode, lastModified);
    file.m_record->kind = MemoryContents;
    file.m_record->contents = contents;
    return file;
}

PackageArchiveFile::PackageArchiveFile(const PackageArchiveFile &other) = default;
PackageArchiveFile &PackageArchiveFile::operator=(const PackageArchiveFile &other) = default;
PackageArchiveFile::~PackageArchiveFile() = default;

PackageArchiveFile::Kind PackageArchiveFile::kind() const { return m_record->kind; }
QString PackageArchiveFile::name() const { return m_record->name; }
QString PackageArchiveFile::sourcePath() const { return m_record->sourcePath; }
quint32 PackageArchiveFile::dataPosition() const { return m_record->dataPosition; }
quint32 PackageArchiveFile::size() const { return m_record->size; }
quint32 PackageArchiveFile::mode() const { return m_record->mode; }
QDateTime PackageArchiveFile::lastModified() const { return m_record->lastModified; }
bool PackageArchiveFile::isMarked() const { return m_record->marked; }
QByteArray PackageArchiveFile::contents() const { return m_record->contents; }

void PackageArchiveFile::setDataPosition(quint32 position) { m_record->dataPosition = position; }
void PackageArchiveFile::setMarked(bool marked) { m_record->marked = marked; }
