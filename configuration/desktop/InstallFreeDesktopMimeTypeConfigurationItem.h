#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Registers the MIME type of one file extension in the shared MIME-info database, with
// the type's icon in the hicolor icon theme at every usual size. The registration stays
// when the product is removed: other programs may have come to rely on it.
class InstallFreeDesktopMimeTypeConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    // extension with its leading dot (".fwProject"); icon may hold $(Name) variables.
    InstallFreeDesktopMimeTypeConfigurationItem(int locationKind, const QString &mimeType,
                                                const QString &comment,
                                                const QString &parentType,
                                                const QString &extension, const QString &icon,
                                                InstallConfigurationItem *parent,
                                                const QString &name, const QString &description,
                                                int level, bool visible);

    QString mimeType() const { return m_mimeType; }
    // The type with every "/" replaced by "-": it names the package file and the icons.
    QString flatName() const;
    QString packageFilePath() const;
    // The package file's lines, each ended by "\n", as written by doInstall().
    QByteArray packageText() const;

    // The icon sizes written, largest first.
    static const int iconSizes[7];

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    bool writeIcon(const class QImage &image, int size, const QString &fileName) const;

    qint32 m_locationKind;
    QString m_mimeType;
    QString m_comment;
    QString m_parentType;
    QString m_extension;
    QString m_icon;
};
