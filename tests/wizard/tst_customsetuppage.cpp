#include "common/PagesTestSupport.h"

#include "configuration/model/InstallConfigurationList.h"
#include "wizard/pages/CustomItem.h"
#include "wizard/pages/CustomSetupImages.h"
#include "wizard/pages/InstallCustomSetupDialog.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

struct ItemRow
{
    const char *name;
    const char *parent; // null: below the root
    const char *description;
    int level;
    bool visible;
};

// Hidden branches, empty descriptions and every level.
constexpr ItemRow featureTree[] = {
    { "Core", nullptr, "The core files", 0, true },
    { "Compiler", "Core", "The RISC-V compiler", 1, true },
    { "Debugger", "Compiler", "", 2, true },
    { "Hidden Tools", "Core", "Tools nobody sees", 1, false },
    { "Hidden Child", "Hidden Tools", "", 0, true },
    { "Examples", nullptr, "Example projects", 2, true },
    { "Extras", nullptr, "Extra boards", 3, true },
    { "Board Files", nullptr, "Board support files", 4, true },
    { "Odd Level", nullptr, "Odd", 7, true },
};

// The tree in Custom mode with the application's mode-change hook, and its page.
struct Fixture
{
    explicit Fixture(bool shown = true) : application(&list)
    {
        QObject::connect(&application, &InstallApplication::modeChanged, &list,
                         &InstallConfigurationItem::checkWillInstall);
        application.setMode(InstallApplication::Custom);
        for (const ItemRow &row : featureTree) {
            InstallConfigurationItem *parent = row.parent ? items.value(QLatin1String(row.parent)) : &list;
            items.insert(QLatin1String(row.name),
                         new InstallConfigurationItem(parent, QLatin1String(row.name),
                                                      QLatin1String(row.description), row.level, row.visible));
            order.append(QLatin1String(row.name));
        }
        list.checkWillInstall();
        page = std::make_unique<InstallCustomSetupDialog>(&application);
        if (shown) {
            page->resize(500, 400);
            page->show();
            exposed = QTest::qWaitForWindowExposed(page.get());
        }
    }

    QStringList selectedNames() const
    {
        QStringList names;
        for (const QString &name : order)
            if (items.value(name)->isSelected())
                names.append(name);
        return names;
    }

    QTreeWidget *tree() const { return page->featureList(); }

    CustomItem *entry(const QString &name) const
    {
        const auto found = tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, CustomItem::NameColumn);
        return found.isEmpty() ? nullptr : dynamic_cast<CustomItem *>(found.first());
    }

    QPoint iconPoint(const QTreeWidgetItem *e) const
    {
        const QRect r = tree()->visualItemRect(e);
        return QPoint(r.left() + 8, r.center().y());
    }

    QPoint namePoint(const QTreeWidgetItem *e) const
    {
        return QPoint(tree()->header()->sectionViewportPosition(CustomItem::NameColumn) + 10,
                      tree()->visualItemRect(e).center().y());
    }

    void click(Qt::MouseButton button, const QPoint &at) const
    {
        QTest::mouseClick(tree()->viewport(), button, Qt::NoModifier, at);
    }

    // Opens the icon menu of the entry with a left click and picks the choice with id.
    bool choose(const QString &name, int id) const
    {
        click(Qt::LeftButton, iconPoint(entry(name)));
        QMenu *menu = page->openMenu();
        if (!menu || !QTest::qWaitFor([menu] { return menu->isVisible(); }))
            return false;
        for (QAction *action : menu->actions())
            if (!action->isSeparator() && action->data().toInt() == id) {
                QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
                return true;
            }
        return false;
    }

    InstallConfigurationList list;
    PagesTestApplication application;
    QHash<QString, InstallConfigurationItem *> items;
    QStringList order;
    std::unique_ptr<InstallCustomSetupDialog> page;
    bool exposed = true;
};

bool showsIcon(const QTreeWidgetItem *entry, const QPixmap &expected)
{
    const QImage shown = entry->icon(CustomItem::IconColumn).pixmap(expected.size()).toImage();
    return shown.convertToFormat(QImage::Format_ARGB32) == expected.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Walks the shown tree: the indented shape, and the names showing the will-install icon.
void walk(const QTreeWidgetItem *node, int depth, QStringList *shape, QStringList *icons)
{
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        const QString name = child->text(CustomItem::NameColumn);
        if (shape)
            shape->append(QString(depth * 2, QLatin1Char(' ')) + name);
        if (icons && showsIcon(child, CustomSetupImages::willInstallIcon()))
            icons->append(name);
        else if (icons && !showsIcon(child, CustomSetupImages::notInstalledIcon()))
            icons->append(QStringLiteral("NO ICON: ") + name);
        walk(child, depth + 1, shape, icons);
    }
}

QStringList willInstallIcons(const Fixture &f)
{
    QStringList names;
    walk(f.tree()->invisibleRootItem(), 0, nullptr, &names);
    return names;
}

} // namespace

