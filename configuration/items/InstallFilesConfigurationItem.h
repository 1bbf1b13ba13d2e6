#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Copies a fixed table of single files (the installer's own program and libraries).
class InstallFilesConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    enum EntryFlag : quint32 {
        // The entry is not copied on installation (it is only checked and removed).
        NotInstalled = 1,
        // The entry stays when the product is removed.
        KeptOnRemoval = 2,
    };

    // One table record; source and destination may hold $(Name) variables. A table
    // ends with a record whose source is null.
    struct Entry
    {
        const char *source;
        const char *destination;
        quint32 flags;
    };

    // The table is not copied: it must outlive the item.
    InstallFilesConfigurationItem(const Entry *table, InstallConfigurationItem *parent,
                                  const QString &name, const QString &description, int level,
                                  bool visible, quint64 platforms = allPlatforms);

    int entryCount() const { return m_entryCount; }
    const Entry *table() const { return m_table; }

protected:
    void doInstall() override;
    void doUninstall() override;
    void doCheckInstalled() override;

private:
    const Entry *m_table;
    int m_entryCount;
};
