#include "common/PagesTestSupport.h"

#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/pages/StandardPageTexts.h"

#include <QtTest>
#include <memory>

class TestStandardPageTexts : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
    }

    void pageShowsItsTexts_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("nextLabel");
        QTest::addColumn<int>("flags");

        QTest::newRow("welcome to a new installation, no way back") << 1 << "Welcome"
            << "Welcome to the installer for Corvane Fenwick Studio for RISC-V.<p>The installer will "
               "allow you to install Corvane Fenwick Studio for RISC-V. To continue, click Next."
            << "&Next>" << 2;
        QTest::newRow("welcome to an upgrade, no way back") << 2 << "Welcome"
            << "Welcome to the installer for Corvane Fenwick Studio for RISC-V.<p>The installer will "
               "upgrade your existing installation of Corvane Fenwick Studio for RISC-V. To continue, "
               "click Next."
            << "&Next>" << 2;
        QTest::newRow("start installation") << 11 << "Start Installation"
            << "To start installation of Corvane Fenwick Studio for RISC-V, click Install." << "&Install"
            << 0;
        QTest::newRow("start removal is a first page") << 12 << "Start Removal"
            << "To start removal of Corvane Fenwick Studio for RISC-V, click Remove." << "&Remove" << 2;
        QTest::newRow("start modify names the version") << 13 << "Start Modify"
            << "To start modification of Corvane Fenwick Studio for RISC-V 4.52a installation, click Modify."
            << "&Modify" << 0;
        QTest::newRow("start repair names the version") << 14 << "Start Repair"
            << "To start repair of Corvane Fenwick Studio for RISC-V 4.52a installation, click Repair."
            << "&Repair" << 0;
        QTest::newRow("start upgrade") << 15 << "Start Upgrade"
            << "To start upgrade of Corvane Fenwick Studio for RISC-V, click Upgrade." << "&Upgrade" << 0;
    }

    void pageShowsItsTexts()
    {
        QFETCH(int, id);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, nextLabel);
        QFETCH(int, flags);

        InstallConfigurationList list;
        PagesTestApplication application(&list);
        std::unique_ptr<InstallTextDialog> page(StandardPageTexts::createPage(&application, id));
        QVERIFY(page);
        QCOMPARE(page->title(), title);
        QVERIFY(page->subtitle().isEmpty());
        QCOMPARE(page->text(), text);
        QCOMPARE(page->nextLabel(), nextLabel);
        QCOMPARE(page->backLabel(), QStringLiteral("<&Back"));
        QCOMPARE(page->helpLabel(), QStringLiteral("&Help"));
        QCOMPARE(page->cancelLabel(), QStringLiteral("&Cancel"));
        QCOMPARE(page->flags(), flags);
    }

    void textIsExpandedOnceWhenThePageIsBuilt()
    {
        InstallConfigurationList list;
        PagesTestApplication application(&list);
        std::unique_ptr<InstallTextDialog> page(
            StandardPageTexts::createPage(&application, StandardPageTexts::StartInstallation));
        setVariable(QStringLiteral("Product"), QStringLiteral("Renamed Product"));
        QCOMPARE(page->text(),
                 QStringLiteral("To start installation of Corvane Fenwick Studio for RISC-V, click Install."));
        QVERIFY2(StandardPageTexts::pageText(StandardPageTexts::StartInstallation).text.contains(
                     QStringLiteral("$(Product)")),
                 "the table keeps the text unexpanded, so later pages pick up later values");
    }

    void otherIdsHaveNoTextPage_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("destination page") << 3;
        QTest::newRow("the id that is never registered") << 10;
    }

    void otherIdsHaveNoTextPage()
    {
        QFETCH(int, id);
        InstallConfigurationList list;
        PagesTestApplication application(&list);
        QVERIFY(!StandardPageTexts::isStandardTextPage(id));
        QVERIFY(StandardPageTexts::pageText(id).title.isEmpty());
        QVERIFY(!std::unique_ptr<InstallTextDialog>(StandardPageTexts::createPage(&application, id)));
    }

    void removalTextOfTheProduct_data()
    {
        QTest::addColumn<QString>("productTitle");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("expected");
        const QString text = QStringLiteral(
            "<p>To start removal of <b>%1</b>, click <b>Remove</b>.</p><br/><p>Please note, the uninstaller does "
            "not remove any user data such as settings or installed packages.</p><p>User data can be removed by "
            "selecting the <b>Tools &gt; Admin &gt; Remove All User Data...</b> option in <b>%2</b>.</p>");
        QTest::newRow("this product") << "Corvane Fenwick Studio for RISC-V" << "Corvane Fenwick Studio"
            << text.arg("Corvane Fenwick Studio for RISC-V", "Corvane Fenwick Studio");
        QTest::newRow("variables in the names stay as written") << "$(Product)" << "$(Company)"
            << text.arg("$(Product)", "$(Company)");
    }

    void removalTextOfTheProduct()
    {
        QFETCH(QString, productTitle);
        QFETCH(QString, shortName);
        QFETCH(QString, expected);
        QCOMPARE(StandardPageTexts::productRemovalText(productTitle, shortName), expected);

        // Set on the removal page the way the product's application does, it shows as given.
        InstallConfigurationList list;
        PagesTestApplication application(&list);
        std::unique_ptr<InstallTextDialog> page(
            StandardPageTexts::createPage(&application, StandardPageTexts::StartRemoval));
        page->setText(StandardPageTexts::productRemovalText(productTitle, shortName));
        QCOMPARE(page->text(), expected);
        QCOMPARE(page->flags() & 2, 2);
    }
};

QTEST_MAIN(TestStandardPageTexts)
#include "tst_standardpagetexts.moc"
