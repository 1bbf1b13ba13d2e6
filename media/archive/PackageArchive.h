#pragma once

#include "media/archive/PackageArchiveFile.h"
#include "media/archive/PackageArchiveTable.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

class PackageArchiveCompressedInputFile;
class PackageArchiveCompressedOutputFile;
class PackageArchiveData;
class PackageArchiveIOFileInterface;

// A package archive opened for reading: the table of contents is held in memory,
// member contents are decompressed on demand. Every failure throws HException.
class PackageArchive : public QObject
{
    Q_OBJECT

public:
    enum OpenFlag : quint32 {
        IndexByName = 1,
    };

    explicit PackageArchive(const QString &fileName = QString(), QObject *parent = nullptr);
    ~PackageArchive() override;

    void open(const QString &fileName, quint32 offset = 0, quint32 flags = 0);
    void close();
    bool isOpen() const;

    // The members in table-of-contents order; iterating it yields PackageArchiveFile values.
    const PackageArchiveTable &files() const;
    // The member called `name` (the last one, should the table hold it twice).
    std::optional<PackageArchiveFile> findFile(const QString &name) const;
    QByteArray fileData(const PackageArchiveFile &file);
    void extractFile(const PackageArchiveFile &file, const QString &destPath, bool overwrite);
    // Refuses names that could leave `folder` (see isSafeFileName).
    void extractFileTo(const PackageArchiveFile &file, const QString &folder, bool overwrite);

    quint32 formatVersion() const;
    quint32 compressionMethod() const;

    // Reads the rest of the stream up to its end, so the stream's own check runs,
    // and returns the length of the decompressed data; `progress`, when given, hears
    // the decompressed bytes read so far.
    quint64 readToEnd(const std::function<void(quint64)> &progress = {});
    // The check before anything is installed: the archive has members, its whole
    // stream reads without a fault and every member lies inside it.
    void verify(const std::function<void(quint64)> &progress = {});

    // False for a name that is empty, absolute, has an empty or ".." component, holds a
    // control character, or is longer than a file system takes (a component over 255
    // bytes, the whole over 4,095).
    static bool isSafeFileName(const QString &name);
    // The same for a name in UTF-8.
    static bool isSafeUtf8FileName(QByteArrayView name);
    // The first member whose name isSafeFileName refuses, or none: asked before the
    // first file is written, so that such an archive installs nothing at all.
    std::optional<PackageArchiveFile> firstUnsafeMember() const;
    // Throws "unsafe file name NAME" for that member, if there is one.
    void refuseUnsafeNames() const;
    // folder + "/" + the member's name; throws "unsafe file name" for names that
    // could leave the folder.
    static QString destinationPath(const PackageArchiveFile &file, const QString &folder);
    // The writing half of extractFile, for callers that read members themselves:
    // creates destPath (never through a link) with `contents`, the member's time
    // and its mode & 0777. Touches no archive state, so it may run on any thread.
    static void writeFile(const PackageArchiveFile &file, const QByteArray &contents,
                          const QString &destPath, bool overwrite);

    // Both take ownership of `stream` (closing it also when they throw).
    virtual std::unique_ptr<PackageArchiveCompressedInputFile> createInputFile(quint32 method,
                                                                              FILE *stream);
    virtual std::unique_ptr<PackageArchiveCompressedOutputFile>
    createOutputFile(quint32 method, FILE *stream, quint32 level);
    // Called before an archive's header is written and before it is read.
    virtual void writePrefix(FILE *stream);
    virtual void readPrefix(FILE *stream);

private:
    void openLayout(const QString &fileName, quint32 offset);
    void readCurrentTable();
    void readLegacyTable(quint32 count);
    void readLegacyHeaderFromStream();

    std::unique_ptr<PackageArchiveData> m_data;
};
