#pragma once

#include "configuration/model/InstallConfigurationItem.h"

// Copies a fixed table of single files (the installer's own program and libraries) and
// optional folders (the libraries a release carries in runtime/).
class InstallFilesConfigurationItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    enum EntryFlag : quint32 {
        // The entry is not copied on installation (it is only checked and removed).
        NotInstalled = 1,
        // The entry stays when the product is removed.
        KeptOnRemoval = 2,
        // A whole folder, copied when the source has it and removed with everything in
        // it; it does not count when the item checks what is installed.
        OptionalFolder = 4,
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
    // Creates the destination's folder and copies the file there, or throws with the system's reason.
    static void copyFile(const QString &source, const QString &destination);
    static void copyFolder(const QString &source, const QString &destination);
    static void removeFolder(const QString &folder);

    const Entry *m_table;
    int m_entryCount;
};
