#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class PackageArchiveFile;
class PartialFile;

// One member's file while it is written: unnamed (or under a short temporary name)
// beside its final one, never through a link, placed by finish() with the member's time
// and mode. Destroyed unfinished (a failed read or write), it removes
// the temporary file, so a member appears whole or not at all. Without overwrite, a
// file already at the name is left as it is and the member refused. Throws HException.
class PackageArchiveMemberOutput
{
public:
    PackageArchiveMemberOutput(const QString &destPath, bool overwrite);
    ~PackageArchiveMemberOutput();
    PackageArchiveMemberOutput(const PackageArchiveMemberOutput &) = delete;
    PackageArchiveMemberOutput &operator=(const PackageArchiveMemberOutput &) = delete;

    void write(const char *data, qint64 length);
    void finish(const PackageArchiveFile &file);

private:
    [[noreturn]] void fail(const char *message);

    QByteArray m_path;
    bool m_overwrite;
    std::unique_ptr<PartialFile> m_file;
};
