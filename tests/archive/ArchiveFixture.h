#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <sys/stat.h>

// Builds package archive images byte by byte in every layout the reader accepts, and
// lets a test forge any table field that a writer would get right.
namespace ArchiveFixture {

enum Layout { LegacyPlain, WrappedLegacy, CurrentVersion1, CurrentVersion2 };
enum Method { Zlib = 0, Bzip2 = 1 };

struct Member
{
    QByteArray name, data;
    quint32 mode = 0100644, time = 1500000000;
    bool readOnly = false; // the legacy layouts' flag
    qint64 size = -1, position = -1; // forged when not negative
};
using Members = QList<Member>;

// What positions count in: the legacy header or the version 2 inner header, the records,
// then the data in table order. `base` is added to every position; `count` forges the count.
QByteArray image(const Members &members, bool legacy, quint32 base = 0, qint64 count = -1);
// `content` behind the layout's header, compressed as the layout requires.
QByteArray wrap(Layout layout, Method method, const QByteArray &content);
// The archive as it starts at `offset` in its file.
QByteArray build(const Members &members, Layout layout, Method method = Zlib, quint32 offset = 0);
QByteArray header(quint32 version, quint32 method);
QByteArray noise(int size, int seed); // incompressible
QByteArray bzip2(const QByteArray &data, int level = 9); // "" on failure
QString write(const QString &folder, const QString &name, const QByteArray &bytes); // the path; "" on failure
QByteArray read(const QString &path); // "<unreadable>" on failure
struct stat statusOf(const QString &path); // lstat; all zero when nothing is there

} // namespace ArchiveFixture
