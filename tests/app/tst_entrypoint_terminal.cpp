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
    QByteArray out;   // what the terminal showed
    QByteArray err;   // standard error, kept apart on a pipe
    int keysPressed = 0;
    QString failure;
};

// Runs Setup on a pseudo-terminal of the given size: a key is pressed at every page
// prompt and `answer` typed at every question. The terminal neither echoes nor
// translates line ends, so the output is exactly what Setup wrote.
TerminalRun runOnTerminal(const QStringList &arguments, unsigned short columns, unsigned short rows,
                          const QByteArray &answer, const QString &workingFolder)
{
    TerminalRun run;
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    termios settings{};
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        run.failure = QStringLiteral("openpty failed");
        return run;
    }
    ::tcgetattr(slave, &settings);
    settings.c_lflag &= ~tcflag_t(ECHO | ECHONL);
    settings.c_oflag &= ~tcflag_t(OPOST);
    ::tcsetattr(slave, TCSANOW, &settings);

    int errorPipe[2];
    if (::pipe(errorPipe) != 0) {
        run.failure = QStringLiteral("pipe failed");
        return run;
    }

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
        ::close(master);
        ::close(slave);
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        if (::chdir(folder.constData()) != 0)
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(slave);
    ::close(errorPipe[1]);

    int questionsAnswered = 0;
    bool exited = false;
    bool terminalOpen = true;
    bool errorOpen = true;
    QDeadlineTimer deadline(60000);
    while (terminalOpen || errorOpen) {
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            run.failure = QStringLiteral("Setup did not finish; output so far:\n") + QString::fromUtf8(run.out.right(400));
            break;
        }
        pollfd watched[2] = {{master, POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
        if (!terminalOpen)
            watched[0].fd = -1;
        if (!errorOpen)
            watched[1].fd = -1;
        if (::poll(watched, 2, 200) < 0 && errno != EINTR)
            break;
        char buffer[4096];
        if (watched[0].revents) {
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0)
                run.out.append(buffer, int(got));
            else if (got == 0 || errno != EINTR)
                terminalOpen = false; // EIO once the last writer has gone
        }
        if (watched[1].revents) {
            const ssize_t got = ::read(errorPipe[0], buffer, sizeof buffer);
            if (got > 0)
                run.err.append(buffer, int(got));
            else if (got == 0 || errno != EINTR)
                errorOpen = false;
        }
        while (run.keysPressed < int(run.out.count(continuePrompt))) {
            if (::write(master, "\n", 1) == 1)
                ++run.keysPressed;
        }
        while (questionsAnswered < int(run.out.count(question))) {
            if (!answer.isEmpty() && ::write(master, answer.constData(), size_t(answer.size())) < 0)
                break;
            if (answer.isEmpty()) {
                // Ctrl-D on an empty line: end of input on a terminal.
                const char endOfInput = 4;
                if (::write(master, &endOfInput, 1) != 1)
                    break;
            }
            ++questionsAnswered;
        }
    }
    int status = 0;
    if (::waitpid(child, &status, 0) == child) {
        exited = true;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    ::close(master);
    ::close(errorPipe[0]);
    if (!exited && run.failure.isEmpty())
        run.failure = QStringLiteral("no exit status");
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

QByteArray visible(QByteArray bytes)
{
    return bytes.replace('\r', "<CR>");
}

} // namespace

class tst_EntryPointTerminal : public QObject
{
    Q_OBJECT

private slots:
    void paging_data();
    void paging();
    void declineOnTerminal_data();
    void declineOnTerminal();
    void wideTerminalGetsAnEightyColumnBar();
    void acceptedLicenceSkipsTheDialogue();
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
    QVERIFY(folder.isValid());
    const QString destination = folder.filePath(QStringLiteral("dest"));
    const TerminalRun run = runOnTerminal({"--copy-files-to", destination, "--hide-progress"},
                                          ushort(columns), ushort(rows), "Yes\n", folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QVERIFY2(run.exitCode == 0, run.err.constData());

    // Interactive: the answer is not echoed by Setup (the terminal would do that).
    const QByteArray expected = pagedLicence(shownColumns, shownRows) + question
        + "License agreement accepted\n";
    QVERIFY2(run.out == expected,
             qPrintable(QStringLiteral("got %1 bytes, wanted %2; got ends with:\n%3")
                            .arg(run.out.size())
                            .arg(expected.size())
                            .arg(QString::fromUtf8(visible(run.out.right(300))))));
    QCOMPARE(run.keysPressed, int(expected.count(continuePrompt)));
    QVERIFY2(run.keysPressed > 0, "the licence fitted on one page; the test proves nothing");
    QVERIFY(QFileInfo(destination + QStringLiteral("/bin")).isDir());
}

void tst_EntryPointTerminal::declineOnTerminal_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("expectedTail");

    QTest::newRow("no") << QByteArray("no\n") << QByteArray(question);
    QTest::newRow("end of input writes no line end on a terminal") << QByteArray() << QByteArray(question);
}

void tst_EntryPointTerminal::declineOnTerminal()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, expectedTail);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString destination = folder.filePath(QStringLiteral("dest"));
    const TerminalRun run = runOnTerminal({"--copy-files-to", destination}, 80, 25, answer, folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray("error: License agreement not accepted\n"));
    // The bar was not hidden, so its line is cleared before the error.
    const QByteArray tail = expectedTail + '\r' + QByteArray(79, ' ') + '\r';
    QVERIFY2(run.out.endsWith(tail), qPrintable(visible(run.out.right(200))));
    QVERIFY(!QFileInfo::exists(destination));
}

void tst_EntryPointTerminal::wideTerminalGetsAnEightyColumnBar()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const TerminalRun run = runOnTerminal({"--copy-files-to", folder.filePath(QStringLiteral("dest")),
                                           "--accept-license"},
                                          200, 50, QByteArray(), folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray clear = '\r' + QByteArray(79, ' ') + '\r';
    const QByteArray expectedEnd = "\rCopying files [" + QByteArray(57, '*') + "] 100% " + clear
        + "Copying files completed\n";
    QVERIFY2(run.out.startsWith("\rCopying files [" + QByteArray(57, '.') + "]   0% "),
             qPrintable(visible(run.out.left(120))));
    QVERIFY2(run.out.endsWith(expectedEnd), qPrintable(visible(run.out.right(200))));
}

void tst_EntryPointTerminal::acceptedLicenceSkipsTheDialogue()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const TerminalRun run = runOnTerminal({"--copy-files-to", folder.filePath(QStringLiteral("dest")),
                                           "--accept-license", "--hide-progress"},
                                          80, 25, QByteArray(), folder.path());
    QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.keysPressed, 0);
}

QTEST_GUILESS_MAIN(tst_EntryPointTerminal)
#include "tst_entrypoint_terminal.moc"
