#pragma once

#include <QByteArray>
#include <QString>

class PackageArchiveFile;

// One member's file while it is written: under a temporary name beside its final one,
// created exclusively and never through a link, renamed into place by finish() with the
// member's time and mode. Destroyed unfinished (a failed read or write), it removes
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
    bool placeFile() const;

    QByteArray m_path;
    QByteArray m_partial;
    bool m_overwrite;
    int m_fd = -1;
};
