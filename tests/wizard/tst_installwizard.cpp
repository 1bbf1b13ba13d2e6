// The wizard frame: header texts, button states, default button and focus, the signals
// it reports, refused closing, and the text page.

#include "wizard/WizardTestSupport.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/frame/InstallWizardDialog.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestInstallWizard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void headerIsExpandedOnEveryUpdate_data();
    void headerIsExpandedOnEveryUpdate();
    void buttonsFollowThePage_data();
    void buttonsFollowThePage();
    void flagChangesReachTheButtons();
    void buttonsReportTheCurrentPage_data();
    void buttonsReportTheCurrentPage();
    void aboutToShowComesBeforeThePageIsCurrent();
    void showingAMissingPageFails_data();
    void showingAMissingPageFails();
    void closingIsRefusedAndActsAsCancel();
    void pagesAreFoundByTheirIds();
    void textPageExpandsOnlyAtConstruction_data();
    void textPageExpandsOnlyAtConstruction();

private:
    InstallWizardDialog *addPage(int id, const QString &title, const QString &subtitle, int flags);

    ClassicInstallWizard *m_wizard = nullptr; // owned by the application
    std::unique_ptr<WizardTestApplication> m_application;
};

void TestInstallWizard::init()
{
    setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
    setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
    setVariable(QStringLiteral("AltArch"), QString());
    m_wizard = new ClassicInstallWizard;
    m_application = std::make_unique<WizardTestApplication>(m_wizard, nullptr);
}

void TestInstallWizard::cleanup()
{
    m_application.reset();
    m_wizard = nullptr;
}

InstallWizardDialog *TestInstallWizard::addPage(int id, const QString &title,
                                                const QString &subtitle, int flags)
{
    auto *page = new InstallWizardDialog(m_application.get(), title, subtitle, flags);
    m_wizard->addDialog(page, id);
    return page;
}

void TestInstallWizard::headerIsExpandedOnEveryUpdate_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<QString>("firstFolder");
    QTest::addColumn<QString>("secondFolder");
    QTest::addColumn<QString>("expectedFirst");
    QTest::addColumn<QString>("expectedSecond");

    QTest::newRow("folder in the subtitle")
        << "Start Installation" << "Files go to $(DestDir)." << "/opt/a" << "/opt/b"
        << "<b>Start Installation</b><p>Files go to /opt/a.</p>"
        << "<b>Start Installation</b><p>Files go to /opt/b.</p>";
    QTest::newRow("folder in the title")
        << "Into $(DestDir)" << "" << "/srv/one" << "/srv/two"
        << "<b>Into /srv/one</b><p></p>" << "<b>Into /srv/two</b><p></p>";
    QTest::newRow("nested reference")
        << "$(Product)" << "$(InstallerDir)" << "/x" << "/y"
        << "<b>Corvane Fenwick Studio for RISC-V</b><p>/x/bin</p>"
        << "<b>Corvane Fenwick Studio for RISC-V</b><p>/y/bin</p>";
    QTest::newRow("no references")
        << "Welcome" << "Plain text" << "/a" << "/b"
        << "<b>Welcome</b><p>Plain text</p>" << "<b>Welcome</b><p>Plain text</p>";
}

void TestInstallWizard::headerIsExpandedOnEveryUpdate()
{
    QFETCH(QString, title);
    QFETCH(QString, subtitle);
    QFETCH(QString, firstFolder);
    QFETCH(QString, secondFolder);
    QFETCH(QString, expectedFirst);
    QFETCH(QString, expectedSecond);

    setPathVariable(QStringLiteral("DestDir"), firstFolder);
    setPathVariable(QStringLiteral("InstallerDir"), QStringLiteral("$(DestDir)/bin"));
    InstallWizardDialog *page = addPage(1, title, subtitle, 0);
    m_wizard->showDialog(1);
    QCOMPARE(m_wizard->titleLabel()->text(), expectedFirst);

    setPathVariable(QStringLiteral("DestDir"), secondFolder);
    page->setFlags(page->flags()); // any state change updates the frame
    QCOMPARE(m_wizard->titleLabel()->text(), expectedSecond);
}

void TestInstallWizard::buttonsFollowThePage_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("backEnabled");
    QTest::addColumn<bool>("nextEnabled");
    QTest::addColumn<bool>("cancelEnabled");
    QTest::addColumn<QString>("defaultButton");

    QTest::newRow("all enabled") << 0 << true << true << true << "next";
    QTest::newRow("help bit is not read") << 1 << true << true << true << "next";
    QTest::newRow("back disabled") << 2 << false << true << true << "next";
    QTest::newRow("next disabled: back is default") << 4 << true << false << true << "back";
    QTest::newRow("help page flags 5") << 5 << true << false << true << "back";
    QTest::newRow("back and next disabled: cancel is default") << 6 << false << false << true
                                                               << "cancel";
    QTest::newRow("cancel disabled") << 8 << true << true << false << "next";
    QTest::newRow("result page flags 10") << 10 << false << true << false << "next";
    QTest::newRow("everything disabled: cancel stays default") << 14 << false << false << false
                                                               << "cancel";
}

