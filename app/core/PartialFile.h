#pragma once

#include <QByteArray>

// A file written beside its final name and given that name only when it is whole, so
// that a file appears whole or not at all, and never through a link: a link planted at
// the final name is replaced, not followed. Where the file system allows, the file has
// no name at all while it is written (O_TMPFILE), so a run killed midway leaves nothing
// behind and a final name of any length the file system takes is fine; elsewhere it is
// written under a short hidden name of its own in the same folder, created exclusively.
class PartialFile
{
public:
    // `name` relative to the open folder `folder` (AT_FDCWD: to the working folder or
    // absolute). Check isOpen(); errno tells why not (ENOENT: its folder is missing).
    PartialFile(int folder, const QByteArray &name);
    ~PartialFile(); // not placed: closed, and whatever it made is removed
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    // Write, set times and mode through this; mode 0600 until then.
    int descriptor() const { return m_descriptor; }

    // Gives the file its final name and closes it: over whatever stands there, or, with
    // `replace` false, only where nothing does (else EEXIST). False with errno set; the
    // file is then gone.
    bool place(bool replace);

private:
    bool placeNamed(bool replace);
    bool placeUnnamed(bool replace);
    bool closeDescriptor();
    int linkDescriptor(const QByteArray &name) const;

    int m_folder;
    QByteArray m_name;
    QByteArray m_temporaryName; // empty while the file has no name
    int m_descriptor = -1;
};
