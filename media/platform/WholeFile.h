#pragma once

#include <QByteArray>
#include <QString>

namespace Platform {

// Writes `contents` as the file `path` whole or not at all: into a new temporary file
// beside it (created exclusively, never through a link), flushed, then renamed over
// `path`, so a link planted at `path` is replaced rather than followed and a run that
// dies midway leaves at most the temporary file, which the next write of `path`
// removes. Returns the system's reason on failure, an empty text on success.
QString writeWholeFile(const QString &path, const QByteArray &contents, int permissions);
// The same for the file `name` in an open folder (see FolderBelow.h): no link on the
// way to the folder can redirect it either.
QString writeWholeFileIn(int folder, const QString &name, const QByteArray &contents, int permissions);

} // namespace Platform
