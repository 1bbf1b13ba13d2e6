#include "common/ObservedApplication.h"
#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/records/InstalledConfiguration.h"
#include "app/startup/InstallerVariables.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

class TestInstallRun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void pageFlow_data();
    void pageFlow();
    void cancelQuestion_data();
    void cancelQuestion();
    void quietRun_data();
    void quietRun();
    void pageTable_data();
    void pageTable();

private:
    QString m_log;
};

namespace {

// Logs what it does; "Broken Files" fails to install.
class ScriptedItem : public InstallConfigurationItem
{
public:
    ScriptedItem(InstallConfigurationItem *parent, const QString &name, int level, QString *log)
        : InstallConfigurationItem(parent, name, QString(), level, true), m_log(log) {}

protected:
    void doInstall() override
    {
        *m_log += "install " + name() + ';';
        if (name().startsWith("Broken"))
            throw InstallException("Cannot install " + name());
    }
    void doUninstall() override { *m_log += "remove " + name() + ';'; }

private:
    QString *m_log;
};

// Beside "Binary Files": a level-1 item ("typical") brings the setup-type page, a level-4 one
// ("optional") the components page, "failing" one that throws.
InstallConfigurationList *buildTree(const QString &shape, QString *log)
{
    auto *list = new InstallConfigurationList();
    auto *group = new InstallConfigurationItem(list, QStringLiteral("Product"), QString(), 0, true);
    new ScriptedItem(group, QStringLiteral("Binary Files"), 0, log);
    if (shape == "typical")
        new ScriptedItem(group, QStringLiteral("Typical Files"), 1, log);
    if (shape == "failing")
        new ScriptedItem(group, QStringLiteral("Broken Files"), 0, log);
    if (shape == "optional")
        new ScriptedItem(group, QStringLiteral("Rules"), 4, log);
    list->checkWillInstall();
    return list;
}

struct Run
{
    QPointer<ClassicInstallWizard> wizard;
    InstallConfigurationList *list = nullptr;
    ObservedApplication *application = nullptr;

    Run(const QString &shape, QString *log, const QStringList &options, const QString &licence,
        const QString &program = QStringLiteral("/release/Setup"))
    {
        wizard = new ClassicInstallWizard();
        list = buildTree(shape, log);
        application = new ObservedApplication(nullptr, wizard, list, licence, QString(), QString(),
                                              QString(), QStringList{program} + options);
    }
    ~Run()
    {
        delete application;
        delete wizard.data();
        delete list;
    }

    int currentId() const { return wizard->dialogId(wizard->currentDialog()); }
    QString currentTitle() const { return wizard->currentDialog() ? wizard->currentDialog()->title() : QString(); }
    QString currentText() const
    {
        const auto *page = qobject_cast<InstallTextDialog *>(wizard->currentDialog());
        return page ? page->text() : QString();
    }
};

const QString licenceText = QStringLiteral("<html><body><p>Terms.</p></body></html>");

// What the question box answered by answerNextBox showed.
struct BoxAnswer
{
    QString texts;
    bool answered = false;
};

void answerNextBox(int button, BoxAnswer *answer)
{
    QTimer::singleShot(0, [button, answer]() {
        auto *box = qobject_cast<InstallCheckMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, answer);
        QStringList texts;
        for (const QLabel *label : box->findChildren<QLabel *>())
            texts << label->text();
        answer->texts = texts.join('\n');
        answer->answered = true;
        box->button(button)->click();
    });
}

// A script of page checks (numbers: the page that must be current) and actions.
bool runScript(Run &run, const QString &script, QString *failure)
{
    for (const QString &token : script.split(' ', Qt::SkipEmptyParts)) {
        bool isNumber = false;
        const int id = token.toInt(&isNumber);
        auto *licence = qobject_cast<InstallLicenseAgreementDialog *>(run.wizard->currentDialog());
        QString wrong;
        if (isNumber && run.currentId() != id)
            wrong = QString("expected page %1, found %2").arg(id).arg(run.currentId());
        else if (isNumber)
            continue;
        else if (token == "start")
            run.application->start();
        else if (token == "next")
            run.wizard->nextButton()->click();
        else if (token == "back")
            run.wizard->backButton()->click();
        else if (token == "help")
            run.application->onHelpClicked(run.wizard->currentDialog());
        else if ((token == "accept" || token == "decline") && licence)
            (token == "accept" ? licence->acceptButton() : licence->declineButton())->click();
        else if (token == "back-disabled" || token == "next-disabled")
            wrong = (token == "back-disabled" ? run.wizard->backButton() : run.wizard->nextButton())->isEnabled()
                ? token + " does not hold" : QString();
        else if (token.startsWith("next-label="))
            wrong = run.wizard->nextButton()->text() == token.mid(11).replace('_', ' ')
                ? QString() : "Next reads " + run.wizard->nextButton()->text();
        else
            wrong = "cannot run " + token;
        if (!wrong.isEmpty()) {
            *failure = wrong + QString(" at '%1' on page %2").arg(token).arg(run.currentId());
            return false;
        }
    }
    return true;
}

} // namespace

