// The installer application's own logic: its command line, one running installer per
// product, and the questions that protect the user's files.

#include "Support.h"

#include "app/run/InstallCommandLine.h"
#include "app/queries/UserQueries.h"
#include "app/startup/StudioApplication.h"

#include <QProcess>
#include <csignal>
#include <unistd.h>

namespace {

// Started with STUDIO_FIRST_INSTANCE set, this program is the first running installer: it
// prints "ready", then the first message another one hands it, and ends.
[[maybe_unused]] const bool firstInstance = [] {
    if (qEnvironmentVariableIsEmpty("STUDIO_FIRST_INSTANCE"))
        return false;
    static int argc = 1;
    static char name[] = "tst_installer", *argv[] = {name, nullptr};
    StudioApplication application("Corvane Corvane Fenwick Studio for RISC-V 4.52a Setup", argc, argv);
    QObject::connect(&application, &StudioApplication::messageReceived, [](const QString &message) {
        std::printf("received [%s]\n", qPrintable(message));
        std::fflush(stdout);
        _exit(0);
    });
    std::puts(application.isRunning() ? "running" : "ready");
    std::fflush(stdout);
    _exit(application.exec());
}();

} // namespace

class ApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    // The golden file holds what the command line asks for, or its error.
    void commandLine_data()
    {
        QTest::addColumn<QString>("arguments"); // the program first
        QTest::newRow("--quiet and --no-upgrade, which changes nothing") << "Setup --quiet --no-upgrade";
        QTest::newRow("--silent, -s and --accept-license") << "Setup --silent -s --accept-license";
        QTest::newRow("maintenance requests") << "Setup --modify --remove --repair";
        QTest::newRow("a program named uninstall, in any case, inside a longer name") << "/x/bin/Studio-UnInstall.bin";
        QTest::newRow("no options; a folder named uninstall does not count") << "/tmp/uninstall/Setup";
        QTest::newRow("--set keeps later equals signs, needs a name and =") << "Setup --set A=b=c --set =x --set plain";
        QTest::newRow("--destination takes the next argument, whatever it is") << "Setup --destination --quiet";
        QTest::newRow("a value-taking option at the end gets the empty text") << "Setup --set A=1 --destination";
        QTest::newRow("--user-mode-install moves OSAppDir below home") << "Setup --user-mode-install";
        QTest::newRow("a hexadecimal data offset") << "Setup --data-file /p/a.pkg --data-offset 1A00";
        QTest::newRow("an offset that is no number reads 0; a later file replaces one") << "Setup --data-offset xyz --data-file a --data-file b";
        QTest::newRow("an option of copy-files mode is unknown") << "Setup --hide-progress";
        QTest::newRow("--help is not the installer's; options are compared whole") << "Setup --help";
        QTest::newRow("the first unknown one is named, nothing after it is read") << "Setup --quiet --first --second --accept-license";
    }

    void commandLine()
    {
        QFETCH(QString, arguments);
        const InstallCommandLine line(arguments.split(u' '));
        QStringList facts{QString("flags %1, quiet %2, uninstaller %3, modify %4, remove %5, repair %6, user mode %7")
                              .arg(line.runFlags()).arg(line.isQuiet()).arg(line.programIsUninstaller()).arg(line.modifyRequested())
                              .arg(line.removeRequested()).arg(line.repairRequested()).arg(line.userModeInstall())};
        for (const InstallCommandLine::Assignment &assignment : line.assignments())
            facts << assignment.name + (assignment.isPath ? " := " : " = ") + assignment.value;
        facts << "data " + line.dataFile() + " at " + QString::number(line.dataOffset()) << line.error();
        COMPARE_GOLDEN("Application", facts.join(u'\n').trimmed().replace(QDir::homePath(), "~"));
    }

    // A first installer killed leaves a stale lock and socket: the next one becomes the first
    // instance, and the installer started after it hands it an empty message and ends. (Root's
    // lock, and so the sandbox's, lives below /run whatever the temporary folder.)
    void singleInstanceAfterACrash()
    {
        const auto start = [this](const QString &program) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("STUDIO_FIRST_INSTANCE", program.isEmpty() ? "1" : "");
            auto *process = new QProcess(this);
            process->setProcessEnvironment(environment);
            process->start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program, QStringList{});
            return process;
        };
        QProcess *first = nullptr;
        for (const bool killed : {true, false}) {
            first = start("");
            QVERIFY2(first->waitForReadyRead(20000) && first->readLine() == "ready\n", "no first instance");
            QVERIFY(!killed || (::kill(pid_t(first->processId()), SIGKILL) == 0 && first->waitForFinished()));
        }
        QProcess *installer = start(SETUP_BINARY);
        QVERIFY2(installer->waitForFinished(20000), "the installer did not find the first instance");
        QCOMPARE(installer->exitCode(), 0);
        QVERIFY2(first->waitForFinished(20000), "no message arrived");
        QCOMPARE(first->readAll(), QByteArray("received []\n"));
    }

    // Calls on files of five bytes: same (at the new file's time), older (an hour before),
    // newer (a minute after), ro and ro2 (read-only), disk/app (older, on a read-only
    // disk) and gone (missing). "overwrite+" offers a time 0.4 s after the new time.
    void questions_data()
    {
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QStringList>("answers"); // button texts, or paths for the find-file dialog
        QTest::newRow("an identical file is skipped without a question") << "overwrite same 5; overwrite+ same 5" << QStringList{};
        QTest::newRow("same time, other size: Yes replaces") << "overwrite same 6" << QStringList{"Yes"};
        QTest::newRow("an older file: Yes to All replaces it and later ones") << "overwrite older 5; overwrite newer 5; overwrite same 5" << QStringList{"Yes to All"};
        QTest::newRow("a newer file: No keeps it, the next is asked") << "overwrite newer 9; overwrite older 5" << QStringList{"No", "Yes"};
        QTest::newRow("No to All keeps it and later ones") << "overwrite newer 5; overwrite older 5" << QStringList{"No to All"};
        QTest::newRow("Cancel ends the run") << "overwrite older 5" << QStringList{"Cancel"};
        QTest::newRow("read-only: Yes makes it writable, the next is asked") << "readonly ro; readonly ro2" << QStringList{"Yes", "No"};
        QTest::newRow("read-only: Yes to All makes later ones writable") << "readonly ro; readonly ro2" << QStringList{"Yes to All"};
        QTest::newRow("read-only: No to All keeps later ones") << "readonly ro; readonly ro2" << QStringList{"No to All"};
        QTest::newRow("cannot be made writable: No tries again, Cancel ends the run") << "readonly gone" << QStringList{"Yes", "No", "Cancel"};
        QTest::newRow("nothing there: replaced without a question") << "replace gone" << QStringList{};
        QTest::newRow("read-only disk: after Yes to All the read-only question still comes")
            << "replace disk/app; replace disk/app" << QStringList{"Yes to All", "Yes", "Yes", "No"};
        QTest::newRow("locate: an existing file is returned expanded") << "locate $(QueryFolder)/same" << QStringList{};
        QTest::newRow("locate: Cancel after a wrong answer names the last one") << "locate $(QueryFolder)/gone" << QStringList{"<tmp>/nothing"};
        QTest::newRow("locate: a source found by locating the installation folder") << "locate $(SrcDir)/same" << QStringList{"<tmp>"};
        QTest::newRow("the fatal error report") << "report" << QStringList{"OK"};
    }

    void questions()
    {
        QFETCH(QString, calls);
        QFETCH(QStringList, answers);
        resetQueryPolicies();
        QTemporaryDir folder;
        const QDateTime newTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
        for (const auto &[name, offset] : {std::pair{"same", 0}, {"older", -3600}, {"newer", 60}, {"ro", 0}, {"ro2", 0}, {"disk/app", -3600}})
            QVERIFY(Support::writeFile(folder.filePath(name), "12345", newTime.addSecs(offset)));
        for (const char *name : {"ro", "ro2"})
            QVERIFY(QFile::setPermissions(folder.filePath(name), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(Support::lockFolder(folder.filePath("disk"), true));
        setVariable("QueryFolder", folder.path());
        setVariable("SrcDir", folder.filePath("gone"));
        QList<int> buttons;
        for (const QString &answer : std::as_const(answers))
            for (int id = Box::Yes; id <= Box::Cancel; id <<= 1)
                if (Box::buttonText(id).remove(u'&') == answer)
                    buttons << id;
        Answers script(buttons, answers.replaceInStrings("<tmp>", folder.path()).filter(folder.path()));

        QStringList results;
        for (const QString &call : calls.split("; ")) {
            const QString verb = call.section(u' ', 0, 0), path = folder.filePath(call.section(u' ', 1, 1));
            results << call + ": " + Support::outcome([&] {
                if (verb == "locate")
                    return locateFile(call.section(u' ', 1));
                if (verb == "report") {
                    reportError("Unknown command line option: '--frobnicate'");
                    return QString("reported");
                }
                return QString::number(verb == "readonly"  ? confirmReadOnlyOverwrite(path)
                                       : verb == "replace" ? mayReplaceFile(newTime, 5, path)
                                                           : confirmOverwrite(newTime.addMSecs(verb.endsWith('+') ? 400 : 0), call.section(u' ', 2).toInt(), path));
            });
        }
        QVERIFY(Support::lockFolder(folder.filePath("disk"), false));
        const char *policies[] = {"ask", "all", "none"};
        results << QString("remembered: overwrite %1, read-only %2").arg(policies[int(overwritePolicy())], policies[int(readOnlyPolicy())]);
        results << "ro writable: " + QString::number(bool(QFile::permissions(folder.filePath("ro")) & QFile::WriteOwner)) << script.transcript;
        COMPARE_GOLDEN("Application", results.join(u'\n').replace(folder.path(), "<tmp>"));
    }
};

STUDIO_TEST_CLASS(ApplicationTest)
#include "ApplicationTest.moc"