void TestInstallWizard::buttonsFollowThePage()
{
    QFETCH(int, flags);
    QFETCH(bool, backEnabled);
    QFETCH(bool, nextEnabled);
    QFETCH(bool, cancelEnabled);
    QFETCH(QString, defaultButton);

    // A page shown before leaves its default behind; the new page must replace it.
    addPage(2, QStringLiteral("Before"), QString(), 0);
    m_wizard->showDialog(2);
    auto *page = new InstallWizardDialog(m_application.get(), QStringLiteral("Page"), QString(),
                                         flags, QStringLiteral("&Install"),
                                         QStringLiteral("<&Previous"), QStringLiteral("&Help"),
                                         QStringLiteral("&Stop"));
    m_wizard->addDialog(page, 3);
    m_wizard->showDialog(page);

    QCOMPARE(m_wizard->backButton()->text(), QStringLiteral("<&Previous"));
    QCOMPARE(m_wizard->nextButton()->text(), QStringLiteral("&Install"));
    QCOMPARE(m_wizard->cancelButton()->text(), QStringLiteral("&Stop"));
    QCOMPARE(m_wizard->backButton()->isEnabled(), backEnabled);
    QCOMPARE(m_wizard->nextButton()->isEnabled(), nextEnabled);
    QCOMPARE(m_wizard->cancelButton()->isEnabled(), cancelEnabled);

    const QMap<QString, QPushButton *> buttons{{"back", m_wizard->backButton()},
                                                {"next", m_wizard->nextButton()},
                                                {"cancel", m_wizard->cancelButton()}};
    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        const bool expected = it.key() == defaultButton;
        QVERIFY2(it.value()->isDefault() == expected,
                 qPrintable(QStringLiteral("%1 default: %2, expected %3")
                                .arg(it.key())
                                .arg(it.value()->isDefault())
                                .arg(expected)));
    }
    // A disabled button cannot take the focus; only an enabled default is checked.
    if (buttons.value(defaultButton)->isEnabled())
        QVERIFY2(m_wizard->focusWidget() == buttons.value(defaultButton),
             qPrintable(QStringLiteral("focus is on %1")
                            .arg(m_wizard->focusWidget() ? m_wizard->focusWidget()->objectName()
                                                            + m_wizard->focusWidget()->property("text").toString()
                                                         : QStringLiteral("nothing"))));
}

void TestInstallWizard::flagChangesReachTheButtons()
{
    InstallWizardDialog *page = addPage(4, QStringLiteral("Licence"), QString(),
                                        InstallWizardDialog::NextDisabled);
    m_wizard->showDialog(4);
    QVERIFY2(!m_wizard->nextButton()->isEnabled(), "Next must start disabled");
    page->setFlags(0);
    QVERIFY2(m_wizard->nextButton()->isEnabled(), "clearing the flag must enable Next at once");
    page->setFlags(InstallWizardDialog::CancelDisabled);
    QVERIFY2(!m_wizard->cancelButton()->isEnabled(), "setting flag 8 must disable Cancel at once");
}

void TestInstallWizard::buttonsReportTheCurrentPage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expectedSignal");

    QTest::newRow("back") << "back" << "backClicked";
    QTest::newRow("next") << "next" << "nextClicked";
    QTest::newRow("cancel") << "cancel" << "cancelClicked";
}

void TestInstallWizard::buttonsReportTheCurrentPage()
{
    QFETCH(QString, button);
    QFETCH(QString, expectedSignal);

    addPage(5, QStringLiteral("First"), QString(), 0);
    InstallWizardDialog *second = addPage(6, QStringLiteral("Second"), QString(), 0);
    m_wizard->showDialog(5);
    m_wizard->showDialog(6);

    QStringList seen;
    InstallWizardDialog *reported = nullptr;
    auto record = [&](const char *name) {
        return [&, name](InstallWizardDialog *page) {
            seen << QString::fromLatin1(name);
            reported = page;
        };
    };
    connect(m_wizard, &InstallWizard::backClicked, this, record("backClicked"));
    connect(m_wizard, &InstallWizard::nextClicked, this, record("nextClicked"));
    connect(m_wizard, &InstallWizard::cancelClicked, this, record("cancelClicked"));
    connect(m_wizard, &InstallWizard::helpClicked, this, record("helpClicked"));

    QPushButton *pressed = button == "back" ? m_wizard->backButton()
                           : button == "next" ? m_wizard->nextButton()
                                              : m_wizard->cancelButton();
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(seen, QStringList{expectedSignal});
    QVERIFY2(reported == second, "the signal must carry the page on screen");
}

