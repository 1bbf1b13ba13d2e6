// Runs of the engine alone: questions answered by a script, reports written down; each row
// checks what was asked, what was shown and what the run left on disk.

#include "common/TestMain.h"

#include "app/core/InstallException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "app/queries/InstallQuestions.h"
#include "app/queries/UserQueries.h"
#include "app/run/InstallCommandLine.h"
#include "app/run/InstallRun.h"
#include "app/run/InstallStepReporter.h"
#include "app/run/InstallSteps.h"
#include "app/run/InstallerVariables.h"
#include "configuration/product/ConfigurationList.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QMap<int, QString> buttonNames = {{InstallQuestions::Yes, "Yes"},      {InstallQuestions::YesToAll, "Yes to All"},
                                        {InstallQuestions::Ok, "OK"},        {InstallQuestions::Retry, "Retry"},
                                        {InstallQuestions::No, "No"},        {InstallQuestions::NoToAll, "No to All"},
                                        {InstallQuestions::Ignore, "Ignore"}, {InstallQuestions::Cancel, "Cancel"}};

// Answers in turn from a script and writes down what was asked: a question's heading
// and the answer, a find-file request and the path given (none: given up).
class ScriptedQuestions : public InstallQuestions
{
public:
    QStringList answers; // button names, or paths for find-file requests; run out: Cancel
    QStringList transcript;
    bool canAnswer() const override { return true; }
    int ask(const Question &question) override
    {
        const QString answer = answers.isEmpty() ? QString("Cancel") : answers.takeFirst();
        transcript << expand(question.heading) + " -> " + answer;
        return buttonNames.key(answer, Cancel);
    }
    Location locate(const QString &path) override
    {
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        transcript << "locate " + QFileInfo(expand(path)).fileName() + " -> " + (answer.isEmpty() ? "gave up" : "found");
        Location location;
        location.located = !answer.isEmpty();
        location.file = answer;
        return location;
    }
    QString chooseFolder(const QString &caption, const QString &) override
    {
        transcript << caption.trimmed() + " -> none";
        return QString();
    }
};

