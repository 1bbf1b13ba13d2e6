#include "E2eSupport.h"

#include "common/Sandbox.h"
#include "common/TestMain.h"

#include <QRegularExpression>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

// Copy-files mode as a user meets it on a terminal (licence pages, the agreement question,
// the bar, refusals: each row's transcript is a section of terminal.golden.txt) and the files.
class CopyFilesTerminalTest : public QObject
{
    Q_OBJECT
private slots:
    void copyFiles_data();
    void copyFiles();
};

namespace {

const QByteArray continuePrompt("<Press a return to continue>");
const QByteArray question("Do you accept the agreement? [yes/no] ");

// Runs the release's Setup on a pseudo-terminal without echo or line-end translation:
// a return at every page prompt, the next answer at every question (end of input when
// none is left). Answers the exit status and what the terminal showed.
QPair<int, QByteArray> runOnTerminal(const QStringList &arguments, QSize terminal, QByteArrayList answers)
{
    const QString release = E2e::fixture().release;
    QByteArrayList argumentBytes{QFile::encodeName(release + "/Setup")};
    for (const QString &argument : arguments)
        argumentBytes << QFile::encodeName(argument);
    QList<char *> argv;
    for (QByteArray &argument : argumentBytes)
        argv << argument.data();
    argv << nullptr;
    const QByteArray workingFolder = QFile::encodeName(release); // the installer files are "./" there
    termios settings{};
    settings.c_cflag = CS8 | CREAD;
    settings.c_lflag = ICANON;
    settings.c_cc[VEOF] = 4;
    ::cfsetspeed(&settings, B38400);
    winsize size{ushort(terminal.height()), ushort(terminal.width()), 0, 0};

    int master = -1, keysPressed = 0, questionsAnswered = 0, status = 0;
    const pid_t child = ::forkpty(&master, nullptr, &settings, &size);
    if (child == 0) {
        if (::chdir(workingFolder.constData()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    QByteArray shown;
    const QDeadlineTimer deadline(60000);
    while (child > 0 && !deadline.hasExpired()) {
        pollfd watched{master, POLLIN, 0};
        if (::poll(&watched, 1, 200) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0 && errno != EINTR)
            break; // EIO once the last writer has gone
        shown.append(buffer, int(std::max<ssize_t>(got, 0)));
        while (keysPressed < int(shown.count(continuePrompt)) && ::write(master, "\n", 1) == 1)
            ++keysPressed;
        for (; questionsAnswered < int(shown.count(question)); ++questionsAnswered) {
            const QByteArray typed = answers.isEmpty() ? QByteArray(1, '\x04') : answers.takeFirst();
            if (::write(master, typed.constData(), size_t(typed.size())) < 0)
                break;
        }
    }
    if (deadline.hasExpired())
        ::kill(child, SIGKILL);
    const bool ended = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status);
    ::close(master);
    return {ended && !deadline.hasExpired() ? WEXITSTATUS(status) : -1, shown};
}

QStringList installerFiles()
{
    return QStringList{"bin/Setup"} + QStringList(E2e::libraryNames).replaceInStrings(QRegularExpression("^"), "bin/");
}

} // namespace

void CopyFilesTerminalTest::copyFiles_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("terminal");
    QTest::addColumn<QByteArrayList>("answers");
    QTest::addColumn<QString>("existing"); // a file the user has in the folder already
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("copied");

    QStringList everything = installerFiles();
    for (const QString &entry : E2e::manifest({{"", E2e::fixture().payload}}).filter("\tfile "))
        everything << entry.section('\t', 0, 0).mid(1);
    const QStringList archive = {"--copy-files-to", "@DEST@", "--data-file", "@PAYLOAD@"};
    const QSize standard(80, 25);
    QTest::newRow("licence paged and accepted, then the bar")
        << archive << standard << QByteArrayList{"yes\n"} << QString() << 0 << everything;
    QTest::newRow("a terminal without a size pages as 80 x 25, a lone y asks again")
        << QStringList{"--copy-files-to", "@DEST@", "--hide-progress"} << QSize(0, 0)
        << QByteArrayList{"y\n", "YES\n"} << QString() << 0 << installerFiles();
    QTest::newRow("no declines") << archive << standard << QByteArrayList{"no\n"} << QString() << 1 << QStringList();
    QTest::newRow("end of input declines") << archive << standard << QByteArrayList() << QString() << 1
                                           << QStringList();
    QTest::newRow("wide terminal: an 80-column bar, every copy listed")
        << archive + QStringList{"--accept-license", "--verbose"} << QSize(200, 50) << QByteArrayList() << QString()
        << 0 << everything;
    QTest::newRow("relative folder refused before the licence")
        << QStringList{"--copy-files-to", "out"} << standard << QByteArrayList() << QString() << 1 << QStringList();
    QTest::newRow("a member the user already has stops the copy and stays")
        << archive + QStringList{"--accept-license", "--hide-progress"} << standard << QByteArrayList()
        << "bin/README.txt" << 1
        << installerFiles() + QStringList{"bin/99-vantor.rules", "bin/FileIcon.png", "bin/README.txt"};
    QTest::newRow("a data file that does not exist")
        << QStringList{"--copy-files-to", "@DEST@", "--accept-license", "--data-file", "/no-such.pkg"} << standard
        << QByteArrayList() << QString() << 1 << QStringList();
    QTest::newRow("help") << QStringList{"--copy-files-to", "@DEST@", "--help"} << standard << QByteArrayList()
                          << QString() << 1 << QStringList();
}

void CopyFilesTerminalTest::copyFiles()
{
    QFETCH(QStringList, options);
    QFETCH(QSize, terminal);
    QFETCH(QByteArrayList, answers);
    QFETCH(QString, existing);
    QFETCH(int, status);
    QFETCH(QStringList, copied);

    const E2e::Fixture &fixture = E2e::fixture();
    QTemporaryDir folder(Sandbox::root() + "/copy-XXXXXX");
    const QString destination = folder.filePath("dest");
    QVERIFY(existing.isEmpty() || E2e::writeFile(destination + '/' + existing, "mine"));
    const QString usersFile = E2e::describe(destination + '/' + existing);
    options.replaceInStrings("@DEST@", destination);
    options.replaceInStrings("@PAYLOAD@", fixture.archive);

    const auto [exitStatus, shown] = runOnTerminal(options, terminal, answers);
    const QString text = QString::fromUtf8(shown).replace('\r', "<CR>").replace(destination, "@DEST@");
    QVERIFY2(exitStatus == status, qPrintable(QString::number(exitStatus) + ": " + text.right(600)));
    QCOMPARE(text.split('\n'), E2e::goldenSection("terminal.golden.txt", QTest::currentDataTag(), text).split('\n'));
    QVERIFY2(!QFileInfo::exists(fixture.release + "/out"), "a relative folder was created");

    // Each file as its source: contents, mode, and time (members keep the archive's).
    QStringList expected;
    for (const QString &file : copied) {
        const bool installerFile = installerFiles().contains(file);
        expected << "dest/" + file + '\t'
                        + (file == existing ? usersFile
                                            : E2e::describe(installerFile ? fixture.release + file.mid(3)
                                                                          : fixture.payload + '/' + file));
    }
    expected.sort();
    QCOMPARE(E2e::manifest({{"dest", destination}}).filter("\tfile "), expected);
}

STUDIO_TEST_CLASS(CopyFilesTerminalTest)
#include "CopyFilesTerminalTest.moc"