void TestInstallRun::init()
{
    InstallerVariables::initialise();
    m_log.clear();
}

void TestInstallRun::pageFlow_data()
{
    QTest::addColumn<bool>("withLicence");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<bool>("previousInstallation");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("finalTitle");
    QTest::addColumn<QString>("finalText");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("log");

    const QString installed = QStringLiteral(
        "$(Product) $(Version) has now been installed.<p>Click Finish to complete the installation.");
    QTest::newRow("no licence, no options: welcome, destination, start")
        << false << "" << false
        << "start 1 back-disabled next 3 next 11 next-label=&Install next 17 next"
        << "Install Complete" << installed << 1 << "install Binary Files;";
    QTest::newRow("typical items bring the setup-type page")
        << false << "typical" << false
        << "start 1 next 3 next 8 next 11 next 17 next"
        << "Install Complete" << installed << 1
        << "install Binary Files;install Typical Files;";
    QTest::newRow("licence declined ends on the failed page")
        << true << "" << false
        << "start 1 next 20 decline next 18 next-label=&Finish next"
        << "Installation Failed"
        << "License agreement not accepted<p>Click Finish to terminate the installer." << 0 << "";
    QTest::newRow("licence, components, help and back walking the history")
        << true << "optional" << false
        << "start 1 next 20 next-disabled accept next 3 help 19 next-disabled back 3 next 7 back 3 back 20 "
           "next 3 next 7 next 11 back 7 next 11 next 17 next"
        << "Install Complete" << installed << 1 << "install Binary Files;install Rules;";
    QTest::newRow("earlier installation in the destination becomes an upgrade")
        << false << "" << true
        << "start 1 next 3 next 15 back-disabled next-label=&Upgrade next 17 next"
        << "Upgrade Complete"
        << "$(Product) $(Version) has now been upgraded.<p>Click Finish to complete the installation."
        << 1 << "remove Binary Files;install Binary Files;";
    QTest::newRow("uninstaller program starts on the removal page")
        << false << "" << true
        << "start 12 back-disabled next-label=&Remove next 17 next"
        << "Uninstall Complete"
        << "$(Product) $(Version) had now been uninstalled.<p>Click Finish to close the installer."
        << 2 << "remove Binary Files;";
    QTest::newRow("an item failure answered Yes ends on the failed page")
        << false << "failing" << false << "start 1 next 3 next 11 next 18 next" << "Installation Failed"
        << "Installation has been cancelled by user.<p>Click Finish to terminate the installer." << 0
        << "install Binary Files;install Broken Files;";
}