class RecordingReporter : public InstallStepReporter
{
public:
    QStringList events;
    void showPhase(Phase phase) override { events << "phase " + QString::number(phase); }
    void setConfigurationPrefix(const QString &) override {}
    void showDataProgress(quint64, quint64) override {}
    void showSuccess(const QString &message) override { events << "success: " + expand(message); }
    void showFailure(const QString &message) override { events << "failure: " + expand(message); }
    void endQuietRun() override { events << "end"; }
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class EngineRunsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        m_archive = m_scratch.filePath("payload.pkg");
        QCOMPARE(QProcess::execute(PKGARCHIVE_BINARY, {"create", m_archive, STUDIO_SOURCE_DIR "/demo/payload"}), 0);
        m_release = m_scratch.filePath("release");
        QVERIFY(QDir().mkpath(m_release) && QFile::copy(SETUP_BINARY, m_release + "/Setup"));
        for (const QString &name : QDir(STUDIO_SOURCE_DIR "/demo/installer-files").entryList(QDir::Files))
            QVERIFY(QFile::copy(STUDIO_SOURCE_DIR "/demo/installer-files/" + name, m_release + '/' + name));
        QVERIFY(QDir().mkpath("/etc/udev/rules.d"));
        // The refresh tools run by their system paths; stand-ins that write down their calls take their place.
        const QString standIn = m_scratch.filePath("refresh");
        QVERIFY(writeFile(standIn, "#!/bin/sh\necho \"${0##*/} $*\" >> '" + QFile::encodeName(m_scratch.filePath("calls")) + "'\n")
                && ::chmod(QFile::encodeName(standIn).constData(), 0755) == 0);
        for (const char *tool : {"update-desktop-database", "update-mime-database", "gtk-update-icon-cache"})
            QVERIFY2(QProcess::execute("mount", {"--bind", standIn, QString("/usr/bin/") + tool}) == 0, tool);
    }

    // An installation refreshes the menu, MIME and icon databases, a removal the menu's alone;
    // the removal leaves the folders above the destination, empty or not.
    void refreshesAndKeepsTheFoldersAbove()
    {
        const QString above = m_scratch.filePath("above");
        QVERIFY(writeFile(above + "/keep", "stays"));
        const auto calls = [this] {
            QFile log(m_scratch.filePath("calls"));
            QStringList lines = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts)
                                                              : QStringList();
            lines.sort();
            return lines.join(", ");
        };
        QCOMPARE(runOnce("install", above + "/Fenwick Studio/studio", true), QString("phase 6, phase 0, end"));
        QTRY_COMPARE(calls(), QString("gtk-update-icon-cache -q /usr/share/icons/hicolor, update-desktop-database -q "
                                      "/usr/share/applications, update-mime-database /usr/share/mime"));
        QVERIFY(QFile::remove(m_scratch.filePath("calls")));
        QCOMPARE(runOnce("remove", above + "/Fenwick Studio/studio", true), QString("phase 5, phase 1, end"));
        QTRY_COMPARE(calls(), QString("update-desktop-database -q /usr/share/applications"));
        QCOMPARE(QDir(above).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"Fenwick Studio", "keep"}));
        QVERIFY2(QDir(above + "/Fenwick Studio").isEmpty(), "only the destination itself is removed");
    }

    // Runs on one destination: "install", "upgrade" or "remove", "quiet" (no result page),
    // "unattended" (nobody answers); "missing NAME" takes an installer file away, "older
    // NAME" puts an older file into bin, "locked NAME" makes that folder read-only.
    void runs_data()
    {
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("expected"); // per run: events | questions | files in bin
        const QString ok = "phase 6, phase 0, success: Corvane Fenwick Studio for RISC-V 4.52a has now been installed.";
        QTest::newRow("install, upgrade and remove ask nothing")
                << QStringList{"install", "upgrade", "remove"} << QStringList{}
                << QStringList{ok + " |  | 15",
                               "phase 5, phase 6, phase 4, success: Corvane Fenwick Studio for RISC-V 4.52a has now been upgraded. |  | 15",
                               "phase 5, phase 1, success: Corvane Fenwick Studio for RISC-V 4.52a had now been uninstalled. |  | gone"};
        QTest::newRow("quiet runs end without a result page")
                << QStringList{"install quiet", "remove quiet"} << QStringList{}
                << QStringList{"phase 6, phase 0, end |  | 15", "phase 5, phase 1, end |  | gone"};
        QTest::newRow("a missing installer file found again")
                << QStringList{"install missing libQtXml.so.4"} << QStringList{"<release>/found/libQtXml.so.4"}
                << QStringList{ok + " | locate libQtXml.so.4 -> found | 15"};
        QTest::newRow("not found, and the run goes on without the installer's files")
                << QStringList{"install missing libQtXml.so.4"} << QStringList{"", "No"}
                << QStringList{"phase 6, phase 0, success: Corvane Fenwick Studio for RISC-V 4.52a has now been installed."
                               " | locate libQtXml.so.4 -> gave up, Installer Installation Failed -> No | 14"};
        QTest::newRow("not found, and the run ends")
                << QStringList{"install missing libQtXml.so.4"} << QStringList{"", "Yes"}
                << QStringList{"phase 6, phase 0, cancelled | locate libQtXml.so.4 -> gave up, Installer Installation Failed -> Yes | 9"};
        QTest::newRow("unattended: a missing file ends the run with why")
                << QStringList{"install unattended missing libQtXml.so.4"} << QStringList{}
                << QStringList{"phase 6, phase 0, failed: Corvane Fenwick Studio for RISC-V 4.52a has not been installed.<p>"
                               "The installation of the Installer component has failed.<p>Cannot find file 'libQtXml.so.4'. |  | 9"};
        QTest::newRow("an older file: No keeps it, Yes to All replaces the rest")
                << QStringList{"install older fwStudio older StudioIcon.png"} << QStringList{"No", "Yes to All"}
                << QStringList{ok + " | Older version of StudioIcon.png already exists -> No, Older version of fwStudio already exists -> Yes to All | 15"};
        QTest::newRow("a file that cannot be removed: Ignore passes over it, Cancel ends the removal")
                << QStringList{"install", "remove locked html"} << QStringList{"Ignore", "Cancel"}
                << QStringList{ok + " |  | 15", "phase 5, phase 1, cancelled | Cannot remove getting-started.html -> Ignore, "
                                                "Cannot remove index.html -> Cancel | 15"};
        QTest::newRow("unattended: the overwrite question takes Cancel")
                << QStringList{"install unattended older fwStudio"} << QStringList{}
                << QStringList{"phase 6, phase 0, cancelled |  | 15"};
    }

    void runs()
    {
        QFETCH(QStringList, runs);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, expected);
        const QString destination = m_scratch.filePath(QString("dest-%1").arg(++m_rowNumber));
        ScriptedQuestions questions;
        questions.answers = answers.replaceInStrings("<release>", m_release);
        QVERIFY(QDir().mkpath(m_release + "/found") && writeFile(m_release + "/found/libQtXml.so.4", "stand-in"));
        QStringList seen;
        for (const QString &step : runs) {
            const QStringList words = step.split(' ');
            const int missing = words.indexOf("missing");
            if (missing > 0)
                QVERIFY(QFile::rename(m_release + '/' + words.at(missing + 1), m_release + "/found/" + words.at(missing + 1) + ".away"));
            for (int i = 0; i + 1 < words.size(); ++i) {
                if (words.at(i) == "older") {
                    const QString path = destination + "/bin/" + words.at(i + 1);
                    QFile earlier(path);
                    QVERIFY(writeFile(path, "an earlier version") && earlier.open(QIODevice::ReadWrite)
                            && earlier.setFileTime(QDateTime(QDate(2001, 1, 1), QTime()), QFileDevice::FileModificationTime));
                }
            }
            const int locked = words.indexOf("locked");
            const QString lockedFolder = locked > 0 ? destination + '/' + words.at(locked + 1) : QString();
            if (locked > 0)
                QVERIFY(QProcess::execute("mount", {"--bind", "-o", "ro", lockedFolder, lockedFolder}) == 0);
            InstallQuestions *const previous = InstallQuestions::install(words.contains("unattended") ? nullptr : &questions);
            questions.transcript.clear();
            const QString events = runOnce(words.first(), destination, words.contains("quiet") || words.contains("unattended"));
            InstallQuestions::install(previous);
            if (locked > 0)
                QVERIFY(QProcess::execute("umount", {lockedFolder}) == 0);
            if (missing > 0)
                QVERIFY(QFile::rename(m_release + "/found/" + words.at(missing + 1) + ".away", m_release + '/' + words.at(missing + 1)));
            const QDir bin(destination + "/bin");
            seen << events + " | " + questions.transcript.join(", ") + " | "
                            + (bin.exists() ? QString::number(bin.entryList(QDir::Files).size()) : QString("gone"));
        }
        QCOMPARE(seen, expected);
    }

