#include "E2eSupport.h"

#include "common/Sandbox.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QMap>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Unmounts this program's own overlays first: every run starts from the machine's
// folders, whatever other tests installed before it.
const char isolatedScript[] =
        "umount /usr/share && umount /etc && "
        "mount -t overlay overlay -o lowerdir=/usr/share,upperdir=\"$R/share\",workdir=\"$R/share.w\" "
        "/usr/share && "
        "mount -t overlay overlay -o lowerdir=/etc,upperdir=\"$R/etc\",workdir=\"$R/etc.w\" /etc && "
        "mkdir -p /etc/udev/rules.d && exec \"$@\"";

bool setModeAndTime(const QString &path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    const timespec times[2] = {{E2e::sourceTime, 0}, {E2e::sourceTime, 0}};
    return ::chmod(name.constData(), mode) == 0 && ::utimensat(AT_FDCWD, name.constData(), times, 0) == 0;
}

E2e::Fixture prepare()
{
    const QString root = Sandbox::root();
    ::umask(022); // the installer's own, so that modes do not depend on who runs the tests
    // A user without rights must reach the release when a test switches to one.
    ::chmod(QFile::encodeName(root).constData(), 0711);
    E2e::Fixture fixture{root + "/release", root + "/payload", root + "/payload.pkg"};
    bool ok = E2e::copyTree(STUDIO_SOURCE_DIR "/demo/payload", fixture.payload) && QDir().mkpath(fixture.release)
              && QFile::copy(SETUP_BINARY, fixture.release + "/Setup")
              && setModeAndTime(fixture.release + "/Setup", 0755);
    for (const QString &library : E2e::libraryNames) {
        const QString path = fixture.release + '/' + library;
        ok = ok && E2e::writeFile(path, "stand-in for " + library.toUtf8() + '\n') && setModeAndTime(path, 0644);
    }
    QProcess pack;
    pack.start(PKGARCHIVE_BINARY, {"create", fixture.archive, fixture.payload});
    if (!ok || !pack.waitForFinished(60000) || pack.exitCode() != 0)
        qFatal("cannot prepare the release and the payload: %s", pack.readAllStandardError().constData());
    return fixture;
}

} // namespace

namespace E2e {

QString describe(const QString &path, const Pairs &replacements)
{
    struct stat status {}; // all zero, "other 0", when the path has gone
    ::lstat(QFile::encodeName(path).constData(), &status);
    const QString mode = QString::asprintf("%04o", unsigned(status.st_mode & 07777));
    if (S_ISDIR(status.st_mode))
        return "dir " + mode;
    if (!S_ISREG(status.st_mode))
        return QString::asprintf("other %o", unsigned(status.st_mode)); // overlay whiteouts, links
    QString text = "file " + mode + ' '
                   + (status.st_mtime < sourceTime + 86400
                          ? QDateTime::fromSecsSinceEpoch(status.st_mtime, Qt::UTC).toString(Qt::ISODate)
                          : QStringLiteral("new"));
    static const QByteArray setup = readFile(fixture().release + "/Setup");
    const QByteArray bytes = readFile(path);
    if (bytes == setup) // the installer's own copy changes with every build
        return text + " the Setup program";
    // Icons the installer scales itself differ in their last bits with the processor's
    // vector instructions, so only their size is theirs to keep.
    if (text.endsWith("new") && path.endsWith(".png")) {
        const QSize size = QImage::fromData(bytes, "PNG").size();
        return text + QString(" image %1x%2").arg(size.width()).arg(size.height());
    }
    static const QStringList textSuffixes = {"xml", "desktop", "rules", "conf"};
    if (bytes.isEmpty() || !textSuffixes.contains(QFileInfo(path).suffix()))
        return text + QString(" %1 bytes sha1 %2").arg(bytes.size()).arg(QString::fromLatin1(
                   QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12)));
    QString contents = QString::fromUtf8(bytes);
    for (const auto &[from, to] : replacements)
        contents.replace(from, to);
    const bool endsWithNewline = contents.endsWith('\n');
    for (const QString &line : contents.left(contents.size() - (endsWithNewline ? 1 : 0)).split('\n'))
        text += "\n  | " + line;
    return endsWithNewline ? text : text + "\n  \\ no newline at end";
}

const Fixture &fixture()
{
    static const Fixture prepared = prepare();
    return prepared;
}

bool writeFile(const QString &path, const QByteArray &contents, QFile::Permissions permissions)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
           && file.write(contents) == contents.size() && (!permissions || file.setPermissions(permissions));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool copyTree(const QString &from, const QString &to)
{
    for (QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target)
            || !setModeAndTime(target, QFileInfo(source).isExecutable() ? 0755 : 0644))
            return false;
    }
    return true;
}

QString packedVariant(const QString &run, const QString &name, const std::function<bool(const QString &)> &change)
{
    const QString folder = run + '/' + name;
    if (!copyTree(fixture().payload, folder) || !change(folder)
        || QProcess::execute(PKGARCHIVE_BINARY, {"create", folder + ".pkg", folder}) != 0)
        return QString();
    return folder + ".pkg";
}

QByteArray announcingArchive(quint32 count)
{
    QByteArray inner(20, '\0');
    for (int byte = 0; byte < 4; ++byte)
        inner[byte] = char(count >> (8 * byte));
    return QByteArray("\xb1\xc6\xf5\x71\x02\x00\x00\x00", 8) + qCompress(inner).mid(4);
}

