#include "E2eSupport.h"

#include "common/TestMain.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// A local user against a root run: what they plant in folders they control (links, records,
// their environment) must never make root change anything outside the installation. Each
// row plants one trap as user 4242 ("studio-user", added to the run's own /etc/passwd),
// runs Setup as root, and checks the status, standard error (its section of
// security.golden.txt) and that the victim folder, root's, is exactly as it was.
class SecurityRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void rootRuns_data();
    void rootRuns();
};

namespace {

constexpr uid_t user = 4242;
const QString product = QStringLiteral("Corvane Fenwick Studio for RISC-V");

bool chownTree(const QString &path, uid_t owner)
{
    bool ok = ::lchown(QFile::encodeName(path).constData(), owner, owner) == 0;
    for (QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        ok = ::lchown(QFile::encodeName(it.next()).constData(), owner, owner) == 0 && ok;
    return ok;
}

bool link(const QString &target, const QString &at)
{
    return QDir().mkpath(QFileInfo(at).path()) && QFile::link(target, at);
}

// Every entry below the folder with its owner, type, mode and text.
QStringList ownedManifest(const QString &folder)
{
    QStringList entries;
    for (const QString &entry : E2e::manifest({{"victim", folder}})) {
        struct stat status{};
        const QString path = folder + entry.section('\t', 0, 0).mid(6);
        ::lstat(QFile::encodeName(path).constData(), &status);
        entries << entry + QString(" owner %1").arg(status.st_uid);
    }
    return entries;
}

} // namespace

void SecurityRunsTest::rootRuns_data()
{
    QTest::addColumn<QString>("trap");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("installsNothing"); // else what the run writes is not looked at

    QTest::newRow("sudo -E: links at the settings folders the run hands back") << "hand-back links" << 0 << false;
    QTest::newRow("sudo -E: the user's .config is a link") << "config link" << 0 << false;
    QTest::newRow("plain sudo: root's HOME stays root's") << "plain sudo" << 0 << false;
    QTest::newRow("a record naming files outside the installation") << "record climbs" << 1 << true;
    QTest::newRow("a record naming another destination") << "record elsewhere" << 1 << true;
    QTest::newRow("a record planted in a user's folder under /tmp") << "planted record" << 1 << true;
    QTest::newRow("a user's link on the way to the destination") << "user link" << 1 << true;
    QTest::newRow("a group-writable installation with bin swapped for a link") << "group writable" << 1 << true;
    QTest::newRow("a component folder swapped for a link to a system folder") << "component link" << 0 << false;
    QTest::newRow("bin is a link on a fresh install") << "bin link" << 1 << false;
    QTest::newRow("bin/runtime is a link on a fresh install") << "runtime link" << 1 << false;
    QTest::newRow("a link at the settings file below XDG_CONFIG_DIRS") << "settings link" << 0 << false;
    QTest::newRow("user mode as root with links and a redirection in XDG_DATA_HOME") << "user mode" << 1 << true;
    QTest::newRow("another user's folder at the lock folder") << "lock folder" << 0 << false;
    QTest::newRow("a user's folder first in PATH") << "path" << 0 << false;
    QTest::newRow("root removes a user's own installation") << "user's installation" << 1 << true;
    QTest::newRow("copy-files mode as root into a user's folder") << "copy into user's folder" << 1 << true;
}

void SecurityRunsTest::rootRuns()
{
    QFETCH(QString, trap);
    QFETCH(int, status);
    QFETCH(bool, installsNothing);
    const E2e::Fixture &fixture = E2e::fixture();
    const QString run = E2e::newRunFolder(QString::fromLatin1(QTest::currentDataTag()));
    const QString destination = run + "/dest";
    const QString victim = run + "/victim"; // root's, as a system folder would be
    const QString home = run + "/userhome";
    QVERIFY(E2e::writeFile(victim + "/keep.txt", "root's own\n") && QDir().mkpath(home) && chownTree(home, user));
    QProcessEnvironment environment = E2e::runEnvironment(run);
    QString release = fixture.release;
    QStringList arguments{"--quiet", "--accept-license", "--data-file", fixture.archive, "--destination", destination};
    QString prefix = QString("echo 'studio-user:x:%1:%1::%2:/bin/sh' >> /etc/passwd").arg(user).arg(home);

    const auto installFirst = [&] {
        const auto [installed, errors] = E2e::runIsolated(run, QStringList{release + "/Setup"} + arguments);
        return installed == 0 && errors.isEmpty();
    };
    const QString record = destination + "/bin/IConf.xml";
    const auto editRecord = [&](const QString &from, const QString &to) {
        const QByteArray text = E2e::readFile(record);
        return text.contains(from.toUtf8()) && E2e::writeFile(record, QByteArray(text).replace(from.toUtf8(), to.toUtf8()));
    };
    const QStringList removal{"--remove", "--quiet", "--destination", destination};

    if (trap == "hand-back links" || trap == "config link") {
        environment.insert("SUDO_UID", QString::number(user));
        environment.insert("SUDO_GID", QString::number(user));
        environment.insert("HOME", home);
        if (trap == "config link") {
            QVERIFY(link(victim, home + "/.config"));
        } else {
            QVERIFY(link(victim, home + "/.config/Corvane") && link(victim, home + "/.config/Corvane" + product));
            QVERIFY(chownTree(home, user));
        }
    } else if (trap == "plain sudo") {
        environment.insert("SUDO_UID", QString::number(user));
        environment.insert("SUDO_GID", QString::number(user));
        environment.insert("HOME", victim);
    } else if (trap == "record climbs" || trap == "record elsewhere") {
        QVERIFY(installFirst());
        QVERIFY(trap == "record climbs" ? editRecord("files=\"", "files=\"../../victim/keep.txt&#xa;")
                                        : editRecord("dest_dir=\"" + destination, "dest_dir=\"" + victim));
        arguments = removal;
    } else if (trap == "planted record") {
        const QString sticky = run + "/sticky";
        QVERIFY(QDir().mkpath(sticky) && ::chmod(QFile::encodeName(sticky).constData(), 01777) == 0);
        arguments.last() = sticky + "/dest";
        QVERIFY(E2e::writeFile(sticky + "/dest/bin/IConf.xml", "<!DOCTYPE Install><configuration dest_dir=\"" + victim.toUtf8()
                                                                 + "\"/>")
                && chownTree(sticky + "/dest", user));
    } else if (trap == "user link") {
        // Root's folder, reached through a link the user may point elsewhere at any time.
        const QString sticky = run + "/sticky";
        QVERIFY(QDir().mkpath(sticky) && ::chmod(QFile::encodeName(sticky).constData(), 01777) == 0);
        QVERIFY(QDir().mkpath(run + "/roots") && link(run + "/roots", sticky + "/link")
                && ::lchown(QFile::encodeName(sticky + "/link").constData(), user, user) == 0);
        arguments.last() = sticky + "/link/dest";
    } else if (trap == "group writable") {
        QVERIFY(installFirst());
        QVERIFY(::chmod(QFile::encodeName(destination).constData(), 0775) == 0);
        QVERIFY(QDir(destination + "/bin").removeRecursively() && link(victim, destination + "/bin"));
        arguments = removal;
    } else if (trap == "component link") {
        QVERIFY(installFirst());
        for (const QString &name : QDir(destination + "/include").entryList(QDir::Files))
            QVERIFY(E2e::writeFile(victim + '/' + name, "root's own " + name.toUtf8() + '\n'));
        QVERIFY(QDir(destination + "/include").removeRecursively() && link(victim, destination + "/include"));
        arguments = removal;
    } else if (trap == "bin link") {
        QVERIFY(link(victim, destination + "/bin"));
    } else if (trap == "runtime link") {
        release = run + "/release";
        QVERIFY(E2e::copyTree(fixture.release, release) && E2e::writeFile(release + "/runtime/libstand-in.so.1", "runtime\n"));
        QVERIFY(QDir().mkpath(destination + "/bin") && link(victim, destination + "/bin/runtime"));
    } else if (trap == "settings link") {
        const QString userSettings = run + "/userxdg";
        QVERIFY(link(victim + "/keep.txt", userSettings + "/Corvane/" + product + ".conf") && chownTree(userSettings, user));
        environment.insert("XDG_CONFIG_DIRS", userSettings);
        // And one at the machine's own settings file, which is replaced, not followed.
        prefix += QString(" && mkdir -p /etc/xdg/Corvane && ln -s '%1/keep.txt' '/etc/xdg/Corvane/%2.conf'")
                      .arg(victim, product);
    } else if (trap == "user mode") {
        QVERIFY(link(victim, home + "/data/applications"));
        environment.insert("XDG_DATA_HOME", home + "/data > " + victim + "/keep.txt");
        arguments << "--user-mode-install";
    } else if (trap == "lock folder") {
        prefix += QString(" && rm -rf %1 && mkdir -m 0777 %1 %1/planted && chown -R %2 %1").arg(E2e::rootLockFolder).arg(user);
    } else if (trap == "user's installation" || trap == "copy into user's folder") {
        QVERIFY(E2e::writeFile(destination + "/bin/uninstall", "#!/bin/sh\n") && link(victim, destination + "/bin/lib")
                && chownTree(destination, user));
        arguments = trap.startsWith("copy") ? QStringList{"--copy-files-to", destination, "--accept-license",
                                                           "--hide-progress", "--data-file", fixture.archive}
                                            : removal;
    } else if (trap == "path") {
        const QString tools = home + "/bin";
        for (const char *tool : {"update-desktop-database", "update-mime-database", "gtk-update-icon-cache"})
            QVERIFY(E2e::writeFile(tools + '/' + tool, "#!/bin/sh\necho ran > " + victim.toUtf8() + "/keep.txt\n",
                                   QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(chownTree(tools, user));
        environment.insert("PATH", tools + ':' + environment.value("PATH"));
    }

    const QStringList victimBefore = ownedManifest(victim);
    const E2e::Pairs roots = {{"dest", destination}, {"share", run + "/share"}, {"etc", run + "/etc"}};
    const QStringList before = E2e::manifest(roots);
    const QStringList command = QStringList{"sh", "-c", prefix + " && exec \"$@\"", "sh", release + "/Setup"} + arguments;
    const auto [exitStatus, errors] = E2e::runIsolated(run, command, environment);
    QVERIFY2(exitStatus == status, qPrintable(QString("status %1: %2").arg(exitStatus).arg(errors)));
    QCOMPARE(E2e::shown(errors).split('\n'),
             E2e::goldenSection("security.golden.txt", QTest::currentDataTag(), E2e::shown(errors)).split('\n'));
    QCOMPARE(ownedManifest(victim), victimBefore);
    if (installsNothing) {
        const QStringList after = E2e::manifest(roots);
        QCOMPARE(E2e::writtenFiles(before, after), QStringList{"etc/passwd 1"});
        QCOMPARE(E2e::writtenFiles(after, before), QStringList()); // nothing gone or changed
    }
    if (trap == "plain sudo" || trap.endsWith("link"))
        QCOMPARE(QFileInfo(home).ownerId(), user); // and nothing below it was handed over
    if (trap == "lock folder")
        QCOMPARE(E2e::describe(E2e::rootLockFolder) + ' ' + QString::number(QFileInfo(E2e::rootLockFolder).ownerId()),
                 QString("dir 0700 0"));
}

STUDIO_TEST_CLASS(SecurityRunsTest)
#include "SecurityRunsTest.moc"
