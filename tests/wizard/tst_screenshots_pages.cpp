// Renders the welcome, start, folder, setup type, custom setup and option pages in the
// wizard frame into PNG files for a person to look at. Does nothing unless
// SCREENSHOT_DIR names the folder to write into.

#include "common/PagesTestSupport.h"

#include "app/core/ProductIdentity.h"
#include "app/core/VariableTable.h"
#include "configuration/items/InstallFileAssociationConfigurationItem.h"
#include "configuration/items/InstallSystemEnvironmentConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/pages/InstallAssociateFilesDialog.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallConfigurationDialog.h"
#include "wizard/pages/InstallCustomSetupDialog.h"
#include "wizard/pages/InstallEnvironmentVariablesDialog.h"
#include "wizard/pages/InstallOptionalDialog.h"
#include "wizard/pages/InstallProgramFolderDialog.h"
#include "wizard/pages/StandardPageTexts.h"

#include <QDir>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

// A tree shaped like the product's: required folders, a typical and a full component,
// optional ones, an association and a variable.
void buildProductLikeTree(InstallConfigurationList &root)
{
    auto *program = new InstallConfigurationItem(&root, QStringLiteral("$(Product)"),
                                                 QStringLiteral("The development environment"), 0, true);
    auto *tools = new InstallConfigurationItem(program, QStringLiteral("RISC-V Toolchain"),
                                               QStringLiteral("Compiler, assembler and linker"), 0, true);
    new InstallConfigurationItem(tools, QStringLiteral("Debugger"), QStringLiteral("Source-level debugger"), 1, true);
    new InstallConfigurationItem(tools, QStringLiteral("Simulator"), QString(), 2, true);
    new InstallConfigurationItem(program, QStringLiteral("Examples"), QStringLiteral("Example projects"), 1, true);
    new InstallConfigurationItem(&root, QStringLiteral("Installer Settings"), QString(), 0, false);
    new InstallConfigurationItem(&root, QStringLiteral("Device Rules"),
                                 QStringLiteral("Lets ordinary users reach the debug probes"), 3, true);
    new InstallConfigurationItem(&root, QStringLiteral("Board Support Packages"),
                                 QStringLiteral("Support files for the evaluation boards"), 4, true);
    new InstallFileAssociationConfigurationItem(QStringLiteral(".fwProject"), program, QStringLiteral("Projects"),
                                                QStringLiteral("Fenwick Studio project"), 1, true);
    new InstallSystemEnvironmentConfigurationItem(QStringLiteral("FENWICK_HOME"), QStringLiteral("$(DestDir)"),
                                                  &root, QStringLiteral("Home"), QString(), 1, true);
}

} // namespace

class TestScreenshotsPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_folder = qEnvironmentVariable("SCREENSHOT_DIR");
        if (m_folder.isEmpty())
            QSKIP("SCREENSHOT_DIR is not set");
        QVERIFY(QDir().mkpath(m_folder));
        setVariable(QStringLiteral("Company"), QStringLiteral("Corvane"));
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        setVariable(QStringLiteral("AltArch"), QString());
        setPathVariable(QStringLiteral("OSAppDir"), QStringLiteral("/usr/share"));
        setPathVariable(QStringLiteral("DestDir"),
                        QStringLiteral("$(OSAppDir)/corvane_fenwick_studio_for_risc-v_4.52a"));
        setPathVariable(QStringLiteral("ProgramFolderDir"), QStringLiteral("$(Company)/$(DestName)"));
    }

    void pages_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *name : { "welcome", "welcome-upgrade", "start-installation", "start-removal",
                                  "start-modify", "start-repair", "start-upgrade", "destination",
                                  "program-folder", "configuration-type", "custom-setup", "associate-files",
                                  "environment-variables", "additional-components" })
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void pages()
    {
        QFETCH(QString, page);

        InstallConfigurationList root;
        buildProductLikeTree(root);
        PagesTestApplication application(&root);
        QObject::connect(&application, &InstallApplication::modeChanged, &root,
                         &InstallConfigurationItem::checkWillInstall);
        root.checkWillInstall();
        ClassicInstallWizard wizard;

        const QHash<QString, int> textPages = {
            { QStringLiteral("welcome"), StandardPageTexts::WelcomeInstall },
            { QStringLiteral("welcome-upgrade"), StandardPageTexts::WelcomeUpgrade },
            { QStringLiteral("start-installation"), StandardPageTexts::StartInstallation },
            { QStringLiteral("start-removal"), StandardPageTexts::StartRemoval },
            { QStringLiteral("start-modify"), StandardPageTexts::StartModify },
            { QStringLiteral("start-repair"), StandardPageTexts::StartRepair },
            { QStringLiteral("start-upgrade"), StandardPageTexts::StartUpgrade },
        };
        InstallWizardDialog *shown = nullptr;
        std::unique_ptr<InstallChooseDestinationDialog> destination;
        if (textPages.contains(page)) {
            InstallTextDialog *text = StandardPageTexts::createPage(&application, textPages.value(page));
            if (page == QLatin1String("start-removal"))
                text->setText(StandardPageTexts::productRemovalText(
                    QString::fromLatin1(ProductIdentity::title), QString::fromLatin1(ProductIdentity::shortName)));
            shown = text;
        } else if (page == QLatin1String("destination")) {
            shown = new InstallChooseDestinationDialog(&application);
        } else if (page == QLatin1String("program-folder")) {
            // The destination page stores DestName, as it does in the installer.
            destination = std::make_unique<InstallChooseDestinationDialog>(&application);
            shown = new InstallProgramFolderDialog(&application);
        } else if (page == QLatin1String("configuration-type")) {
            shown = new InstallConfigurationDialog(&application);
        } else if (page == QLatin1String("custom-setup")) {
            application.setMode(InstallApplication::Custom);
            shown = new InstallCustomSetupDialog(&application);
        } else if (page == QLatin1String("associate-files")) {
            shown = new InstallAssociateFilesDialog(&application);
        } else if (page == QLatin1String("environment-variables")) {
            shown = new InstallEnvironmentVariablesDialog(&application);
        } else {
            shown = new InstallOptionalDialog(&application);
        }
        wizard.addDialog(shown, 1);
        wizard.showDialog(1);
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));

        if (auto *custom = qobject_cast<InstallCustomSetupDialog *>(shown)) {
            QTreeWidget *list = custom->featureList();
            QTreeWidgetItem *simulator =
                list->findItems(QStringLiteral("Simulator"), Qt::MatchExactly | Qt::MatchRecursive, 1).value(0);
            QVERIFY(simulator);
            const QRect row = list->visualItemRect(simulator);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(row.left() + 8, row.center().y()));
            QMenu *menu = custom->openMenu();
            QVERIFY2(menu, "a click on the icon opens the menu");
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QVERIFY2(save(menu, QStringLiteral("page-custom-setup-menu")), "could not write the picture");
            menu->close();
        }
        if (auto *options = qobject_cast<InstallCheckBoxDialog *>(shown)) {
            if (options->itemCount() > 0)
                options->checkList()->setCurrentItem(options->checkList()->topLevelItem(0));
        }
        QVERIFY2(save(&wizard, QStringLiteral("page-") + page), "could not write the picture");
    }

private:
    bool save(QWidget *widget, const QString &name)
    {
        return widget->grab().save(QDir(m_folder).filePath(name + QStringLiteral(".png")));
    }

    QString m_folder;
};

QTEST_MAIN(TestScreenshotsPages)
#include "tst_screenshots_pages.moc"