QString newRunFolder(const QString &name)
{
    // Mount options take neither commas nor colons.
    const QString folder = Sandbox::root() + "/runs/" + QString(name).replace(QRegularExpression("[^A-Za-z0-9]+"), "-");
    for (const char *sub : {"share", "share.w", "etc", "etc.w", "xdg", "home", "tmp", "run"}) {
        const QString path = folder + '/' + sub;
        if (!QDir().mkpath(path) || ::chmod(QFile::encodeName(path).constData(), qstrcmp(sub, "run") ? 0755 : 0700))
            qFatal("cannot create %s", qPrintable(path));
    }
    return folder;
}

QProcessEnvironment runEnvironment(const QString &runFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SUDO_UID", "SUDO_GID", "XDG_DATA_HOME",
                             "XDG_CONFIG_HOME"})
        environment.remove(name);
    environment.insert("HOME", runFolder + "/home");
    environment.insert("TMPDIR", runFolder + "/tmp");
    environment.insert("XDG_CONFIG_DIRS", runFolder + "/xdg");
    environment.insert("XDG_RUNTIME_DIR", runFolder + "/run");
    return environment;
}

QPair<int, QString> runIsolated(const QString &runFolder, const QStringList &command,
                                QProcessEnvironment environment, QProcess *background)
{
    QProcess foreground;
    QProcess &process = background ? *background : foreground;
    environment = environment.isEmpty() ? runEnvironment(runFolder) : environment;
    environment.insert("R", runFolder);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(runFolder);
    process.start("unshare", QStringList{"-m", "--propagation", environment.value("STUDIO_SANDBOX_PROPAGATION", "private"),
                                         "sh", "-c", isolatedScript, "sh"} + command);
    if (background)
        return {};
    const bool ended = process.waitForFinished(120000); // else killed as process goes
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList manifest(const Pairs &labelledRoots, const Pairs &replacements)
{
    // The desktop databases' caches hold the whole machine's types and icons.
    static const QRegularExpression caches("share/(mime/(?!packages/|\t)|applications/mimeinfo\\.cache|"
                                           "icons/hicolor/icon-theme\\.cache)");
    QMap<QString, QString> entries; // by path
    for (const auto &[label, folder] : labelledRoots) {
        if (QFileInfo::exists(folder))
            entries.insert(label + '/', label + "/\t" + describe(folder, replacements));
        for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            QString name = label + it.next().mid(folder.size());
            for (const auto &[from, to] : replacements)
                name.replace(from, to);
            name += it.fileInfo().isDir() && !it.fileInfo().isSymLink() ? "/" : "";
            if (caches.match(name + '\t').hasMatch())
                continue;
            entries.insert(name, name + '\t' + describe(it.filePath(), replacements));
        }
    }
    return entries.values();
}

QStringList installedManifest(const QString &run, const QString &destination, const QString &source)
{
    Pairs roots = {{"share", run + "/share"}, {"etc", run + "/etc"}, {"xdg", run + "/xdg"}};
    if (destination != defaultDestination)
        roots.append({"share" + defaultDestination.mid(10), destination});
    QString escaped = destination; // as the menu entry writes it
    return manifest(roots, {{escaped.replace(' ', "\\ "), defaultDestination}, {destination, defaultDestination},
                            {source, fixture().release}, {Sandbox::root(), "@ROOT@"}});
}

QStringList writtenFiles(const QStringList &before, const QStringList &after)
{
    QMap<QString, int> counts;
    for (const QString &entry : after) {
        if (!before.contains(entry) && entry.section('\t', 1).startsWith(QLatin1String("file ")))
            ++counts[entry.section('\t', 0, 0).section('/', 0, 1)];
    }
    QStringList written;
    for (auto count = counts.cbegin(); count != counts.cend(); ++count)
        written << count.key() + ' ' + QString::number(count.value());
    return written;
}

QString shown(const QString &errors)
{
    return QString(errors).replace(Sandbox::root(), "@ROOT@");
}

QString goldenSection(const QString &fileName, const QString &name, const QString &actual, bool record)
{
    const QString path = STUDIO_SOURCE_DIR "/tests/e2e/" + fileName;
    QString text = QString::fromUtf8(readFile(path));
    text.chop(text.endsWith('\n') ? 1 : 0);
    QMap<QString, QString> sections;
    for (const QString &section : ('\n' + text).split("\n==== ").mid(1)) // what precedes the first section goes
        sections.insert(section.section('\n', 0, 0), section.section('\n', 1));
    if (!record || qgetenv("STUDIO_UPDATE_GOLDEN") != "1")
        return sections.value(name, "(no golden section " + name + ')');
    sections.insert(name, actual);
    QString all;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section)
        all += "==== " + section.key() + '\n' + section.value() + '\n';
    return writeFile(path, all.toUtf8()) ? actual : QStringLiteral("(golden file not written)");
}

QStringList goldenManifest(const QStringList &actual)
{
    const QString text = goldenSection("quiet-install.golden.txt", "quiet installation from a package archive",
                                       actual.join('\n'), !actual.isEmpty());
    QStringList entries; // an entry's text lines are indented
    for (const QString &line : text.split('\n')) {
        if (line.startsWith("  ") && !entries.isEmpty())
            entries.last() += '\n' + line;
        else
            entries << line;
    }
    return entries;
}

} // namespace E2e
