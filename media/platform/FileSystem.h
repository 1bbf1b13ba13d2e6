#pragma once

#include "app/core/PathCleaning.h"

#include <QDir>
#include <QString>
#include <cstdio>

// File and folder operations with the exact semantics the installer relies on.
// None of them throws; each reports success as a boolean or returns an empty value.
namespace Platform {

bool makePath(const QString &folder);
QDir parentFolder(const QString &folder);
bool removeFile(const QString &path);
bool removeFolder(const QString &path);
bool setWritable(const QString &path, bool writable);
// Copies in 128 KiB chunks, keeps access and modification times, applies the
// source's permission bits less the current umask.
bool copyFile(const QString &source, const QString &destination, bool createFolders);
FILE *openStream(const QString &path, const char *mode);
// Empty when `path` is a regular file this process can read, else the system's reason
// ("Is a directory", "Permission denied", ...). Never blocks, not even on a FIFO.
QString whyNotReadableFile(const QString &path);
// True when anything (a file, a folder, a link even if dangling) stands at `path`.
bool entryExists(const QString &path);
int openDescriptor(const QString &path, int flags, int permissions);

} // namespace Platform
