#pragma once

#include <QByteArray>

// The temporary name a file is written under before it is renamed over its final name:
// hidden, beside the final file (a rename never crosses file systems) and the same for
// every run, so that a run that was killed midway leaves at most this file, which the
// next write of the same file removes.
QByteArray partialFileName(const QByteArray &path);

// Creates the partial file for writing, exclusively and never through a link, with
// mode 0600 until the writer sets the final one. A partial file left by a killed run
// is removed first; the single-instance guard rules out a writer of ours still at it.
// Returns the descriptor, or -1 with errno set.
int createPartialFile(const QByteArray &partial);
// The same, with `partial` relative to the open folder `folder`.
int createPartialFileAt(int folder, const QByteArray &partial);
