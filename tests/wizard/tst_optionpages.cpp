#include "common/PagesTestSupport.h"

#include "app/core/VariableTable.h"
#include "configuration/items/InstallFileAssociationConfigurationItem.h"
#include "configuration/items/InstallSystemEnvironmentConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/pages/InstallAssociateFilesDialog.h"
#include "wizard/pages/InstallConfigurationItemCheckBox.h"
#include "wizard/pages/InstallEnvironmentVariablesDialog.h"
#include "wizard/pages/InstallOptionalDialog.h"

#include <QLabel>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

enum PageKind { AssociationsPage = 5, EnvironmentPage = 6, ComponentsPage = 7 };

// Every kind the option pages look for, hidden ones among them, below a group.
struct OptionFixture
{
    explicit OptionFixture(bool withOptions = true) : application(&list)
    {
        QObject::connect(&application, &InstallApplication::modeChanged, &list,
                         &InstallConfigurationItem::checkWillInstall);
        core = new InstallConfigurationItem(&list, QStringLiteral("Core"), QStringLiteral("Core files"), 0, true);
        if (withOptions) {
            new InstallConfigurationItem(core, QStringLiteral("Manuals"), QStringLiteral("Manuals for $(Product)"), 3, true);
            new InstallConfigurationItem(core, QStringLiteral("Samples"), QStringLiteral("Sample projects"), 4, true);
            new InstallConfigurationItem(core, QStringLiteral("Compiler"), QStringLiteral("Compiler"), 2, true);
            new InstallConfigurationItem(&list, QStringLiteral("Hidden Extra"), QStringLiteral("Never shown"), 4, false);
            new InstallFileAssociationConfigurationItem(QStringLiteral(".fwProject"), core, QStringLiteral("Projects"),
                                                        QStringLiteral("Fenwick project"), 1, true);
            new InstallFileAssociationConfigurationItem(QStringLiteral(".fwHidden"), core, QStringLiteral("Hidden"),
                                                        QStringLiteral("Never shown"), 1, false);
            new InstallSystemEnvironmentConfigurationItem(QStringLiteral("FENWICK_HOME"), QStringLiteral("$(DestDir)"),
                                                          &list, QStringLiteral("Home"), QString(), 1, true);
            new InstallConfigurationItem(&list, QStringLiteral("Boards"), QStringLiteral("Board files"), 3, true);
        }
        list.checkWillInstall();
    }

    std::unique_ptr<InstallCheckBoxDialog> page(int kind)
    {
        if (kind == AssociationsPage)
            return std::make_unique<InstallAssociateFilesDialog>(&application);
        if (kind == EnvironmentPage)
            return std::make_unique<InstallEnvironmentVariablesDialog>(&application);
        return std::make_unique<InstallOptionalDialog>(&application);
    }

    InstallConfigurationItem *item(const QString &name) const
    {
        const QList<InstallConfigurationItem *> all = list.findChildren<InstallConfigurationItem *>();
        for (InstallConfigurationItem *candidate : all)
            if (candidate->name() == name)
                return candidate;
        return nullptr;
    }

    InstallConfigurationList list;
    PagesTestApplication application;
    InstallConfigurationItem *core = nullptr;
};

QStringList entryTexts(const InstallCheckBoxDialog &page, bool tickedOnly = false)
{
    QStringList texts;
    for (int i = 0; i < page.itemCount(); ++i)
        if (!tickedOnly || page.entry(i)->checkState(0) == Qt::Checked)
            texts.append(page.entry(i)->text(0));
    return texts;
}

InstallConfigurationItemCheckBox *entryNamed(const InstallCheckBoxDialog &page, const QString &text)
{
    for (int i = 0; i < page.itemCount(); ++i)
        if (page.entry(i)->text(0) == text)
            return page.entry(i);
    return nullptr;
}

// Ticks or clears a box the way a user does: make it current and press the space bar.
void toggleByKeyboard(InstallCheckBoxDialog &page, InstallConfigurationItemCheckBox *entry)
{
    page.checkList()->setFocus();
    page.checkList()->setCurrentItem(entry);
    QTest::keyClick(page.checkList(), Qt::Key_Space);
}

} // namespace