void TestInstallRun::pageFlow()
{
    QFETCH(bool, withLicence);
    QFETCH(QString, shape);
    QFETCH(bool, previousInstallation);
    QFETCH(QString, script);
    QFETCH(QString, finalTitle);
    QFETCH(QString, finalText);
    QFETCH(int, result);
    QFETCH(QString, log);

    QTemporaryDir folder;
    setVariable(QStringLiteral("DestDir"), folder.path() + QStringLiteral("/dest"));

    const QString recordPath = expand(QStringLiteral("$(InstallerDir)/IConf.xml"));
    if (previousInstallation) {
        // A record of the same tree, fully installed, as an earlier run leaves it.
        Run earlier(shape, &m_log, QStringList(), QString());
        earlier.list->setInstalled(InstallConfigurationItem::fullyInstalled, true);
        QVERIFY2(QDir().mkpath(QFileInfo(recordPath).path()), "installer folder");
        QVERIFY2(saveInstalledConfiguration(recordPath), "earlier record written");
        m_log.clear();
    }

    // The uninstaller is the same program under another name.
    const QString program = QByteArray(QTest::currentDataTag()).startsWith("uninstaller")
                                ? expand(QStringLiteral("$(InstallerDir)/uninstall"))
                                : QStringLiteral("/release/Setup");
    Run run(shape, &m_log, QStringList(), withLicence ? licenceText : QString(), program);
    run.application->recordPath = recordPath;
    BoxAnswer box;
    if (shape == "failing")
        answerNextBox(InstallCheckMessageBox::Yes, &box);

    QString failure;
    const int lastNext = script.lastIndexOf(QStringLiteral(" next"));
    QVERIFY2(runScript(run, script.left(lastNext), &failure), qPrintable(failure));
    QCOMPARE(run.currentTitle(), finalTitle);
    QCOMPARE(run.currentText(), expand(finalText));
    QCOMPARE(run.application->quitCalls, 0);
    QVERIFY2(runScript(run, script.mid(lastNext), &failure), qPrintable(failure));
    QCOMPARE(run.application->quitCalls, 1);
    QCOMPARE(run.application->result(), result);
    QCOMPARE(m_log, log);
}

void TestInstallRun::cancelQuestion_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("quitCalls");

    const QString before = QStringLiteral(
        "<p>Are you sure you want to terminate the installation?<p>Click Yes to terminate or No to continue.");
    const QString during = QStringLiteral(
        "<p>If you terminate the installation now, $(Product) may not work properly.<p>Are you sure you "
        "want to terminate the installation?<p>Click Yes to terminate installation or No to continue.");
    const int yes = InstallCheckMessageBox::Yes;
    const int no = InstallCheckMessageBox::No;
    QTest::newRow("welcome page, Yes ends the installer")
        << QStringList() << "start 1" << yes << "The installation is not complete"
        << QStringLiteral("Setup has not installed $(Product).") + before << 1;
    QTest::newRow("welcome page, No stays")
        << QStringList() << "start 1" << no << "The installation is not complete"
        << QStringLiteral("Setup has not installed $(Product).") + before << 0;
    QTest::newRow("during the run the longer question")
        << QStringList() << "progress" << yes << "The installation is not complete"
        << QStringLiteral("Setup has not installed $(Product).") + during << 1;
    QTest::newRow("removal page names the removal")
        << QStringList{QStringLiteral("--remove")} << "start 12" << yes
        << "The installation removal is not complete"
        << QStringLiteral("Setup has not removed $(Product).") + before << 1;
    QTest::newRow("result page ends without a question")
        << QStringList() << "start 1 next 3 next 11 next 17" << 0 << QString() << QString() << 1;
}

void TestInstallRun::cancelQuestion()
{
    QFETCH(QStringList, options);
    QFETCH(QString, script);
    QFETCH(int, answer);
    QFETCH(QString, heading);
    QFETCH(QString, question);
    QFETCH(int, quitCalls);

    QTemporaryDir folder;
    setVariable(QStringLiteral("DestDir"), folder.path() + QStringLiteral("/dest"));
    Run run(QString(), &m_log, options, QString());
    QString failure;
    if (script == QLatin1String("progress"))
        run.wizard->showDialog(InstallStandardInstallerApplication::ProgressPage);
    else
        QVERIFY2(runScript(run, script, &failure), qPrintable(failure));
    const int pageBefore = run.currentId();

    BoxAnswer box;
    if (answer)
        answerNextBox(answer, &box);
    run.wizard->cancelButton()->isEnabled() ? run.wizard->cancelButton()->click()
                                            : run.application->onCancelClicked();
    QCOMPARE(box.answered, answer != 0);
    if (answer) {
        QVERIFY2(box.texts.contains(expand(heading)), qPrintable(box.texts));
        QVERIFY2(box.texts.contains(expand(question)), qPrintable(box.texts));
    }
    QCOMPARE(run.application->quitCalls, quitCalls);
    QCOMPARE(run.currentId(), pageBefore);
    QCOMPARE(run.application->result(), 0);
}

