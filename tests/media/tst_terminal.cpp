#include "media/platform/Terminal.h"

#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Puts another descriptor in place of a standard stream and gives the old one back.
class ScopedStream
{
public:
    ScopedStream(int stream, int replacement) : m_stream(stream), m_saved(::dup(stream))
    {
        std::fflush(stdout);
        ::dup2(replacement, stream);
    }
    ~ScopedStream()
    {
        std::fflush(stdout);
        ::dup2(m_saved, m_stream);
        ::close(m_saved);
        std::clearerr(stdin);
    }
private:
    int m_stream;
    int m_saved;
};

class PseudoTerminal
{
public:
    PseudoTerminal() { m_ok = ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0; }
    ~PseudoTerminal()
    {
        if (m_ok) {
            ::close(master);
            ::close(slave);
        }
    }
    bool isOpen() const { return m_ok; }
    int master = -1;
    int slave = -1;
private:
    bool m_ok = false;
};

} // namespace

class TestTerminal : public QObject
{
    Q_OBJECT

private slots:
    void sizeOfATerminal_data();
    void sizeOfATerminal();
    void sizeWhenNotATerminal();
    void readKeyRestoresSettings();
    void readKeyFromAPipe();
};

void TestTerminal::sizeOfATerminal_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    QTest::newRow("classic") << 80 << 24;
    QTest::newRow("wide") << 211 << 57;
}

void TestTerminal::sizeOfATerminal()
{
    QFETCH(int, columns);
    QFETCH(int, rows);

    PseudoTerminal terminal;
    QVERIFY(terminal.isOpen());
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    QVERIFY(::ioctl(terminal.master, TIOCSWINSZ, &size) == 0);

    int gotColumns = -1;
    int gotRows = -1;
    bool answered = false;
    {
        const ScopedStream output(STDOUT_FILENO, terminal.slave);
        answered = Platform::terminalSize(&gotColumns, &gotRows);
    }
    QVERIFY2(answered, "a terminal on standard output must be asked");
    QCOMPARE(gotColumns, columns);
    QCOMPARE(gotRows, rows);
}

void TestTerminal::sizeWhenNotATerminal()
{
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const int file = ::open(QFile::encodeName(temporary.path() + "/out").constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(file >= 0);
    int columns = -7;
    int rows = -9;
    bool answered = true;
    {
        const ScopedStream output(STDOUT_FILENO, file);
        answered = Platform::terminalSize(&columns, &rows);
    }
    ::close(file);
    QVERIFY2(!answered, "standard output redirected to a file has no size");
    QCOMPARE(columns, -7);
    QCOMPARE(rows, -9);
}

void TestTerminal::readKeyRestoresSettings()
{
    PseudoTerminal terminal;
    QVERIFY(terminal.isOpen());
    termios before{};
    QVERIFY(::tcgetattr(terminal.slave, &before) == 0);
    QVERIFY2(before.c_lflag & ICANON, "a fresh terminal starts in canonical mode");
    // No newline follows: in canonical mode the key would never be delivered.
    QVERIFY(::write(terminal.master, "q", 1) == 1);

    int key = 0;
    {
        const ScopedStream input(STDIN_FILENO, terminal.slave);
        key = Platform::readKey();
    }
    QCOMPARE(key, int('q'));
    termios after{};
    QVERIFY(::tcgetattr(terminal.slave, &after) == 0);
    QCOMPARE(after.c_lflag, before.c_lflag);
}

void TestTerminal::readKeyFromAPipe()
{
    int pipeEnds[2];
    QVERIFY(::pipe(pipeEnds) == 0);
    QVERIFY(::write(pipeEnds[1], "ab", 2) == 2);
    ::close(pipeEnds[1]);
    QList<int> keys;
    {
        const ScopedStream input(STDIN_FILENO, pipeEnds[0]);
        for (int i = 0; i < 3; ++i)
            keys.append(Platform::readKey());
    }
    ::close(pipeEnds[0]);
    QCOMPARE(keys, (QList<int>{ 'a', 'b', EOF }));
}

QTEST_GUILESS_MAIN(TestTerminal)
#include "tst_terminal.moc"
