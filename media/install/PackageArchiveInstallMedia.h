#pragma once

#include "media/archive/PackageArchive.h"
#include "media/install/InstallMedia.h"

// Installation files kept as members of one package archive, named on the command line
// and possibly placed at a byte offset inside a larger file. The archive stays open for
// the media's whole life, so installing folders in archive order reads the payload once.
class PackageArchiveInstallMedia : public InstallMedia
{
    Q_OBJECT
public:
    // Throws InstallException with the archive's own text when it cannot be opened.
    PackageArchiveInstallMedia(const QString &dataFile, quint32 offset, QObject *parent = nullptr);

    QStringList listFiles(const QString &folder, uint64_t &totalSize) override;
    uint64_t totalSize() override;
    bool needsVerification() const override { return !m_verified; }
    void verifyData(const std::function<void(quint64 done, quint64 total)> &progress) override;
    void installFiles(const QStringList &files, const QString &sourceFolder,
                      const QString &destFolder) override;

private:
    PackageArchive m_archive;
    bool m_verified = false; // one reading per run: a repair installs after removing
};
