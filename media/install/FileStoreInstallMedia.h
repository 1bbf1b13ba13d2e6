#pragma once

#include "media/install/InstallMedia.h"

// Installation files kept as plain files in a folder tree (the folder beside the
// installer, $(SrcDir)). Hidden entries are not part of the media.
class FileStoreInstallMedia : public InstallMedia
{
    Q_OBJECT
public:
    // root: expanded once, here; later changes of its variables do not move the media.
    explicit FileStoreInstallMedia(const QString &root, QObject *parent = nullptr);

    QStringList listFiles(const QString &folder, uint64_t &totalSize) override;
    uint64_t totalSize() override;
    void installFiles(const QStringList &files, const QString &sourceFolder,
                      const QString &destFolder) override;

    const QString &root() const { return m_root; }

private:
    QString m_root;
};
