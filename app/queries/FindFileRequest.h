#pragma once

#include <QString>

// What a request to find a missing path asks for, and in which words: the installation
// folder (its answer goes into SrcDir), the product folder (DestDir) or a file.
struct FindFileRequest
{
    enum Kind { LocateFile = 0, LocateInstallationFolder = 1, LocateProductFolder = 2 };

    // The kind is read from the unexpanded name: what matters is which variable the
    // missing path was built on, not where it points now.
    static FindFileRequest forPath(const QString &path);

    Kind kind = LocateFile;
    QString missing;     // "Cannot find the file named:" and the path, rich text
    QString instruction; // rich text, expanded
    QString initialText; // what the path field starts with
    QString title;

private:
    static FindFileRequest textsFor(const QString &path);
};
