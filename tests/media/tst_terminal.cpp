#include "media/platform/Terminal.h"

#include <QtTest>

#include <cstdio>
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

struct PseudoTerminal
{
    int master = -1, slave = -1;
    bool ok = ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0;
    ~PseudoTerminal()
    {
        if (ok) {
            ::close(master);
            ::close(slave);
        }
    }
};

} // namespace

class TestTerminal : public QObject
{
    Q_OBJECT

private slots:
    void terminalSize_data();
    void terminalSize();
    void readKeyRestoresSettings();
};

void TestTerminal::terminalSize_data()
{
    QTest::addColumn<bool>("terminal"); // false: standard output goes to a file
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    QTest::newRow("classic terminal") << true << 80 << 24;
    QTest::newRow("redirected to a file leaves the answers alone") << false << -7 << -9;
}

void TestTerminal::terminalSize()
{
    QFETCH(bool, terminal);
    QFETCH(int, columns);
    QFETCH(int, rows);

    PseudoTerminal pseudoTerminal;
    QVERIFY(pseudoTerminal.ok);
    QTemporaryFile file;
    QVERIFY(file.open());
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    QVERIFY(!terminal || ::ioctl(pseudoTerminal.master, TIOCSWINSZ, &size) == 0);

    int gotColumns = -7, gotRows = -9;
    bool answered = false;
    {
        const ScopedStream output(STDOUT_FILENO, terminal ? pseudoTerminal.slave : file.handle());
        answered = Platform::terminalSize(&gotColumns, &gotRows);
    }
    QCOMPARE(answered, terminal);
    QCOMPARE(gotColumns, columns);
    QCOMPARE(gotRows, rows);
}

void TestTerminal::readKeyRestoresSettings()
{
    PseudoTerminal terminal;
    QVERIFY(terminal.ok);
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

QTEST_GUILESS_MAIN(TestTerminal)
#include "tst_terminal.moc"