class TestOptionPages : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
    }

    void pageListsItsItems_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("firstDescription"); // an empty description leaves just the dot

        QTest::newRow("file associations") << int(AssociationsPage) << "Associate Files"
            << "Select the file types you want to associate with $(Product)."
            << "The installer can associate the following file types with Corvane Fenwick Studio for RISC-V "
               "4.52a.<p>Select the files you want associate, then click Next to continue."
            << QStringList({ ".fwProject Files" }) << QStringList({ ".fwProject Files" }) << "Fenwick project.";
        QTest::newRow("environment variables") << int(EnvironmentPage) << "Update Environment Variables"
            << "Select the environment variables that you want to update."
            << "The installer can update the following environment variables in order to run Corvane "
               "Fenwick Studio for RISC-V 4.52a.<p>Select the environment variables you want to update, then "
               "click Next to continue."
            << QStringList({ "Update FENWICK_HOME" }) << QStringList({ "Update FENWICK_HOME" }) << ".";
        QTest::newRow("additional components: level 4 ticked, level 3 as selected")
            << int(ComponentsPage) << "Additional Components" << "Select the additional components to install."
            << "The installer can install the following additional components.<p>Select required "
               "components, then click Next to continue."
            << QStringList({ "Install Manuals", "Install Samples", "Install Boards" })
            << QStringList({ "Install Samples" }) << "Manuals for Corvane Fenwick Studio for RISC-V.";
    }

    void pageListsItsItems()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, ticked);
        QFETCH(QString, firstDescription);

        OptionFixture fixture;
        const std::unique_ptr<InstallCheckBoxDialog> page = fixture.page(kind);
        QCOMPARE(page->title(), title);
        QCOMPARE(page->subtitle(), subtitle);
        QCOMPARE(page->text(), text);
        QCOMPARE(page->flags(), 0);
        QCOMPARE(page->nextLabel(), QStringLiteral("&Next>"));
        QCOMPARE(entryTexts(*page), entries);
        QCOMPARE(entryTexts(*page, true), ticked);
        // A ticked level-4 box selects its component; level 3 and hidden items stay as they were.
        for (int i = 0; i < page->itemCount(); ++i)
            QCOMPARE(page->entry(i)->item()->isSelected(), page->entry(i)->checkState(0) == Qt::Checked);
        QVERIFY(!fixture.item(QStringLiteral("Hidden Extra"))->isSelected());
        QCOMPARE(OptionFixture(false).page(kind)->itemCount(), 0); // a tree without options: an empty page
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QCOMPARE(page->descriptionLabel()->text(), QStringLiteral("<b>Description:</b> "));
        const QRect row = page->checkList()->visualItemRect(page->entry(0));
        QTest::mouseClick(page->checkList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(row.right() - 10, row.center().y()));
        QVERIFY2(page->entry(0)->isSelected(), "clicking the text selects the entry");
        QCOMPARE(page->descriptionLabel()->text(), QStringLiteral("<b>Description:</b> ") + firstDescription);
    }

    void unselectedItemKeepsItsSelectionWhenTheBoxIsBuilt()
    {
        // Selected but not installed in Typical mode: building its box cleared keeps the selection.
        OptionFixture fixture;
        InstallConfigurationItem *compiler = fixture.item(QStringLiteral("Compiler"));
        compiler->setInstall(true, false);
        InstallCheckBoxDialog page(&fixture.application, QStringLiteral("T"), QString(), QString());
        InstallConfigurationItemCheckBox *entry = page.addItem(QStringLiteral("Install $(Product)"),
                                                               QStringLiteral("$(Version)"), compiler);
        QCOMPARE(entry->text(0), QStringLiteral("Install Corvane Fenwick Studio for RISC-V"));
        QCOMPARE(entry->description(), QStringLiteral("4.52a"));
        QCOMPARE(entry->checkState(0), Qt::Unchecked);
        QVERIFY2(compiler->isSelected(), "the selection survives");
    }

    void userTogglesTheBox_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("selectedAfterFirst");

        QTest::newRow("tick a level-3 component") << int(ComponentsPage) << "Install Manuals" << "Manuals" << true;
        QTest::newRow("clear a level-4 component") << int(ComponentsPage) << "Install Samples" << "Samples" << false;
    }

    void userTogglesTheBox()
    {
        QFETCH(int, kind);
        QFETCH(QString, entry);
        QFETCH(QString, item);
        QFETCH(bool, selectedAfterFirst);

        OptionFixture fixture;
        const std::unique_ptr<InstallCheckBoxDialog> page = fixture.page(kind);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        InstallConfigurationItemCheckBox *box = entryNamed(*page, entry);
        QVERIFY(box);
        toggleByKeyboard(*page, box);
        QCOMPARE(fixture.item(item)->isSelected(), selectedAfterFirst);
        QCOMPARE(fixture.item(item)->willInstall(), selectedAfterFirst);
        QCOMPARE(box->checkState(0) == Qt::Checked, selectedAfterFirst);
        toggleByKeyboard(*page, box);
        QCOMPARE(fixture.item(item)->isSelected(), !selectedAfterFirst);
        QCOMPARE(box->checkState(0) == Qt::Checked, !selectedAfterFirst);
    }

    void deselectedParentDisablesAndClearsTheBox()
    {
        OptionFixture fixture;
        const std::unique_ptr<InstallCheckBoxDialog> page = fixture.page(ComponentsPage);
        InstallConfigurationItemCheckBox *box = entryNamed(*page, QStringLiteral("Install Samples"));
        QVERIFY(box->flags().testFlag(Qt::ItemIsEnabled));
        QCOMPARE(box->checkState(0), Qt::Checked);
        fixture.core->setInstall(false, false);
        QVERIFY(!box->flags().testFlag(Qt::ItemIsEnabled));
        QCOMPARE(box->checkState(0), Qt::Unchecked);
        QVERIFY2(!fixture.item(QStringLiteral("Samples"))->isSelected(), "clearing the box cleared the item");
        // Back on, the box is enabled; the item returns only through the group's own propagation.
        fixture.core->setInstall(true, false);
        QVERIFY(box->flags().testFlag(Qt::ItemIsEnabled));
        QCOMPARE(box->checkState(0) == Qt::Checked, fixture.item(QStringLiteral("Samples"))->willInstall());
    }
};

QTEST_MAIN(TestOptionPages)
#include "tst_optionpages.moc"
