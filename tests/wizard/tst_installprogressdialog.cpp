// The progress page following real walks of a configuration tree: bar totals per
// phase, the item shown while it runs, and the item's own bar.

#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallPushButton.h"
#include "wizard/pages/InstallProgressDialog.h"
#include "wizard/pages/StudioProgressBar.h"

#include <QLabel>
#include <QtTest>

#include <memory>

namespace {

// What the page showed while an item was doing its work.
struct Observation
{
    QString itemLabel;
    int currentTotal = 0;
    int currentProgress = 0;
};

// An item that reports steps the way file items do, and notes what the page shows.
class SteppingItem : public InstallConfigurationItem
{
public:
    SteppingItem(InstallConfigurationItem *parent, const QString &name, const InstallProgressDialog *page,
                 QList<Observation> &observations)
        : InstallConfigurationItem(parent, name, QString(), 0, true), m_page(page), m_observations(observations)
    {
    }

protected:
    void doInstall() override { work(); }
    void doUninstall() override { work(); }

private:
    void work()
    {
        emitTotalSteps(4);
        emit progress(1);
        emit progress(QStringLiteral("copying"));
        emit progress(3);
        m_observations.append({m_page->itemLabel()->text(), m_page->currentBar()->totalSteps(),
                               m_page->currentBar()->progress()});
    }

    const InstallProgressDialog *m_page;
    QList<Observation> &m_observations;
};

using State = InstallConfigurationItem::InstalledState;

} // namespace

class TestInstallProgressDialog : public QObject
{
    Q_OBJECT

    // Root, Alpha, Beta { Beta One }, Gamma; Gamma is not selected.
    void buildTree()
    {
        auto *alpha = new SteppingItem(m_root.get(), QStringLiteral("Alpha"), m_page, m_observations);
        auto *beta = new SteppingItem(m_root.get(), QStringLiteral("Beta"), m_page, m_observations);
        auto *betaOne = new SteppingItem(beta, QStringLiteral("Beta One"), m_page, m_observations);
        auto *gamma = new SteppingItem(m_root.get(), QStringLiteral("Gamma"), m_page, m_observations);
        m_items = {alpha, beta, betaOne, gamma};
        m_root->setInstall(true, true);
        gamma->setInstall(false);
    }

    ClassicInstallWizard *m_wizard = nullptr; // owned by the application
    std::unique_ptr<InstallConfigurationList> m_root;
    std::unique_ptr<WizardTestApplication> m_application;
    InstallProgressDialog *m_page = nullptr;
    QList<InstallConfigurationItem *> m_items; // Alpha, Beta, Beta One, Gamma
    QList<Observation> m_observations;

private slots:
    void init()
    {
        m_wizard = new ClassicInstallWizard;
        m_root = std::make_unique<InstallConfigurationList>();
        m_application = std::make_unique<WizardTestApplication>(m_wizard, m_root.get());
        m_application->setMode(InstallApplication::Custom);
        m_page = new InstallProgressDialog(m_application.get(), QStringLiteral("Installing"), QString());
        m_wizard->addDialog(m_page, 16);
        buildTree();
    }

    void cleanup()
    {
        m_items.clear();
        m_observations.clear();
        m_application.reset();
        m_root.reset();
        m_wizard = nullptr;
        m_page = nullptr;
    }


    void phaseSetsTitleTotalAndCurrentBar_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("total");
        QTest::addColumn<bool>("currentShown");

