#include "common/PagesTestSupport.h"

#include "configuration/model/InstallConfigurationList.h"
#include "wizard/pages/InstallConfigurationDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

// The setup type page: its radio buttons set the application's installation mode, and
// it follows mode changes made elsewhere only where it has a button for them.
class TestConfigurationTypePage : public QObject
{
    Q_OBJECT

private slots:
    void buttonsStandBesideTheirDescriptions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("description");
        QTest::newRow("minimal") << 0 << "Minimal" << "Install the minimum number of files required for installation";
        QTest::newRow("typical") << 1 << "Typical" << "Install all the files required for most users";
        QTest::newRow("full") << 2 << "Full" << "Install all files";
        QTest::newRow("custom") << 3 << "Custom" << "Manually select the files to install";
    }

    void buttonsStandBesideTheirDescriptions()
    {
        QFETCH(int, id);
        QFETCH(QString, button);
        QFETCH(QString, description);

        InstallConfigurationList list;
        PagesTestApplication application(&list);
        InstallConfigurationDialog page(&application);
        QCOMPARE(page.title(), QStringLiteral("Choose Configuration"));
        QCOMPARE(page.subtitle(), QStringLiteral("Select the type of installation to carry out."));
        QCOMPARE(page.buttonGroup()->buttons().size(), 4);

        QAbstractButton *radio = page.buttonGroup()->button(id);
        QVERIFY(radio);
        QCOMPARE(radio->text(), button);
        auto *group = qobject_cast<QGroupBox *>(radio->parentWidget());
        QCOMPARE(group->title(), QStringLiteral("Configuration"));

        // The description is the widget right of the button in the same row.
        auto *grid = qobject_cast<QGridLayout *>(group->layout());
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(radio), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(row, id);
        QLayoutItem *beside = grid->itemAtPosition(row, column + 1);
        QVERIFY2(beside && qobject_cast<QLabel *>(beside->widget()), "a description beside every button");
        QCOMPARE(static_cast<QLabel *>(beside->widget())->text(), description);
    }

    void clickingAButtonSetsTheMode_data()
    {
        QTest::addColumn<int>("startMode");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("announcements");

        QTest::newRow("minimal from typical") << 1 << 0 << 0 << 1;
        QTest::newRow("typical again is no change") << 1 << 1 << 1 << 0;
        QTest::newRow("custom from typical") << 1 << 3 << 3 << 1;
    }

    void clickingAButtonSetsTheMode()
    {
        QFETCH(int, startMode);
        QFETCH(int, clicked);
        QFETCH(int, mode);
        QFETCH(int, announcements);

        InstallConfigurationList list;
        PagesTestApplication application(&list);
        application.setMode(static_cast<InstallApplication::Mode>(startMode));
        InstallConfigurationDialog page(&application);
        page.show();
        QSignalSpy changes(&application, &InstallApplication::modeChanged);

        QTest::mouseClick(page.buttonGroup()->button(clicked), Qt::LeftButton);
        QCOMPARE(int(application.mode()), mode);
        QCOMPARE(changes.size(), announcements);
        QCOMPARE(page.buttonGroup()->checkedId(), clicked);
    }

    void selectionFollowsTheModeAtConstruction_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("checked");
        QTest::newRow("minimal") << 0 << 0;
        QTest::newRow("custom") << 3 << 3;
        QTest::newRow("modify has no button") << 4 << -1;
        QTest::newRow("upgrade has no button") << 7 << -1;
    }

    void selectionFollowsTheModeAtConstruction()
    {
        QFETCH(int, mode);
        QFETCH(int, checked);
        InstallConfigurationList list;
        PagesTestApplication application(&list);
        application.setMode(static_cast<InstallApplication::Mode>(mode));
        InstallConfigurationDialog page(&application);
        QCOMPARE(page.buttonGroup()->checkedId(), checked);
    }

    void modeChangedElsewhere_data()
    {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("finalMode");
        QTest::newRow("custom then minimal") << QList<int>{ 3, 0 } << 0 << 0;
        QTest::newRow("turning into an upgrade keeps typical") << QList<int>{ 7 } << 1 << 7;
        QTest::newRow("full, then remove keeps full") << QList<int>{ 2, 6 } << 2 << 6;
        QTest::newRow("upgrade, then back to custom") << QList<int>{ 7, 3 } << 3 << 3;
    }

    void modeChangedElsewhere()
    {
        QFETCH(QList<int>, modes);
        QFETCH(int, checked);
        QFETCH(int, finalMode);
        InstallConfigurationList list;
        PagesTestApplication application(&list);
        InstallConfigurationDialog page(&application);
        for (const int mode : modes)
            application.setMode(static_cast<InstallApplication::Mode>(mode));
        QCOMPARE(page.buttonGroup()->checkedId(), checked);
        QCOMPARE(int(application.mode()), finalMode);
    }
};

QTEST_MAIN(TestConfigurationTypePage)
#include "tst_configurationtypepage.moc"
