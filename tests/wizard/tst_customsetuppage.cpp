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
        for (const ItemRow &row : featureTree)
            items.insert(row.name, new InstallConfigurationItem(row.parent ? items.value(row.parent) : &list,
                                                                QLatin1String(row.name), QLatin1String(row.description),
                                                                row.level, row.visible));
        list.checkWillInstall();
        page = std::make_unique<InstallCustomSetupDialog>(&application);
        if (shown)
            show();
    }

    void show() // builds the page again, so it reads the items as they are now
    {
        page = std::make_unique<InstallCustomSetupDialog>(&application);
        page->resize(500, 400);
        page->show();
        exposed = QTest::qWaitForWindowExposed(page.get());
    }

    QStringList selectedNames() const
    {
        QStringList names;
        for (const ItemRow &row : featureTree)
            if (items.value(row.name)->isSelected())
                names.append(row.name);
        return names;
    }

    QTreeWidget *tree() const { return page->featureList(); }

    CustomItem *entry(const QString &name) const
    {
        const auto found = tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, CustomItem::NameColumn);
        return found.isEmpty() ? nullptr : dynamic_cast<CustomItem *>(found.first());
    }

    // The icon at the left edge of the entry's row, or its name.
    QPoint point(const QTreeWidgetItem *e, bool icon) const
    {
        const QRect r = tree()->visualItemRect(e);
        return QPoint(icon ? r.left() + 8 : tree()->header()->sectionViewportPosition(CustomItem::NameColumn) + 10,
                      r.center().y());
    }

    void click(Qt::MouseButton button, const QPoint &at) const
    {
        QTest::mouseClick(tree()->viewport(), button, Qt::NoModifier, at);
    }

    // Opens the icon menu of the entry with a left click and picks the choice with id.
    bool choose(const QString &name, int id) const
    {
        click(Qt::LeftButton, point(entry(name), true));
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
    QHash<QByteArray, InstallConfigurationItem *> items;
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
        shape->append(QString(depth * 2, QLatin1Char(' ')) + name);
        if (showsIcon(child, CustomSetupImages::willInstallIcon()))
            icons->append(name);
        else if (!showsIcon(child, CustomSetupImages::notInstalledIcon()))
            icons->append(QStringLiteral("NO ICON: ") + name);
        walk(child, depth + 1, shape, icons);
    }
}

QStringList willInstallIcons(const Fixture &f, QStringList *shape = nullptr)
{
    QStringList names, ignored;
    walk(f.tree()->invisibleRootItem(), 0, shape ? shape : &ignored, &names);
    return names;
}

} // namespace

class TestCustomSetupPage : public QObject
{
    Q_OBJECT

private slots:
    // Texts; hidden items and everything below them are left out; icons follow the items.
    void pageTreeAndIcons()
    {
        Fixture f(false);
        f.show();
        QCOMPARE(f.page->title(), QStringLiteral("Custom Setup"));
        QCOMPARE(f.page->subtitle(), QStringLiteral("Select the program features that you want to install"));
        QCOMPARE(f.page->flags(), 0);
        QCOMPARE(f.page->nextLabel(), QStringLiteral("&Next>"));
        QCOMPARE(f.page->findChildren<QLabel *>().first()->text(),
                 QStringLiteral("Click on an icon in the list below to change how a feature is installed."));
        QVERIFY(f.tree()->isHeaderHidden());
        QStringList shape;
        QCOMPARE(willInstallIcons(f, &shape), QStringList({ "Core", "Compiler" }));
        QCOMPARE(shape, QStringList({ "Core", "  Compiler", "    Debugger", "Examples", "Extras",
                                      "Board Files", "Odd Level" }));
        QCOMPARE(f.entry(QStringLiteral("Debugger"))->item(), f.items.value("Debugger"));
        f.application.setMode(InstallApplication::Remove);
        QCOMPARE(willInstallIcons(f), QStringList());
        f.application.setMode(InstallApplication::Custom);
        f.items.value("Debugger")->setInstall(true, false);
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
        const QPoint at = where == "branch"  ? QPoint(r.left() - 6, r.center().y())
                        : where == "empty" ? QPoint(20, f.tree()->viewport()->height() - 5)
                                           : f.point(compiler, where == "icon");
        f.click(static_cast<Qt::MouseButton>(button), at);
        QCOMPARE(f.page->openMenu() != nullptr, opens);
        if (!opens)
            return;
        QMenu *menu = f.page->openMenu();
        QStringList texts;
        for (const QAction *action : menu->actions()) {
            texts.append(action->isSeparator() ? QStringLiteral("--")
                                               : action->data().toString() + QLatin1Char(' ') + action->text());
            QVERIFY2(action->isSeparator() || !action->icon().isNull(), "every choice has its icon");
        }
        QCOMPARE(texts, QStringList({ "0 This feature will be installed on the local hard drive.",
                                      "1 This feature, and all subfeatures, will be installed on the local "
                                      "hard drive.",
                                      "--", "2 This feature will not be available." }));
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        menu->close();
        QVERIFY2(QTest::qWaitFor([&f] { return f.page->openMenu() == nullptr; }), "a closed menu is thrown away");
    }

