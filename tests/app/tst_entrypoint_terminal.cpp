#include "app/console/ConsoleLicenseDialogue.h"
#include "resources/LicenseText.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray continuePrompt("<Press a return to continue>");
const QByteArray question("Do you accept the agreement? [yes/no] ");

struct TerminalRun
{
    int exitCode = -1;
    QByteArray out; // what the terminal showed
    QByteArray err; // standard error, on a pipe
    int keysPressed = 0;
    QString failure;
};

// Runs Setup on a pseudo-terminal without echo or line-end translation: a key is
// pressed at every page prompt and `answer` typed at every question (Ctrl-D if empty).
TerminalRun runOnTerminal(const QStringList &arguments, unsigned short columns, unsigned short rows,
                          const QByteArray &answer, const QString &workingFolder)
{
    TerminalRun run;
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    int master = -1, slave = -1, errorPipe[2];
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0 || ::pipe(errorPipe) != 0) {
        run.failure = "openpty or pipe failed";
        return run;
    }
    termios settings{};
    ::tcgetattr(slave, &settings);
    settings.c_lflag &= ~tcflag_t(ECHO | ECHONL);
    settings.c_oflag &= ~tcflag_t(OPOST);
    ::tcsetattr(slave, TCSANOW, &settings);

    QList<QByteArray> argumentBytes{QByteArray(SETUP_BINARY)};
    for (const QString &argument : arguments)
        argumentBytes << QFile::encodeName(argument);
    QList<char *> argv;
    for (QByteArray &argument : argumentBytes)
        argv << argument.data();
    argv << nullptr;
    const QByteArray folder = QFile::encodeName(workingFolder);

    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        ::dup2(slave, STDIN_FILENO);
        ::dup2(slave, STDOUT_FILENO);
        ::dup2(errorPipe[1], STDERR_FILENO);
        for (int fd : {master, slave, errorPipe[0], errorPipe[1]})
            ::close(fd);
        if (::chdir(folder.constData()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(slave);
    ::close(errorPipe[1]);

    int questionsAnswered = 0;
    pollfd watched[2] = {{master, POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
    QByteArray *sinks[2] = {&run.out, &run.err};
    QDeadlineTimer deadline(60000);
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            run.failure = "Setup did not finish; output so far:\n" + QString::fromUtf8(run.out.right(400));
            break;
        }
        if (::poll(watched, 2, 200) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || !watched[i].revents)
                continue;
            char buffer[4096];
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0)
                sinks[i]->append(buffer, int(got));
            else if (got == 0 || errno != EINTR)
                watched[i].fd = -1; // EIO on the terminal once the last writer has gone
        }
        while (run.keysPressed < int(run.out.count(continuePrompt)) && ::write(master, "\n", 1) == 1)
            ++run.keysPressed;
        while (questionsAnswered < int(run.out.count(question))) {
            const QByteArray typed = answer.isEmpty() ? QByteArray(1, '\x04') : answer;
            if (::write(master, typed.constData(), size_t(typed.size())) < 0)
                break;
            ++questionsAnswered;
        }
    }
    int status = 0;
    if (::waitpid(child, &status, 0) == child)
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    else if (run.failure.isEmpty())
        run.failure = "no exit status";
    ::close(master);
    ::close(errorPipe[0]);
    return run;
}

// The licence pages as the terminal shows them: a prompt and its erasure after every
// rows - 1 lines.
QByteArray pagedLicence(int columns, int rows)
{
    const QStringList lines = ConsoleLicenseDialogue(columns, rows).lines(licenseText());
    QByteArray text;
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0 && i % (rows - 1) == 0)
            text += continuePrompt + '\r' + QByteArray(28, ' ') + '\r';
        text += lines.at(i).toUtf8() + '\n';
    }
    return text;
}

QByteArray visible(QByteArray bytes) { return bytes.replace('\r', "<CR>"); }

} // namespace

class tst_EntryPointTerminal : public QObject
{
    Q_OBJECT

private slots:
    void paging_data();
    void paging();
    void endOfInputDeclines();
    void acceptedLicence_data();
    void acceptedLicence();
};

void tst_EntryPointTerminal::paging_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("shownColumns");
    QTest::addColumn<int>("shownRows");

    QTest::newRow("80 x 25 pages every 24 lines") << 80 << 25 << 80 << 25;
    QTest::newRow("60 x 10 pages every 9 lines") << 60 << 10 << 60 << 10;
    QTest::newRow("200 columns wrap at 80, rows are not capped") << 200 << 60 << 80 << 60;
    QTest::newRow("a terminal without a size counts as 80 x 25") << 0 << 0 << 80 << 25;
}

void tst_EntryPointTerminal::paging()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, shownColumns);
    QFETCH(int, shownRows);

    QTemporaryDir folder;
    const QString destination = folder.filePath("dest");
    const TerminalRun run = runOnTerminal({"--copy-files-to", destination, "--hide-progress"},
                                          ushort(columns), ushort(rows), "Yes\n", folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    // Setup does not echo the answer (the terminal would).
    const QByteArray expected = pagedLicence(shownColumns, shownRows) + question + "License agreement accepted\n";
    QVERIFY2(run.out == expected, qPrintable(visible(run.out.right(300))));
    QCOMPARE(run.keysPressed, int(expected.count(continuePrompt)));
    QVERIFY2(run.keysPressed > 0, "the licence fitted on one page; the test proves nothing");
    QVERIFY(QFileInfo(destination + "/bin").isDir());
}

void tst_EntryPointTerminal::endOfInputDeclines()
{
    QTemporaryDir folder;
    const QString destination = folder.filePath("dest");
    const TerminalRun run = runOnTerminal({"--copy-files-to", destination}, 80, 25, QByteArray(), folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray("error: License agreement not accepted\n"));
    // No line end after end of input on a terminal; the bar's line is cleared.
    QVERIFY2(run.out.endsWith(question + '\r' + QByteArray(79, ' ') + '\r'), qPrintable(visible(run.out.right(200))));
    QVERIFY(!QFileInfo::exists(destination));
}

void tst_EntryPointTerminal::acceptedLicence_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expectedOut");

    const QByteArray draw("\rCopying files [");
    QTest::newRow("wide terminal gets an 80-column bar")
        << QStringList{"--accept-license"}
        << draw + QByteArray(57, '.') + "]   0% " + "<gap>" + draw + QByteArray(57, '*') + "] 100% \r"
            + QByteArray(79, ' ') + "\rCopying files completed\n";
    QTest::newRow("accepted and hidden prints nothing") << QStringList{"--accept-license", "--hide-progress"}
                                                        << QByteArray();
}

void tst_EntryPointTerminal::acceptedLicence()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expectedOut);

    QTemporaryDir folder;
    const TerminalRun run = runOnTerminal(QStringList{"--copy-files-to", folder.filePath("dest")} + options,
                                          200, 50, QByteArray(), folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.keysPressed, 0);
    const int gap = expectedOut.indexOf("<gap>");
    if (gap < 0) {
        QCOMPARE(run.out, expectedOut);
    } else {
        QVERIFY2(run.out.startsWith(expectedOut.left(gap)), qPrintable(visible(run.out.left(120))));
        QVERIFY2(run.out.endsWith(expectedOut.mid(gap + 5)), qPrintable(visible(run.out.right(200))));
    }
}

QTEST_GUILESS_MAIN(tst_EntryPointTerminal)
#include "tst_entrypoint_terminal.moc"
