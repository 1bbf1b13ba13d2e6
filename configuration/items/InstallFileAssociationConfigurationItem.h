#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Ties a file extension to the product, offered with a check box on the file
// association page. On the Linux desktop the association itself is made by the MIME
// type items, which register the extension's type; this item only carries the choice.
class InstallFileAssociationConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    // extension with its leading dot, for example ".fwProject".
    InstallFileAssociationConfigurationItem(const QString &extension,
                                            InstallConfigurationItem *parent, const QString &name,
                                            const QString &description, int level, bool visible);

    QString extension() const { return m_extension; }

private:
    QString m_extension;
};
