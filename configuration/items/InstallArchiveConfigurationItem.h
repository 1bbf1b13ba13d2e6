#pragma once

#include "configuration/model/InstallConfigurationItem.h"

#include <QStringList>

#include <cstdint>

// Installs one whole folder of the installation media (one product component). The
// names it installed are kept in the stored property `files`, so that a later run can
// check and remove exactly those files after reading the installed-state record.
class InstallArchiveConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
    Q_PROPERTY(QStringList files READ files WRITE setFiles STORED true)

public:
    enum Flag : quint32 {
        InstallsFolder = 1,
        RemovesFiles = 2,
    };

    InstallArchiveConfigurationItem(const QString &folder, const QString &destination,
                                    InstallConfigurationItem *parent, const QString &name,
                                    const QString &description, int level, bool visible,
                                    quint64 platforms, quint32 flags);

    QStringList files() const { return m_files; }
    void setFiles(const QStringList &files) { m_files = files; }
    QString folder() const { return m_folder; }
    QString destination() const { return m_destination; }
    quint32 flags() const { return m_flags; }

public slots:
    // The media's running byte count of the current folder, shown in KiB.
    void extractedFile(uint64_t bytesExtracted);

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;
    bool acceptLoadedState() override;

private:
    QStringList m_files;
    QString m_folder;
    QString m_destination;
    quint32 m_flags;
};