    // An empty feature sends the choice with no current entry, which must change nothing.
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
        const QStringList all = QStringList({ "Core", "Compiler", "Debugger" });

        QTest::newRow("this feature on a deep sub-feature switches its ancestors on")
            << QStringList() << QStringList({ "Core", "Compiler" }) << "Debugger" << 0 << 0 << all + hidden << all;
        QTest::newRow("feature and subfeatures below a switched-off parent")
            << QStringList() << QStringList({ "Core" }) << "Compiler" << 1 << 0 << all + hidden << all;
        QTest::newRow("not available on a typical feature asks nothing")
            << QStringList({ "Debugger" }) << QStringList() << "Compiler" << 2 << 0
            << QStringList({ "Core", "Debugger" }) + hidden << QStringList({ "Core" });
        QTest::newRow("not available on a required feature, answered No")
            << QStringList() << QStringList() << "Core" << 2 << int(InstallCheckMessageBox::No)
            << QStringList({ "Core", "Compiler" }) + hidden << QStringList({ "Core", "Compiler" });
        QTest::newRow("not available on a required feature, answered Yes")
            << QStringList() << QStringList() << "Core" << 2 << int(InstallCheckMessageBox::Yes)
            << QStringList({ "Compiler" }) + hidden << QStringList();
        QTest::newRow("no current entry") << QStringList() << QStringList() << "" << 1 << 0
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
            f.items.value(name.toUtf8())->setInstall(true, false);
        for (const QString &name : switchOff)
            f.items.value(name.toUtf8())->setInstall(false, false);
        std::unique_ptr<QuestionAnswerer> answerer;
        if (answer)
            answerer = std::make_unique<QuestionAnswerer>(answer);
        if (feature.isEmpty()) {
            f.tree()->setCurrentItem(nullptr);
            f.page->popupSelected(choice);
        } else {
            QVERIFY2(f.choose(feature, choice), "the menu offers the choice");
            QCOMPARE(f.tree()->currentItem(), f.entry(feature));
        }
        if (answerer) {
            QVERIFY2(answerer->asked(), "removing a required feature asks first");
            QCOMPARE(answerer->texts(),
                     QStringList({ "Remove Core?", "The Core component is required for the minimal installation."
                                                   "<p>Are you sure you want to remove it?" }));
        }
        QCOMPARE(f.selectedNames(), selected);
        QCOMPARE(willInstallIcons(f), icons);
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
            f.items.value(feature.toUtf8())->setInstalled(
                static_cast<InstallConfigurationItem::InstalledState>(installed), false);
            f.show();
            QVERIFY(f.exposed);
            f.click(Qt::LeftButton, f.point(f.entry(feature), false));
        }
        QCOMPARE(f.page->descriptionLabel()->text(), text);
        QCOMPARE(f.page->openMenu(), nullptr);
    }
};

QTEST_MAIN(TestCustomSetupPage)
#include "tst_customsetuppage.moc"
