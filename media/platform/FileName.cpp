#include "media/platform/FileName.h"

#include "media/platform/FileSystem.h"

#include <QSharedData>

#include <optional>

// The shared record: the reference count comes first (QSharedData), then the path,
// whether it has been cleaned yet, and the file information made on first use.
struct FileName::Record : public QSharedData
{
    QString path;
    quint32 cleaned = 0;
    std::optional<QFileInfo> info;
};

FileName::FileName() : m_record(new Record) {}

FileName::FileName(const QString &path) : m_record(new Record)
{
    m_record->path = path;
}

FileName::FileName(const FileName &other) = default;
FileName &FileName::operator=(const FileName &other) = default;
FileName::~FileName() = default;

void FileName::setPath(const QString &path)
{
    // Every handle sharing the record sees the new path; the old answers go with it.
    m_record->path = path;
    m_record->cleaned = 0;
    m_record->info.reset();
}

QString FileName::path() const
{
    if (!m_record->cleaned) {
        m_record->path = Platform::cleanPath(m_record->path);
        m_record->cleaned = 1;
    }
    return m_record->path;
}

const QFileInfo &FileName::info() const
{
    const QString cleaned = path();
    if (m_record->info)
        m_record->info->refresh();
    else
        m_record->info.emplace(cleaned);
    return *m_record->info;
}

bool FileName::exists() const { return info().exists(); }
bool FileName::isWritable() const { return info().isWritable(); }
bool FileName::isReadable() const { return info().isReadable(); }
qint64 FileName::size() const { return info().size(); }
QString FileName::fileName() const { return info().fileName(); }
QString FileName::suffix() const { return info().suffix(); }
QString FileName::completeSuffix() const { return info().completeSuffix(); }
QDir FileName::folder() const { return info().dir(); }
QDateTime FileName::lastModified() const { return info().lastModified(); }
QDateTime FileName::created() const
{
    // Not every file system records a birth time; the status change time is the
    // closest the disk can tell.
    const QFileInfo &current = info();
    const QDateTime born = current.birthTime();
    return born.isValid() ? born : current.metadataChangeTime();
}
QDateTime FileName::lastRead() const { return info().lastRead(); }
bool FileName::isRelative() const { return info().isRelative(); }