private:
    // One run of `kind` into `destination`: what the steps reported, ending in
    // "cancelled" or "failed: why" when the run stopped.
    QString runOnce(const QString &kind, const QString &destination, bool quiet)
    {
        InstallerVariables::initialise();
        setPathVariable("SrcDir", m_release);
        setPathVariable("SrcInstallerDir", m_release);
        resetQueryPolicies();
        ConfigurationList list;
        InstallRun run(&list);
        QStringList arguments{"Setup", "--data-file", m_archive, "--destination", destination};
        if (quiet)
            arguments << "--quiet" << "--accept-license";
        run.setUp(InstallCommandLine(arguments));
        RecordingReporter reporter;
        InstallSteps steps(run, reporter);
        try {
            if (kind == "install") {
                steps.install();
            } else {
                run.setMode(kind == "upgrade" ? InstallRun::Upgrade : InstallRun::Remove);
                steps.openInstallation(expand("$(InstallerDir)/IConf.xml"));
                kind == "upgrade" ? steps.upgrade() : void(steps.remove());
            }
        } catch (const InstallUserCancelException &) {
            steps.saveRecordIfPending();
            reporter.events << "cancelled";
        } catch (const InstallException &failure) {
            steps.saveRecordIfPending();
            reporter.events << "failed: " + expand(failure.message());
        }
        return reporter.events.join(", ");
    }

    QTemporaryDir m_scratch;
    QString m_archive;
    QString m_release;
    int m_rowNumber = 0;
};

STUDIO_TEST_CLASS(EngineRunsTest)
#include "EngineRunsTest.moc"