void TestInstallRun::quietRun_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withLicence");
    QTest::addColumn<int>("failureAnswer"); // 0: no failing item
    QTest::addColumn<int>("page");          // where the run stays
    QTest::addColumn<int>("quitCalls");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("recordWritten");

    const QStringList quietAccept{QStringLiteral("--quiet"), QStringLiteral("--accept-license")};
    QTest::newRow("quiet with accepted licence installs at once")
        << quietAccept << true << 0 << 16 << 1 << 1 << true;
    QTest::newRow("quiet without acceptance stops at the licence")
        << QStringList{QStringLiteral("--silent")} << true << 0 << 20 << 0 << 0 << false;
    QTest::newRow("an item failure answered No is skipped")
        << quietAccept << true << int(InstallCheckMessageBox::No) << 16 << 1 << 1 << true;
    QTest::newRow("an item failure answered Yes still writes the record")
        << QStringList{QStringLiteral("-s")} << false << int(InstallCheckMessageBox::Yes) << 18 << 0
        << 0 << true;
}

void TestInstallRun::quietRun()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withLicence);
    QFETCH(int, failureAnswer);
    QFETCH(int, page);
    QFETCH(int, quitCalls);
    QFETCH(int, result);
    QFETCH(bool, recordWritten);

    QTemporaryDir folder;
    setVariable(QStringLiteral("DestDir"), folder.path() + QStringLiteral("/dest"));
    QVERIFY(QDir().mkpath(expand(QStringLiteral("$(InstallerDir)"))));
    Run run(failureAnswer ? "failing" : "", &m_log, options, withLicence ? licenceText : QString());
    BoxAnswer box;
    if (failureAnswer)
        answerNextBox(failureAnswer, &box);
    run.application->start();
    QCOMPARE(m_log, QString()); // the quiet start is queued
    if (page == 20)
        QTest::qWait(0);
    else
        QVERIFY(QTest::qWaitFor([&]() { return run.application->quitCalls > 0 || run.currentId() == 18; }));
    QCOMPARE(run.currentId(), page);
    QCOMPARE(run.application->quitCalls, quitCalls);
    QCOMPARE(run.application->result(), result);
    QCOMPARE(box.texts.contains(QStringLiteral("Cannot install Broken Files")), failureAnswer != 0);
    QCOMPARE(QFile::exists(expand(QStringLiteral("$(InstallerDir)/IConf.xml"))), recordWritten);
}

void TestInstallRun::pageTable_data()
{
    QTest::addColumn<bool>("withLicence");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("mode");

    const QString setup = QStringLiteral("/release/Setup");
    const QString uninstaller = QStringLiteral("/x/bin/uninstall");
    QTest::newRow("installer with licence") << true << setup << QStringList() << int(InstallApplication::Typical);
    QTest::newRow("installer without licence") << false << setup << QStringList() << int(InstallApplication::Typical);
    QTest::newRow("uninstaller name means removal") << true << uninstaller << QStringList()
                                                    << int(InstallApplication::Remove);
    QTest::newRow("modify wins over the uninstaller name")
        << true << uninstaller << QStringList{QStringLiteral("--modify")} << int(InstallApplication::Modify);
    QTest::newRow("remove is taken before repair")
        << true << setup << QStringList{QStringLiteral("--repair"), QStringLiteral("--remove")}
        << int(InstallApplication::Remove);
}

void TestInstallRun::pageTable()
{
    QFETCH(bool, withLicence);
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    QFETCH(int, mode);
    Run run(QString(), &m_log, options, withLicence ? licenceText : QString(), program);
    for (int id = 1; id <= 20; ++id) {
        const bool registered = run.wizard->dialog(id) != nullptr;
        const bool expectedRegistered = id != 10 && (id != 20 || withLicence);
        QVERIFY2(registered == expectedRegistered, qPrintable(QStringLiteral("page %1").arg(id)));
    }
    const auto *removal = qobject_cast<InstallTextDialog *>(run.wizard->dialog(12));
    QVERIFY(removal);
    QCOMPARE(removal->text(),
             QStringLiteral("<p>To start removal of <b>Corvane Fenwick Studio for RISC-V</b>, click "
                            "<b>Remove</b>.</p><br/><p>Please note, the uninstaller does not remove any "
                            "user data such as settings or installed packages.</p><p>User data can be "
                            "removed by selecting the <b>Tools &gt; Admin &gt; Remove All User "
                            "Data...</b> option in <b>Corvane Fenwick Studio</b>.</p>"));
    QCOMPARE(run.wizard->dialog(16)->title(), QStringLiteral("Installing"));
    QCOMPARE(int(run.application->mode()), mode);
}

QTEST_MAIN(TestInstallRun)
#include "tst_installrun.moc"
