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

    ClassicInstallWizard *m_wizard = nullptr; // owned by the application
    std::unique_ptr<WizardTestApplication> m_application;

    InstallWizardDialog *addPage(int id, const QString &title, const QString &subtitle = QString(), int flags = 0)
    {
        auto *page = new InstallWizardDialog(m_application.get(), title, subtitle, flags);
        m_wizard->addDialog(page, id);
        return page;
    }

private slots:
    void init()
    {
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        setVariable(QStringLiteral("AltArch"), QString());
        m_wizard = new ClassicInstallWizard;
        m_application = std::make_unique<WizardTestApplication>(m_wizard, nullptr);
    }

    void cleanup()
    {
        m_application.reset();
        m_wizard = nullptr;
    }

    void headerIsExpandedOnEveryUpdate_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QString>("expectedFirst");
        QTest::addColumn<QString>("expectedSecond");
        QTest::newRow("folder in the title") << "Into $(DestDir)" << ""
            << "<b>Into /x</b><p></p>" << "<b>Into /y</b><p></p>";
        QTest::newRow("nested reference") << "$(Product)" << "$(InstallerDir)"
            << "<b>Corvane Fenwick Studio for RISC-V</b><p>/x/bin</p>"
            << "<b>Corvane Fenwick Studio for RISC-V</b><p>/y/bin</p>";
    }

    void headerIsExpandedOnEveryUpdate()
    {
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(QString, expectedFirst);
        QFETCH(QString, expectedSecond);
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/x"));
        setPathVariable(QStringLiteral("InstallerDir"), QStringLiteral("$(DestDir)/bin"));
        InstallWizardDialog *page = addPage(1, title, subtitle);
        m_wizard->showDialog(1);
        QCOMPARE(m_wizard->titleLabel()->text(), expectedFirst);
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/y"));
        page->setFlags(page->flags()); // any state change updates the frame
        QCOMPARE(m_wizard->titleLabel()->text(), expectedSecond);
    }

    void buttonsFollowThePage_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("backEnabled");
        QTest::addColumn<bool>("nextEnabled");
        QTest::addColumn<bool>("cancelEnabled");
        QTest::addColumn<QString>("defaultButton");
        QTest::newRow("all enabled") << 0 << true << true << true << "next";
        QTest::newRow("back disabled") << 2 << false << true << true << "next";
        QTest::newRow("help page flags 5: back is default") << 5 << true << false << true << "back";
        QTest::newRow("flags 6: cancel is default") << 6 << false << false << true << "cancel";
        QTest::newRow("cancel disabled") << 8 << true << true << false << "next";
        QTest::newRow("everything disabled: cancel stays default") << 14 << false << false << false << "cancel";
    }

    void buttonsFollowThePage()
    {
        QFETCH(int, flags);
        QFETCH(bool, backEnabled);
        QFETCH(bool, nextEnabled);
        QFETCH(bool, cancelEnabled);
        QFETCH(QString, defaultButton);

        // A page shown before leaves its default behind; the new page must replace it.
        addPage(2, QStringLiteral("Before"));
        m_wizard->showDialog(2);
        auto *page = new InstallWizardDialog(m_application.get(), QStringLiteral("Page"), QString(), flags,
                                             QStringLiteral("&Install"), QStringLiteral("<&Previous"),
                                             QStringLiteral("&Help"), QStringLiteral("&Stop"));
        m_wizard->addDialog(page, 3);
        m_wizard->showDialog(page);

        QCOMPARE(m_wizard->backButton()->text(), QStringLiteral("<&Previous"));
        QCOMPARE(m_wizard->nextButton()->text(), QStringLiteral("&Install"));
        QCOMPARE(m_wizard->cancelButton()->text(), QStringLiteral("&Stop"));
        QCOMPARE(m_wizard->backButton()->isEnabled(), backEnabled);
        QCOMPARE(m_wizard->nextButton()->isEnabled(), nextEnabled);
        QCOMPARE(m_wizard->cancelButton()->isEnabled(), cancelEnabled);
        const QMap<QString, QPushButton *> buttons{ { "back", m_wizard->backButton() },
                                                    { "next", m_wizard->nextButton() },
                                                    { "cancel", m_wizard->cancelButton() } };
        for (auto it = buttons.cbegin(); it != buttons.cend(); ++it)
            QVERIFY2(it.value()->isDefault() == (it.key() == defaultButton), qPrintable(it.key()));
        // A disabled button cannot take the focus; only an enabled default is checked.
        if (buttons.value(defaultButton)->isEnabled())
            QCOMPARE(m_wizard->focusWidget(), buttons.value(defaultButton));
        page->setFlags(flags ^ 14); // a later change of flags reaches the buttons
        QCOMPARE(m_wizard->backButton()->isEnabled(), !backEnabled);
        QCOMPARE(m_wizard->nextButton()->isEnabled(), !nextEnabled);
        QCOMPARE(m_wizard->cancelButton()->isEnabled(), !cancelEnabled);
    }

    void buttonsReportTheCurrentPage()
    {
        addPage(5, QStringLiteral("First"));
        InstallWizardDialog *second = addPage(6, QStringLiteral("Second"));
        m_wizard->showDialog(5);
        m_wizard->showDialog(6);
        QStringList seen;
        auto record = [&](const char *name) {
            return [&, name](InstallWizardDialog *page) {
                seen << QString::fromLatin1(name) + (page == second ? "" : " (wrong page)");
            };
        };
        connect(m_wizard, &InstallWizard::backClicked, this, record("back"));
        connect(m_wizard, &InstallWizard::nextClicked, this, record("next"));
        connect(m_wizard, &InstallWizard::cancelClicked, this, record("cancel"));
        connect(m_wizard, &InstallWizard::helpClicked, this, record("help"));
        // Closing is refused and acts as Cancel. Back last: the application answers it by showing the page before.
        QTest::mouseClick(m_wizard->nextButton(), Qt::LeftButton);
        QTest::mouseClick(m_wizard->cancelButton(), Qt::LeftButton);
        QVERIFY(!m_wizard->close());
        QVERIFY(m_wizard->isVisible() && m_wizard->currentDialog() == second);
        QTest::mouseClick(m_wizard->backButton(), Qt::LeftButton);
        QCOMPARE(seen, QStringList({ "next", "cancel", "cancel", "back" }));
    }

    void aboutToShowComesBeforeThePageIsCurrent()
    {
        InstallWizardDialog *first = addPage(7, QStringLiteral("First"));
        InstallWizardDialog *second = addPage(8, QStringLiteral("Second"));
        QList<QPair<InstallWizardDialog *, InstallWizardDialog *>> calls; // (argument, current)
        connect(m_wizard, &InstallWizard::aboutToShow, this,
                [&](InstallWizardDialog *page) { calls.append(qMakePair(page, m_wizard->currentDialog())); });
        m_wizard->showDialog(7);
        m_wizard->showDialog(8);
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].first == first && calls[0].second == nullptr);
        QVERIFY(calls[1].first == second && calls[1].second == first);
        QVERIFY(m_wizard->currentDialog() == second && second->isVisible() && m_wizard->isVisible());
        QVERIFY(m_wizard->dialog(12) == nullptr);
        QCOMPARE(m_wizard->dialogId(second), 8);
    }

    void showingAMissingPageFails_data()
    {
        QTest::addColumn<bool>("byPointer");
        QTest::newRow("null page") << true;
        QTest::newRow("id never registered") << false;
    }

    void showingAMissingPageFails()
    {
        QFETCH(bool, byPointer);
        addPage(1, QStringLiteral("Only"));
        QSignalSpy announced(m_wizard, &InstallWizard::aboutToShow);
        QString message;
        try {
            if (byPointer)
                m_wizard->showDialog(static_cast<InstallWizardDialog *>(nullptr));
            else
                m_wizard->showDialog(10);
        } catch (const InstallException &error) {
            message = error.message();
        }
        QCOMPARE(message, QStringLiteral("Attempted to show dialog NULL dialog"));
        QVERIFY(announced.isEmpty());
    }

    void textPageExpandsOnlyAtConstruction()
    {
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/opt/first"));
        InstallTextDialog page(m_application.get(), QStringLiteral("Installation Failed"), QString(),
                               QStringLiteral("Installed into $(DestDir)."), 10, QStringLiteral("&Finish"));
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("/opt/second"));
        QCOMPARE(page.text(), QStringLiteral("Installed into /opt/first."));
        page.setText(QStringLiteral("Now in $(DestDir)."));
        QCOMPARE(page.text(), QStringLiteral("Now in $(DestDir)."));
        QCOMPARE(page.nextLabel(), QStringLiteral("&Finish"));
        QCOMPARE(page.flags(), 10);
    }
};

QTEST_MAIN(TestInstallWizard)
#include "tst_installwizard.moc"
