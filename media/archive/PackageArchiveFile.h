#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QExplicitlySharedDataPointer>
#include <QString>

// A handle to one member of an archive: a member read from an opened archive, or,
// while building one, a file taken from disk or contents taken from memory.
class PackageArchiveFile
{
public:
    enum Kind : quint32 {
        ArchiveMember = 1,
        DiskFile = 2,
        MemoryContents = 3,
    };

    // A member read from an archive's table of contents.
    PackageArchiveFile(const QString &name, quint32 dataPosition, quint32 size, quint32 mode,
                       const QDateTime &lastModified);
    // A file on disk to be packed under `name`.
    static PackageArchiveFile fromDisk(const QString &name, const QString &sourcePath, quint32 size,
                                       quint32 mode, const QDateTime &lastModified);
    // Contents held in memory to be packed under `name`.
    static PackageArchiveFile fromContents(const QString &name, const QByteArray &contents,
                                           quint32 mode, const QDateTime &lastModified);

    PackageArchiveFile(const PackageArchiveFile &other);
    PackageArchiveFile &operator=(const PackageArchiveFile &other);
    virtual ~PackageArchiveFile();

    Kind kind() const;
    QString name() const;
    QString sourcePath() const;
    quint32 dataPosition() const;
    quint32 size() const;
    quint32 mode() const;
    QDateTime lastModified() const;
    bool isMarked() const;
    QByteArray contents() const;

    void setDataPosition(quint32 position);
    void setMarked(bool marked);

private:
    struct Record;
    explicit PackageArchiveFile(Record *record);

    QExplicitlySharedDataPointer<Record> m_record;
};
