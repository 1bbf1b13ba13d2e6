#pragma once

#include <QDateTime>
#include <QDir>
#include <QExplicitlySharedDataPointer>
#include <QFileInfo>
#include <QString>

// A shared handle to one path for asking several questions about the same file.
// The path is cleaned once; every query refreshes the cached file information, so
// each answer reflects the disk at the moment of the call.
class FileName
{
public:
    FileName();
    explicit FileName(const QString &path);
    FileName(const FileName &other);
    FileName &operator=(const FileName &other);
    ~FileName();

    void setPath(const QString &path);
    QString path() const;          // the cleaned path

    bool exists() const;
    bool isWritable() const;
    bool isReadable() const;
    qint64 size() const;
    QString fileName() const;
    QString suffix() const;
    QString completeSuffix() const;
    QDir folder() const;
    QDateTime lastModified() const;
    QDateTime created() const;
    QDateTime lastRead() const;
    bool isRelative() const;

private:
    struct Record;
    const QFileInfo &info() const;
    QExplicitlySharedDataPointer<Record> m_record;
};
