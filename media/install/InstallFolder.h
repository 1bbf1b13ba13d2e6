#pragma once

#include "media/platform/FolderBelow.h"

#include <QString>

// Makes the folder a file is installed into and opens it. Below `base` (the
// installation's own folder, or the target folder for files that go elsewhere) no link
// is followed, so a folder someone swapped for a link is never written into: that
// throws "Cannot create folder ... (a symbolic link is in the way)". Any other failure
// throws "Cannot create folder ..." with the system's reason. Throws InstallException.
Platform::Descriptor makeInstallFolder(const QString &folder, const QString &base);

// The folder below which `folder` is made without following links: the installation's
// folder when it lies there, else `target` (the folder a list of files goes into).
QString installBaseFor(const QString &folder, const QString &target);
