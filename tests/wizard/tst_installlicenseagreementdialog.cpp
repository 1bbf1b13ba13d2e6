// The licence page: Next is enabled by either choice, and only the last choice counts.

#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"

#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>
#include <QtTest>

#include <memory>

class TestInstallLicenseAgreementDialog : public QObject
{
    Q_OBJECT

    ClassicInstallWizard *m_wizard = nullptr; // owned by the application
    std::unique_ptr<WizardTestApplication> m_application;
    InstallLicenseAgreementDialog *m_page = nullptr;

private slots:
    void init()
    {
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        m_wizard = new ClassicInstallWizard;
        m_application = std::make_unique<WizardTestApplication>(m_wizard, nullptr);
        m_page = new InstallLicenseAgreementDialog(
            m_application.get(), QStringLiteral("<html><body><p>Terms for $(Product).</p></body></html>"));
        m_wizard->addDialog(m_page, 20);
        m_wizard->showDialog(20);
    }

    void cleanup()
    {
        m_application.reset();
        m_wizard = nullptr;
        m_page = nullptr;
    }

    void choicesEnableNext_data()
    {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("accept") << "accept" << true;
        QTest::newRow("do not accept still enables Next") << "decline" << false;
        QTest::newRow("accept, then withdraw") << "accept decline" << false;
        QTest::newRow("decline, then accept") << "decline accept" << true;
    }

    void choicesEnableNext()
    {
        QFETCH(QString, clicks);
        QFETCH(bool, accepted);

        QVERIFY(!m_wizard->nextButton()->isEnabled() && !m_page->accepted());
        for (const QString &click : clicks.split(QLatin1Char(' '))) {
            QRadioButton *button = click == "accept" ? m_page->acceptButton() : m_page->declineButton();
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
            QVERIFY2(m_wizard->nextButton()->isEnabled(), qPrintable(click));
        }
        QCOMPARE(m_page->accepted(), accepted);
        QCOMPARE(m_page->flags() & InstallWizardDialog::NextDisabled, 0);
    }

    void pageTextsAndLicence()
    {
        QCOMPARE(m_wizard->titleLabel()->text(),
                 QStringLiteral("<b>License Agreement</b><p>Please read the following License "
                                "Agreement.</p>"));
        QCOMPARE(m_page->acceptButton()->text(), QStringLiteral("I &accept the Agreement"));
        QCOMPARE(m_page->declineButton()->text(), QStringLiteral("I &do not accept the Agreement"));
        QStringList labels;
        for (const QLabel *label : m_page->findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels, QStringList{"You must accept the License Agreement to continue."});
        QVERIFY2(m_page->licenceView()->isReadOnly(), "the licence cannot be edited");
        QCOMPARE(m_page->licenceView()->toPlainText(), QStringLiteral("Terms for $(Product)."));
    }
};

QTEST_MAIN(TestInstallLicenseAgreementDialog)
#include "tst_installlicenseagreementdialog.moc"