        // Root not installed, Alpha fully, Beta partially, Beta One not, Gamma fully (unselected).
        QTest::newRow("installing counts wanted missing and partial items")
            << 0 << "Installing" << 3 << true;
        QTest::newRow("removing counts unwanted present items") << 1 << "Removing" << 1 << true;
        QTest::newRow("repairing counts every wanted item") << 3 << "Repairing" << 4 << true;
        QTest::newRow("upgrading visits the tree twice") << 4 << "Upgrading" << 10 << true;
        QTest::newRow("checking visits the tree once, without the item bar")
            << 5 << "Checking For Installed Components" << 5 << false;
        QTest::newRow("unknown phase keeps the item bar as it was") << 2 << "" << 0 << false;
    }

    void phaseSetsTitleTotalAndCurrentBar()
    {
        QFETCH(int, phase);
        QFETCH(QString, title);
        QFETCH(int, total);
        QFETCH(bool, currentShown);

        m_items[0]->setInstalled(InstallConfigurationItem::fullyInstalled);
        m_items[1]->setInstalled(InstallConfigurationItem::partiallyInstalled);
        m_items[3]->setInstalled(InstallConfigurationItem::fullyInstalled);
        m_page->showCurrentProgress(false);
        m_page->setMode(phase);
        m_wizard->showDialog(16);

        QCOMPARE(m_page->title(), title);
        QCOMPARE(m_page->subtitle(), QString());
        QCOMPARE(m_page->totalBar()->totalSteps(), total);
        QCOMPARE(m_page->totalBar()->progress(), 0);
        QCOMPARE(m_page->currentProgressShown(), currentShown);
        QCOMPARE(m_page->currentBar()->isVisible(), currentShown);
        QCOMPARE(m_wizard->titleLabel()->text(), QStringLiteral("<b>%1</b><p></p>").arg(title));
        QVERIFY2(m_wizard->cancelButton()->isEnabled() && !m_wizard->nextButton()->isEnabled()
                     && !m_wizard->backButton()->isEnabled(),
                 "only Cancel may be pressed while a run goes on");
    }

    void pageFollowsAWalk_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("startState");
        QTest::addColumn<QString>("walk");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("completed");
        QTest::addColumn<QStringList>("itemsSeen");

        QTest::newRow("installation")
            << int(InstallApplication::Custom) << 0 << int(InstallConfigurationItem::notInstalled)
            << "install" << 4 << 4 << QStringList{"Setup: Alpha", "Setup: Beta", "Setup: Beta One"};
        QTest::newRow("removal, last item first")
            << int(InstallApplication::Remove) << 1 << int(InstallConfigurationItem::fullyInstalled)
            << "uninstall" << 5 << 5
            << QStringList{"Setup: Gamma", "Setup: Beta One", "Setup: Beta", "Setup: Alpha"};
        QTest::newRow("upgrade removes, then installs what is wanted")
            << int(InstallApplication::Upgrade) << 4 << int(InstallConfigurationItem::fullyInstalled)
            << "uninstall install" << 10 << 9
            << QStringList{"Setup: Gamma", "Setup: Beta One", "Setup: Beta", "Setup: Alpha",
                           "Setup: Alpha", "Setup: Beta", "Setup: Beta One"};
        QTest::newRow("check announces each parent once per child")
            << int(InstallApplication::Custom) << 5 << int(InstallConfigurationItem::notInstalled)
            << "check" << 5 << 4 << QStringList{};
    }

    void pageFollowsAWalk()
    {
        QFETCH(int, mode);
        QFETCH(int, phase);
        QFETCH(int, startState);
        QFETCH(QString, walk);
        QFETCH(int, total);
        QFETCH(int, completed);
        QFETCH(QStringList, itemsSeen);

        m_application->setMode(InstallApplication::Mode(mode));
        m_root->setInstalled(State(startState), true);
        m_page->setConfigurationPrefix(QStringLiteral("Setup: "));
        m_page->setMode(phase);
        m_wizard->showDialog(16);

        for (const QString &step : walk.split(QLatin1Char(' '))) {
            const bool ok = step == "install" ? m_root->install()
                            : step == "uninstall" ? m_root->uninstall()
                                                  : m_root->checkInstalled();
            QVERIFY2(ok, qPrintable(step + QStringLiteral(" walk failed")));
        }

        QCOMPARE(m_page->totalBar()->totalSteps(), total);
        QCOMPARE(m_page->completed(), completed);
        QCOMPARE(m_page->totalBar()->progress(), completed);
        QStringList labels;
        for (const Observation &seen : std::as_const(m_observations)) {
            labels << seen.itemLabel;
            QVERIFY2(seen.currentTotal == 4 && seen.currentProgress == 3, qPrintable(seen.itemLabel));
        }
        QCOMPARE(labels, itemsSeen);
        QVERIFY2(m_page->itemLabel()->text().isEmpty() && m_page->taskLabel()->text().isEmpty(), "labels cleared");
        QCOMPARE(m_page->currentBar()->progress(), -1);
    }

    void itemIsForgottenAndCountRestarts()
    {
        m_page->setMode(InstallProgressDialog::Installing);
        m_wizard->showDialog(16);
        QVERIFY(m_root->install());
        // Alpha's signals after its end must no longer move the item bar.
        emit m_items[0]->totalSteps(50);
        emit m_items[0]->progress(25);
        QCOMPARE(m_page->currentBar()->totalSteps(), 4);
        QCOMPARE(m_page->currentBar()->progress(), -1);
        // Showing the page again restarts the count.
        QCOMPARE(m_page->completed(), 4);
        m_wizard->hide();
        m_root->setInstalled(InstallConfigurationItem::notInstalled, true);
        m_page->skipped(2);
        m_wizard->showDialog(16);
        QCOMPARE(m_page->completed(), 0);
        QCOMPARE(m_page->totalBar()->progress(), 0);
        QCOMPARE(m_page->totalBar()->totalSteps(), 4);
    }
};

QTEST_MAIN(TestInstallProgressDialog)
#include "tst_installprogressdialog.moc"
