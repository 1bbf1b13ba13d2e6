#pragma once

#include "media/archive/PackageArchiveFile.h"

#include <QList>
#include <QSet>
#include <QString>

class PackageArchive;

// Builds a current-format (version 2) archive: the table of contents followed by
// every member's data in table order, all inside one zlib or bzip2 stream. The
// archive object supplies the output stream and the prefix hook.
class PackageArchiveWriter
{
public:
    static constexpr int DefaultLevel = 7;

    explicit PackageArchiveWriter(PackageArchive &archive);

    void setCompressionMethod(quint32 method);
    quint32 compressionMethod() const { return m_method; }
    // Levels are clamped to 0..9.
    void setLevel(int level);
    int level() const { return m_level; }

    // Adds every file below `folder`, walking entries sorted by name, each named by
    // its path relative to `folder` with "/" separators.
    void addFolder(const QString &folder);
    void addFile(const QString &name, const QString &sourcePath);
    void addContents(const QString &name, const QByteArray &contents, quint32 mode,
                     const QDateTime &lastModified);
    const QList<PackageArchiveFile> &members() const { return m_members; }

    // Writes the archive; on failure the partly written file is removed.
    void write(const QString &fileName);

private:
    void walk(const QString &folder, const QString &prefix, QSet<QString> &visited);
    void writeArchive(const QString &fileName);

    PackageArchive &m_archive;
    quint32 m_method = 0;
    int m_level = DefaultLevel;
    QList<PackageArchiveFile> m_members;
};
