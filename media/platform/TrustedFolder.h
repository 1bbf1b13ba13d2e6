#pragma once

#include <QString>

#include <sys/types.h>

namespace Platform {

// What a root run must know before it reads, creates or removes anything in a folder:
// whether someone other than root could change what lies there, by renaming, swapping
// or planting entries.
struct FolderControl
{
    QString folder;  // the first folder on the way that another user controls; empty: none
    uid_t owner = 0; // that folder's owner
};

// Walks from "/" to `path` (included). A folder is safe when root owns it and neither
// group nor others may write it; a root folder with the sticky bit (such as /tmp) may
// stand above `path`, since nobody else can rename what root made there. A link on the
// way must be root's, and its target is walked in its place. What does not exist yet is
// root's to make, so the walk ends at the first missing name.
FolderControl folderControl(const QString &path);

// The name of a user id from the password database, else the number.
QString userName(uid_t user);

} // namespace Platform
