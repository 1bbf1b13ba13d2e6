#pragma once

#include <QByteArray>

// The temporary name a file is written under before it is renamed over its final name:
// hidden, beside the final file (a rename never crosses file systems) and the same for
// every run, so that a run that was killed midway leaves at most this file, which the
// next write of the same file removes.
inline QByteArray partialFileName(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + '.' + path.mid(slash + 1) + ".partial";
}
