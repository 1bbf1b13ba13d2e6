#pragma once

#include <QString>

// Work below a folder by descriptor: every folder on the way below it is opened without
// following a link, so a folder swapped for a link (to a system folder, say) is never
// entered, and nothing is created, copied or removed through it. The base folder itself
// may be a link its caller chose.
namespace Platform {

// An open folder (or file); closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int descriptor = -1) : m_descriptor(descriptor) {}
    ~Descriptor();
    Descriptor(Descriptor &&other) noexcept;
    Descriptor &operator=(Descriptor &&other) noexcept;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

// The part of `path` below `base` ("a/b" for base "/d" and path "/d/a/b"); empty when
// path is base itself or lies elsewhere. Both are cleaned first.
QString pathBelow(const QString &base, const QString &path);

// Opens base, then each folder of `below` ("" for base itself) without following a
// link; `create` makes the missing ones. Not open on failure, with errno set (ELOOP or
// ENOTDIR where a link or a file is in the way).
Descriptor openFolderBelow(const QString &base, const QString &below, bool create);

// What stands at `below`: the lstat type bits (S_IFREG, S_IFLNK, S_IFDIR, ...), or 0 when
// nothing does or a link is in the way on the folders leading there.
unsigned typeBelow(const QString &base, const QString &below);

// Removes the file or link at `below` (with `folder`, the empty folder). False with
// errno set when it could not be removed or a link is in the way.
bool removeBelow(const QString &base, const QString &below, bool folder = false);

// Removes the folder at `below` and everything in it; links inside are removed, never
// followed; a link at `below` itself is removed in its place.
bool removeTreeBelow(const QString &base, const QString &below);

// Copies `source` into the folder as `name`, whole or not at all and never through a
// link: a new exclusive file beside the name, the source's times and its mode less the
// umask set on it, then renamed over the name. False with errno set.
bool copyFileInto(const QString &source, const Descriptor &folder, const QString &name);

} // namespace Platform