class TestCustomSetupPage : public QObject
{
    Q_OBJECT

private slots:
    void pageTexts()
    {
        Fixture f(false);
        QCOMPARE(f.page->title(), QStringLiteral("Custom Setup"));
        QCOMPARE(f.page->subtitle(), QStringLiteral("Select the program features that you want to install"));
        QCOMPARE(f.page->flags(), 0);
        QCOMPARE(f.page->nextLabel(), QStringLiteral("&Next>"));
        QCOMPARE(f.page->findChildren<QLabel *>().first()->text(),
                 QStringLiteral("Click on an icon in the list below to change how a feature is installed."));
        QVERIFY(f.tree()->isHeaderHidden());
    }

    // Hidden items and everything below them are left out; icons follow the items.
    void treeAndIcons()
    {
        Fixture f(false);
        QStringList shape;
        walk(f.tree()->invisibleRootItem(), 0, &shape, nullptr);
        QCOMPARE(shape, QStringList({ "Core", "  Compiler", "    Debugger", "Examples", "Extras",
                                      "Board Files", "Odd Level" }));
        QCOMPARE(f.entry(QStringLiteral("Debugger"))->item(), f.items.value(QStringLiteral("Debugger")));
        QCOMPARE(willInstallIcons(f), QStringList({ "Core", "Compiler" }));
        f.application.setMode(InstallApplication::Remove);
        QCOMPARE(willInstallIcons(f), QStringList());
        f.application.setMode(InstallApplication::Custom);
        f.items.value(QStringLiteral("Debugger"))->setInstall(true, false);
        QCOMPARE(willInstallIcons(f), QStringList({ "Core", "Compiler", "Debugger" }));
    }

