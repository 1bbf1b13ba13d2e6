#pragma once

#include <QFile>
#include <QPair>
#include <QProcess>
#include <QStringList>

#include <functional>

// What the whole-program tests share: the release and payload every run installs from,
// runs of Setup in mount namespaces of their own, and manifests of what they wrote.
namespace E2e {

using Pairs = QList<QPair<QString, QString>>;
// Every source file's time: copies keep it, what the installer writes itself is "new".
constexpr qint64 sourceTime = 1700000000; // 2023-11-14T22:13:20Z

struct Fixture
{
    QString release; // Setup and the eight Qt library stand-ins
    QString payload; // the demo payload with fixed modes and times
    QString archive; // the payload packed as one package archive
};
const Fixture &fixture(); // built once per process below the sandbox root
inline const QStringList libraryNames = {"libQt3Support.so.4", "libQtCore.so.4", "libQtGui.so.4", "libQtNetwork.so.4",
                                         "libQtSql.so.4", "libQtSvg.so.4", "libQtWebKit.so.4", "libQtXml.so.4"};
inline const QString defaultDestination = QStringLiteral("/usr/share/corvane_fenwick_studio_for_risc-v_4.52a");
// Where root's runs keep their single-instance lock (the sandbox's own /run).
inline const QString rootLockFolder = QStringLiteral("/run/corvane-studio-setup");
QByteArray readFile(const QString &path);
// Makes the folders above; the permissions when given.
bool writeFile(const QString &path, const QByteArray &contents, QFile::Permissions permissions = {});
bool copyTree(const QString &from, const QString &to); // modes 0755 or 0644, the source time
// The demo payload copied to run/NAME, changed there and packed as run/NAME.pkg: its path, "" on failure.
QString packedVariant(const QString &run, const QString &name, const std::function<bool(const QString &)> &change);
// A current-layout zlib archive whose inner header announces count members and holds none.
QByteArray announcingArchive(quint32 count);

// A fresh folder for one run: share, etc (with work folders), xdg, home, tmp and run.
QString newRunFolder(const QString &name);
QProcessEnvironment runEnvironment(const QString &runFolder); // no display, the run's folders
// Runs command in a mount namespace whose /usr/share and /etc (with udev/rules.d) are fresh
// overlays, upper folders in runFolder, over the machine's folders; answers exit status and
// standard error. With a process given, starts it and returns at once.
QPair<int, QString> runIsolated(const QString &runFolder, const QStringList &command,
                                QProcessEnvironment environment = {}, QProcess *background = nullptr);

// One "path<TAB>description" entry per file or folder below the roots (the desktop databases'
// caches left out), by path: type,
// mode, time, and the whole text of text files, size and checksum of others.
QStringList manifest(const Pairs &labelledRoots, const Pairs &replacements = {});
QString describe(const QString &path, const Pairs &replacements = {});
// An installation's system folders and destination, as if in the default one from the release.
QStringList installedManifest(const QString &run, const QString &destination, const QString &source);
// "label/first-segment count" for the files of after that before does not hold.
QStringList writtenFiles(const QStringList &before, const QStringList &after);
QString shown(const QString &errors); // the sandbox root written @ROOT@, as the golden files hold it

// A section of a checked-in golden file ("==== name" lines start the sections). With
// STUDIO_UPDATE_GOLDEN=1 and record, actual first replaces the section.
QString goldenSection(const QString &fileName, const QString &name, const QString &actual, bool record = true);
// The manifest of the quiet installation from the package archive, as checked in.
QStringList goldenManifest(const QStringList &actual = {});

} // namespace E2e