void TestInstallWizard::aboutToShowComesBeforeThePageIsCurrent()
{
    InstallWizardDialog *first = addPage(7, QStringLiteral("First"), QString(), 0);
    InstallWizardDialog *second = addPage(8, QStringLiteral("Second"), QString(), 0);
    QList<QPair<InstallWizardDialog *, InstallWizardDialog *>> calls; // (argument, current)
    connect(m_wizard, &InstallWizard::aboutToShow, this, [&](InstallWizardDialog *page) {
        calls.append(qMakePair(page, m_wizard->currentDialog()));
    });
    m_wizard->showDialog(7);
    m_wizard->showDialog(8);
    QCOMPARE(calls.size(), 2);
    QVERIFY2(calls[0].first == first && calls[0].second == nullptr,
             "the first page is announced while nothing is current yet");
    QVERIFY2(calls[1].first == second && calls[1].second == first,
             "the second page is announced while the first is still current");
    QVERIFY2(m_wizard->currentDialog() == second && second->isVisible(), "second page on screen");
    QVERIFY2(m_wizard->isVisible(), "showing a page shows the frame");
}

void TestInstallWizard::showingAMissingPageFails_data()
{
    QTest::addColumn<bool>("byPointer");
    QTest::addColumn<int>("id");

    QTest::newRow("null page") << true << 0;
    QTest::newRow("id never registered") << false << 10;
    QTest::newRow("negative id") << false << -1;
}

void TestInstallWizard::showingAMissingPageFails()
{
    QFETCH(bool, byPointer);
    QFETCH(int, id);

    addPage(1, QStringLiteral("Only"), QString(), 0);
    QSignalSpy announced(m_wizard, &InstallWizard::aboutToShow);
    QString message;
    try {
        if (byPointer)
            m_wizard->showDialog(static_cast<InstallWizardDialog *>(nullptr));
        else
            m_wizard->showDialog(id);
    } catch (const InstallException &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("Attempted to show dialog NULL dialog"));
    QVERIFY2(announced.isEmpty(), "a missing page must not be announced");
}

void TestInstallWizard::closingIsRefusedAndActsAsCancel()
{
    InstallWizardDialog *page = addPage(9, QStringLiteral("Welcome"), QString(), 0);
    m_wizard->showDialog(9);
    QSignalSpy cancelled(m_wizard, &InstallWizard::cancelClicked);
    QVERIFY2(!m_wizard->close(), "the close request must be refused");
    QVERIFY2(m_wizard->isVisible(), "the window stays on screen");
    QCOMPARE(cancelled.size(), 1);
    QVERIFY2(cancelled.at(0).at(0).value<InstallWizardDialog *>() == page,
             "Cancel is reported for the page on screen");
    QVERIFY2(m_wizard->currentDialog() == page, "the same page stays current");
}

void TestInstallWizard::pagesAreFoundByTheirIds()
{
    InstallWizardDialog *eleven = addPage(11, QStringLiteral("Start"), QString(), 0);
    InstallWizardDialog *sixteen = addPage(16, QStringLiteral("Progress"), QString(), 6);
    QVERIFY(m_wizard->dialog(11) == eleven);
    QVERIFY(m_wizard->dialog(16) == sixteen);
    QVERIFY(m_wizard->dialog(12) == nullptr);
    QCOMPARE(m_wizard->dialogId(sixteen), 16);
    QCOMPARE(m_wizard->dialogId(nullptr), -1);
    QVERIFY2(m_wizard->currentDialog() == nullptr, "registering a page does not show it");
}

void TestInstallWizard::textPageExpandsOnlyAtConstruction_data()
{
    QTest::addColumn<QString>("constructed");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expectedFirst");
    QTest::addColumn<QString>("expectedAfterReplace");

    QTest::newRow("reference expanded once")
        << "Installed into $(DestDir)." << "Now in $(DestDir)."
        << "Installed into /opt/first." << "Now in $(DestDir).";
    QTest::newRow("plain text") << "Done." << "Failed." << "Done." << "Failed.";
}

void TestInstallWizard::textPageExpandsOnlyAtConstruction()
{
    QFETCH(QString, constructed);
    QFETCH(QString, replacement);
    QFETCH(QString, expectedFirst);
    QFETCH(QString, expectedAfterReplace);

    setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/opt/first"));
    InstallTextDialog page(m_application.get(), QStringLiteral("Installation Failed"), QString(),
                           constructed, 10, QStringLiteral("&Finish"));
    setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/opt/second"));
    QCOMPARE(page.text(), expectedFirst);
    page.setText(replacement);
    QCOMPARE(page.text(), expectedAfterReplace);
    QCOMPARE(page.nextLabel(), QStringLiteral("&Finish"));
    QCOMPARE(page.flags(), 10);
}

QTEST_MAIN(TestInstallWizard)
#include "tst_installwizard.moc"
