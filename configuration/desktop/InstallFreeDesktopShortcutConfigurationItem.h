#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// The product's entry in the desktop's application menu: one desktop entry file in the
// applications folder of the system or of the user.
class InstallFreeDesktopShortcutConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    // vendor only names the file and is not kept; name, command and icon may hold
    // $(Name) variables; categories and mimeTypes are written as given.
    InstallFreeDesktopShortcutConfigurationItem(int locationKind, const QString &vendor,
                                                const QString &name, const QString &command,
                                                const QString &icon, bool terminal,
                                                bool startupNotify, const QString &categories,
                                                const QString &mimeTypes,
                                                InstallConfigurationItem *parent,
                                                const QString &itemName,
                                                const QString &description, int level,
                                                bool visible);

    QString desktopFilePath() const;

    // The entry's lines, each ended by "\n", as written by doInstall().
    QByteArray desktopEntry() const;

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    QString applicationsFolder() const;

    qint32 m_locationKind;
    QString m_desktopFileName;
    QString m_name;
    QString m_command;
    QString m_icon;
    bool m_terminal;
    bool m_startupNotify;
    QString m_categories;
    QString m_mimeTypes;
};
