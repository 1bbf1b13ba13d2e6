#pragma once

#include <QString>
#include <QStringList>

// The folders that may have become empty while files were removed. They are kept from
// the longest path to the shortest, so that nested folders go before their parents.
class FolderCleanup
{
public:
    // Enters the absolute folder holding filePath.
    void addFolderOf(const QString &filePath);
    // Enters an absolute folder, before the first shorter entry; an equal entry is kept once.
    void addFolder(const QString &folder);
    const QStringList &folders() const { return m_folders; }

    // Deletes every listed folder that is empty, and its ancestors as long as they become
    // empty, stopping at the root. With climb, a folder that no longer exists is first
    // replaced by its nearest existing ancestor, so the clean-up also reaches folders
    // left empty by an earlier removal.
    void cleanUp(bool climb) const;

    // The part of an absolute path before its last "/"; the root for "/x".
    static QString parentOf(const QString &folder);

private:
    QStringList m_folders;
};
