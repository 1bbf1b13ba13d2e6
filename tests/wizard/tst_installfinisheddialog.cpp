// The finished page: which check boxes it offers as root and as another user, and the
// closing actions that write the command file or start the product.

#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/pages/InstallFinishedDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString notesText = QStringLiteral("$(SrcDir)/doc/notes.html");
const QString launchText = QStringLiteral("$(SrcDir)/bin/studio");
const QString launchLabelText = QStringLiteral("Launch $(Product)");

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestInstallFinishedDialog : public QObject
{
    Q_OBJECT

    QString commandFile() const { return m_folder->filePath(QStringLiteral(".extract_commands.txt")); }

    std::unique_ptr<QTemporaryDir> m_folder;
    ClassicInstallWizard *m_wizard = nullptr; // owned by the application
    std::unique_ptr<WizardTestApplication> m_application;

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        setVariable(QStringLiteral("Product"), QStringLiteral("Fenwick Studio"));
        setPathVariable(QStringLiteral("SrcDir"), m_folder->path());
        m_wizard = new ClassicInstallWizard;
        m_application = std::make_unique<WizardTestApplication>(m_wizard, nullptr);
    }

    void cleanup()
    {
        m_application.reset();
        m_wizard = nullptr;
        m_folder.reset();
    }

    void boxesOffered_data()
    {
        QTest::addColumn<bool>("asRoot");
        QTest::addColumn<bool>("commandFileExists");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("releaseNotes");
        QTest::addColumn<QString>("launchCommand");
        QTest::addColumn<bool>("notesBox");
        QTest::addColumn<bool>("launchBox");

        const int install = InstallApplication::Custom;
        const int remove = InstallApplication::Remove;
        QTest::newRow("root without command file: no boxes")
            << true << false << install << notesText << launchText << false << false;
        QTest::newRow("root with command file: both boxes")
            << true << true << install << notesText << launchText << true << true;
        QTest::newRow("user without command file: both boxes")
            << false << false << install << notesText << launchText << true << true;
        QTest::newRow("user, empty release notes: launch only")
            << false << false << install << "" << launchText << false << true;
        QTest::newRow("user, empty launch command: notes only")
            << false << false << install << notesText << "" << true << false;
        QTest::newRow("removal never offers anything")
            << false << true << remove << notesText << launchText << false << false;
    }

    void boxesOffered()
    {
        QFETCH(bool, asRoot);
        QFETCH(bool, commandFileExists);
        QFETCH(int, mode);
        QFETCH(QString, releaseNotes);
        QFETCH(QString, launchCommand);
        QFETCH(bool, notesBox);
        QFETCH(bool, launchBox);

        if (commandFileExists) {
            QFile file(commandFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        m_application->setMode(InstallApplication::Mode(mode));
        InstallFinishedDialog page(m_application.get(), launchLabelText, launchCommand, releaseNotes,
                                   asRoot);

        QCOMPARE(page.releaseNotesBox() != nullptr, notesBox);
        QCOMPARE(page.launchBox() != nullptr, launchBox);
        QCOMPARE(page.findChildren<QCheckBox *>().size(), int(notesBox) + int(launchBox));
        if (notesBox)
            QVERIFY(page.releaseNotesBox()->text() == "Show Release Notes" && !page.releaseNotesBox()->isChecked());
        if (launchBox)
            QVERIFY(page.launchBox()->text() == "Launch Fenwick Studio" && page.launchBox()->isChecked());
        QCOMPARE(page.title(), QStringLiteral("Installation Complete"));
        QCOMPARE(page.nextLabel(), QStringLiteral("&Finish"));
        QCOMPARE(page.flags(), 10);
    }

    void closingActionsAsRoot_data()
    {
        QTest::addColumn<bool>("notesTicked");
        QTest::addColumn<bool>("launchTicked");
        QTest::addColumn<QStringList>("lines");

        const QString notesLine = QStringLiteral("%1/doc|xdg-open|file:///%1/doc/notes.html");
        const QString launchLine = QStringLiteral("%1/bin|%1/bin/studio");
        QTest::newRow("both: release notes first") << true << true << QStringList{notesLine, launchLine};
        QTest::newRow("release notes only") << true << false << QStringList{notesLine};
        QTest::newRow("nothing ticked leaves the file alone") << false << false << QStringList{};
    }

    void closingActionsAsRoot()
    {
        QFETCH(bool, notesTicked);
        QFETCH(bool, launchTicked);
        QFETCH(QStringList, lines);

        {
            QFile file(commandFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("stale line that must go\n");
        }
        InstallFinishedDialog page(m_application.get(), launchLabelText, launchText, notesText, true);
        page.releaseNotesBox()->setChecked(notesTicked);
        page.launchBox()->setChecked(launchTicked);
        m_wizard->addDialog(&page, 17);
        m_wizard->showDialog(17);

        page.performClosingActions();

        QByteArray expected;
        for (const QString &line : std::as_const(lines))
            expected += line.arg(m_folder->path()).toLocal8Bit() + '\n';
        if (lines.isEmpty())
            expected = "stale line that must go\n";
        QCOMPARE(fileContents(commandFile()), expected);
    }

    void closingActionsAsUserStartTheProduct()
    {
        // The "product" leaves a mark, so the test can see that it was started.
        const QString marker = m_folder->filePath(QStringLiteral("started"));
        QVERIFY(QDir(m_folder->path()).mkpath(QStringLiteral("bin")));
        QFile program(m_folder->filePath(QStringLiteral("bin/studio")));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toLocal8Bit());
        program.close();
        program.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        InstallFinishedDialog page(m_application.get(), launchLabelText, launchText, notesText, false);
        page.releaseNotesBox()->setChecked(true);
        page.performClosingActions();

        QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(marker); }, 5000),
                 "the product was not started");
        QVERIFY2(!QFile::exists(commandFile()), "a user's run writes no command file");
    }

    void unwritableCommandFileIsSilent()
    {
        // A folder where the file should be: it exists, so the boxes come, but cannot be written.
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral(".extract_commands.txt")));
        InstallFinishedDialog page(m_application.get(), launchLabelText, launchText, notesText, true);
        QVERIFY2(page.launchBox(), "the launch box is offered");
        page.performClosingActions();
        QVERIFY2(QFileInfo(commandFile()).isDir(), "the folder is left as it was");
    }
};

QTEST_MAIN(TestInstallFinishedDialog)
#include "tst_installfinisheddialog.moc"