    void whichClicksOpenTheMenu_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left click on the icon") << "icon" << int(Qt::LeftButton) << true;
        QTest::newRow("right click on the icon") << "icon" << int(Qt::RightButton) << false;
        QTest::newRow("left click on the name") << "name" << int(Qt::LeftButton) << false;
        QTest::newRow("left click on the branch handle") << "branch" << int(Qt::LeftButton) << false;
        QTest::newRow("left click below the last entry") << "empty" << int(Qt::LeftButton) << false;
    }

    void whichClicksOpenTheMenu()
    {
        QFETCH(QString, where);
        QFETCH(int, button);
        QFETCH(bool, opens);
        Fixture f;
        QVERIFY(f.exposed);
        QTreeWidgetItem *compiler = f.entry(QStringLiteral("Compiler"));
        const QRect r = f.tree()->visualItemRect(compiler);
        const QPoint at = where == "icon" ? f.iconPoint(compiler)
                        : where == "name" ? f.namePoint(compiler)
                        : where == "branch" ? QPoint(r.left() - 6, r.center().y())
                                            : QPoint(20, f.tree()->viewport()->height() - 5);
        f.click(static_cast<Qt::MouseButton>(button), at);
        QCOMPARE(f.page->openMenu() != nullptr, opens);
        if (!opens)
            return;
        QMenu *menu = f.page->openMenu();
        QStringList texts;
        QList<int> ids;
        for (const QAction *action : menu->actions()) {
            texts.append(action->isSeparator() ? QStringLiteral("--") : action->text());
            ids.append(action->isSeparator() ? -1 : action->data().toInt());
            QVERIFY2(action->isSeparator() || !action->icon().isNull(), "every choice has its icon");
        }
        QCOMPARE(texts, QStringList({ "This feature will be installed on the local hard drive.",
                                      "This feature, and all subfeatures, will be installed on the local "
                                      "hard drive.",
                                      "--", "This feature will not be available." }));
        QCOMPARE(ids, QList<int>({ 0, 1, -1, 2 }));
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        menu->close();
        QVERIFY2(QTest::qWaitFor([&f] { return f.page->openMenu() == nullptr; }), "a closed menu is thrown away");
    }

    void menuChoiceChangesTheSelection_data()
    {
        QTest::addColumn<QStringList>("switchOn");
        QTest::addColumn<QStringList>("switchOff");
        QTest::addColumn<QString>("feature");
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("icons");
        const QStringList hidden = { "Hidden Tools", "Hidden Child" };

        QTest::newRow("this feature on a deep sub-feature switches its ancestors on")
            << QStringList() << QStringList({ "Core", "Compiler" }) << "Debugger" << 0 << 0
            << QStringList({ "Core", "Compiler", "Debugger" }) + hidden
            << QStringList({ "Core", "Compiler", "Debugger" });
        QTest::newRow("feature and subfeatures below a switched-off parent")
            << QStringList() << QStringList({ "Core" }) << "Compiler" << 1 << 0
            << QStringList({ "Core", "Compiler", "Debugger" }) + hidden
            << QStringList({ "Core", "Compiler", "Debugger" });
        QTest::newRow("not available on a typical feature asks nothing")
            << QStringList({ "Debugger" }) << QStringList() << "Compiler" << 2 << 0
            << QStringList({ "Core", "Debugger" }) + hidden << QStringList({ "Core" });
        QTest::newRow("not available on a required feature, answered No")
            << QStringList() << QStringList() << "Core" << 2 << int(InstallCheckMessageBox::No)
            << QStringList({ "Core", "Compiler" }) + hidden << QStringList({ "Core", "Compiler" });
        QTest::newRow("not available on a required feature, answered Yes")
            << QStringList() << QStringList() << "Core" << 2 << int(InstallCheckMessageBox::Yes)
            << QStringList({ "Compiler" }) + hidden << QStringList();
        QTest::newRow("this feature again changes nothing")
            << QStringList() << QStringList() << "Compiler" << 0 << 0
            << QStringList({ "Core", "Compiler" }) + hidden << QStringList({ "Core", "Compiler" });
    }

    void menuChoiceChangesTheSelection()
    {
        QFETCH(QStringList, switchOn);
        QFETCH(QStringList, switchOff);
        QFETCH(QString, feature);
        QFETCH(int, choice);
        QFETCH(int, answer);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, icons);

        Fixture f;
        QVERIFY(f.exposed);
        for (const QString &name : switchOn)
            f.items.value(name)->setInstall(true, false);
        for (const QString &name : switchOff)
            f.items.value(name)->setInstall(false, false);
        std::unique_ptr<QuestionAnswerer> answerer;
        if (answer)
            answerer = std::make_unique<QuestionAnswerer>(answer);
        QVERIFY2(f.choose(feature, choice), "the menu offers the choice");
        if (answerer) {
            QVERIFY2(answerer->asked(), "removing a required feature asks first");
            QCOMPARE(answerer->texts(),
                     QStringList({ "Remove Core?", "The Core component is required for the minimal installation."
                                                   "<p>Are you sure you want to remove it?" }));
        }
        QCOMPARE(f.selectedNames(), selected);
        QCOMPARE(willInstallIcons(f), icons);
        QCOMPARE(f.tree()->currentItem(), f.entry(feature));
    }

    void choiceWithoutCurrentEntryChangesNothing_data()
    {
        QTest::addColumn<int>("choice");
        QTest::newRow("feature and subfeatures") << 1;
        QTest::newRow("unknown choice") << 7;
    }

    void choiceWithoutCurrentEntryChangesNothing()
    {
        QFETCH(int, choice);
        Fixture f(false);
        f.tree()->setCurrentItem(nullptr);
        const QStringList before = f.selectedNames();
        f.page->popupSelected(choice);
        QCOMPARE(f.selectedNames(), before);
        QCOMPARE(willInstallIcons(f), QStringList({ "Core", "Compiler" }));
    }

    void descriptionOfTheCurrentFeature_data()
    {
        QTest::addColumn<QString>("feature");
        QTest::addColumn<int>("installed");
        QTest::addColumn<QString>("text");
        QTest::newRow("as built, before any entry is current") << QString() << 0
            << "<b>Description:</b> <p><b>Installation Level:</b> <p><b>Status:</b> ";
        QTest::newRow("minimal feature, not installed") << "Core" << 0
            << "<b>Description:</b> The core files.<p><b>Installation Level:</b> Required for minimal "
               "installation.<p><b>Status:</b> Not currently installed.";
        QTest::newRow("typical feature, partially installed") << "Compiler" << 1
            << "<b>Description:</b> The RISC-V compiler.<p><b>Installation Level:</b> Required for typical "
               "installation.<p><b>Status:</b> Only partially installed.";
        QTest::newRow("empty description, fully installed") << "Debugger" << 2
            << "<b>Description:</b> <p><b>Installation Level:</b> Required for full installation.<p>"
               "<b>Status:</b> Currently installed.";
        QTest::newRow("optional feature of level 3") << "Extras" << 0
            << "<b>Description:</b> Extra boards.<p><b>Installation Level:</b> Optional installation.<p>"
               "<b>Status:</b> Not currently installed.";
        QTest::newRow("optional feature of level 4") << "Board Files" << 2
            << "<b>Description:</b> Board support files.<p><b>Installation Level:</b> Optional "
               "installation.<p><b>Status:</b> Currently installed.";
        QTest::newRow("unknown level says nothing") << "Odd Level" << 0
            << "<b>Description:</b> Odd.<p><b>Installation Level:</b> <p><b>Status:</b> Not currently "
               "installed.";
    }

    void descriptionOfTheCurrentFeature()
    {
        QFETCH(QString, feature);
        QFETCH(int, installed);
        QFETCH(QString, text);
        // The installed state is set before the page is built, so the page must read it.
        Fixture f(false);
        if (!feature.isEmpty()) {
            f.items.value(feature)->setInstalled(static_cast<InstallConfigurationItem::InstalledState>(installed),
                                                 false);
            f.page = std::make_unique<InstallCustomSetupDialog>(&f.application);
            f.page->resize(500, 400);
            f.page->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.page.get()));
            f.click(Qt::LeftButton, f.namePoint(f.entry(feature)));
        }
        QCOMPARE(f.page->descriptionLabel()->text(), text);
        QCOMPARE(f.page->openMenu(), nullptr);
    }
};

QTEST_MAIN(TestCustomSetupPage)
#include "tst_customsetuppage.moc"
