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

struct ItemSpec
{
    const char *name;
    const char *parent; // null: below the root
    const char *description;
    int level;
    bool visible;
};

// A feature tree with hidden branches, empty descriptions and every level.
constexpr ItemSpec featureTree[] = {
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

// The configuration tree of one test, in Custom mode, with the application's
// mode-change hook in place.
class FeatureFixture
{
public:
    FeatureFixture() : application(&list)
    {
        QObject::connect(&application, &InstallApplication::modeChanged, &list,
                         &InstallConfigurationItem::checkWillInstall);
        application.setMode(InstallApplication::Custom);
        for (const ItemSpec &spec : featureTree) {
            InstallConfigurationItem *parent = spec.parent ? items.value(QLatin1String(spec.parent)) : &list;
            items.insert(QLatin1String(spec.name),
                         new InstallConfigurationItem(parent, QLatin1String(spec.name),
                                                      QLatin1String(spec.description), spec.level,
                                                      spec.visible));
            order.append(QLatin1String(spec.name));
        }
        list.checkWillInstall();
    }

    QStringList selectedNames() const
    {
        QStringList names;
        for (const QString &name : order)
            if (items.value(name)->isSelected())
                names.append(name);
        return names;
    }

    InstallConfigurationList list;
    PagesTestApplication application;
    QHash<QString, InstallConfigurationItem *> items;
    QStringList order;
};

CustomItem *entryFor(const InstallCustomSetupDialog &page, const QString &name)
{
    const QList<QTreeWidgetItem *> found =
        page.featureList()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, CustomItem::NameColumn);
    return found.isEmpty() ? nullptr : dynamic_cast<CustomItem *>(found.first());
}

bool showsIcon(const QTreeWidgetItem *entry, const QPixmap &expected)
{
    const QImage shown = entry->icon(CustomItem::IconColumn).pixmap(expected.size()).toImage();
    return shown.convertToFormat(QImage::Format_ARGB32) == expected.toImage().convertToFormat(QImage::Format_ARGB32);
}

void collectShape(const QTreeWidgetItem *node, int depth, QStringList &shape)
{
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        shape.append(QString(depth * 2, QLatin1Char(' ')) + child->text(CustomItem::NameColumn));
        collectShape(child, depth + 1, shape);
    }
}

void collectWillInstall(const QTreeWidgetItem *node, QStringList &names)
{
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        if (showsIcon(child, CustomSetupImages::willInstallIcon()))
            names.append(child->text(CustomItem::NameColumn));
        else if (!showsIcon(child, CustomSetupImages::notInstalledIcon()))
            names.append(QStringLiteral("NO ICON: ") + child->text(CustomItem::NameColumn));
        collectWillInstall(child, names);
    }
}

QStringList willInstallIcons(const InstallCustomSetupDialog &page)
{
    QStringList names;
    collectWillInstall(page.featureList()->invisibleRootItem(), names);
    return names;
}

QPoint iconPoint(const InstallCustomSetupDialog &page, const QTreeWidgetItem *entry)
{
    const QRect row = page.featureList()->visualItemRect(entry);
    return QPoint(row.left() + 8, row.center().y());
}

QPoint namePoint(const InstallCustomSetupDialog &page, const QTreeWidgetItem *entry)
{
    const QRect row = page.featureList()->visualItemRect(entry);
    return QPoint(page.featureList()->header()->sectionViewportPosition(CustomItem::NameColumn) + 10,
                  row.center().y());
}

void click(const InstallCustomSetupDialog &page, Qt::MouseButton button, const QPoint &at)
{
    QTest::mouseClick(page.featureList()->viewport(), button, Qt::NoModifier, at);
}

// Opens the icon menu of entry with a left click and picks the choice with id.
bool choose(const InstallCustomSetupDialog &page, QTreeWidgetItem *entry, int id)
{
    click(page, Qt::LeftButton, iconPoint(page, entry));
    QMenu *menu = page.openMenu();
    if (!menu || !QTest::qWaitFor([menu] { return menu->isVisible(); }))
        return false;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator() && action->data().toInt() == id) {
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
            return true;
        }
    }
    return false;
}

} // namespace

// The custom setup page: the feature tree it shows, the menu behind each icon, the
// selection changes the menu makes and the description of the current feature.
class TestCustomSetupPage : public QObject
{
    Q_OBJECT

private slots:
    void pageTexts()
    {
        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        QCOMPARE(page.title(), QStringLiteral("Custom Setup"));
        QCOMPARE(page.subtitle(), QStringLiteral("Select the program features that you want to install"));
        QCOMPARE(page.flags(), 0);
        QCOMPARE(page.nextLabel(), QStringLiteral("&Next>"));
        QCOMPARE(page.findChildren<QLabel *>().first()->text(),
                 QStringLiteral("Click on an icon in the list below to change how a feature is installed."));
        QVERIFY2(page.featureList()->isHeaderHidden(), "the list has no header");
        QCOMPARE(page.featureList()->columnCount(), 2);
    }

    // Hidden items and everything below them never reach the builder.
    void treeShowsVisibleFeaturesInOrder()
    {
        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        QStringList shape;
        collectShape(page.featureList()->invisibleRootItem(), 0, shape);
        QCOMPARE(shape, QStringList({ "Core", "  Compiler", "    Debugger", "Examples", "Extras",
                                      "Board Files", "Odd Level" }));
        for (int i = 0; i < page.featureList()->topLevelItemCount(); ++i) {
            auto *entry = dynamic_cast<CustomItem *>(page.featureList()->topLevelItem(i));
            QVERIFY2(entry, "every entry is a feature entry");
            QCOMPARE(entry->item(), fixture.items.value(entry->text(CustomItem::NameColumn)));
        }
    }

    void iconsShowWhatWillBeInstalled()
    {
        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        QCOMPARE(willInstallIcons(page), QStringList({ "Core", "Compiler" }));

        // Changes made elsewhere (here: the mode) reach the icons through the items.
        fixture.application.setMode(InstallApplication::Remove);
        QCOMPARE(willInstallIcons(page), QStringList());
        fixture.application.setMode(InstallApplication::Custom);
        fixture.items.value(QStringLiteral("Debugger"))->setInstall(true, false);
        QCOMPARE(willInstallIcons(page), QStringList({ "Core", "Compiler", "Debugger" }));
    }

    void whichClicksOpenTheMenu_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");

        QTest::newRow("left click on the icon") << "icon" << int(Qt::LeftButton) << true;
        QTest::newRow("right click on the icon") << "icon" << int(Qt::RightButton) << false;
        QTest::newRow("middle click on the icon") << "icon" << int(Qt::MiddleButton) << false;
        QTest::newRow("left click on the name") << "name" << int(Qt::LeftButton) << false;
        QTest::newRow("right click on the name") << "name" << int(Qt::RightButton) << false;
        QTest::newRow("left click on the branch handle") << "branch" << int(Qt::LeftButton) << false;
        QTest::newRow("left click below the last entry") << "empty" << int(Qt::LeftButton) << false;
    }

    void whichClicksOpenTheMenu()
    {
        QFETCH(QString, where);
        QFETCH(int, button);
        QFETCH(bool, opens);

        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        page.resize(500, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTreeWidgetItem *compiler = entryFor(page, QStringLiteral("Compiler"));
        QPoint at;
        if (where == QLatin1String("icon"))
            at = iconPoint(page, compiler);
        else if (where == QLatin1String("name"))
            at = namePoint(page, compiler);
        else if (where == QLatin1String("branch"))
            at = QPoint(page.featureList()->visualItemRect(compiler).left() - 6,
                        page.featureList()->visualItemRect(compiler).center().y());
        else
            at = QPoint(20, page.featureList()->viewport()->height() - 5);
        click(page, static_cast<Qt::MouseButton>(button), at);
        QCOMPARE(page.openMenu() != nullptr, opens);
        if (opens) {
            QMenu *menu = page.openMenu();
            QStringList texts;
            QList<int> ids;
            for (const QAction *action : menu->actions()) {
                texts.append(action->isSeparator() ? QStringLiteral("--") : action->text());
                ids.append(action->isSeparator() ? -1 : action->data().toInt());
                if (!action->isSeparator())
                    QVERIFY2(!action->icon().isNull(), "every choice has its icon");
            }
            QCOMPARE(texts, QStringList({ "This feature will be installed on the local hard drive.",
                                          "This feature, and all subfeatures, will be installed on the local "
                                          "hard drive.",
                                          "--", "This feature will not be available." }));
            QCOMPARE(ids, QList<int>({ 0, 1, -1, 2 }));
            QVERIFY2(QTest::qWaitFor([menu] { return menu->isVisible(); }), "the menu pops up");
            menu->close();
            QVERIFY2(QTest::qWaitFor([&page] { return page.openMenu() == nullptr; }),
                     "a closed menu is thrown away");
        }
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

        const int noQuestion = 0;
        const int yes = InstallCheckMessageBox::Yes;
        const int no = InstallCheckMessageBox::No;

        QTest::newRow("this feature on a deep sub-feature switches its ancestors on")
            << QStringList() << QStringList({ "Core", "Compiler" }) << "Debugger" << 0 << noQuestion
            << QStringList({ "Core", "Compiler", "Debugger", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler", "Debugger" });
        QTest::newRow("this feature on a top-level feature")
            << QStringList() << QStringList() << "Examples" << 0 << noQuestion
            << QStringList({ "Core", "Compiler", "Hidden Tools", "Hidden Child", "Examples" })
            << QStringList({ "Core", "Compiler", "Examples" });
        QTest::newRow("feature and subfeatures reaches every level below")
            << QStringList() << QStringList() << "Core" << 1 << noQuestion
            << QStringList({ "Core", "Compiler", "Debugger", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler", "Debugger" });
        QTest::newRow("feature and subfeatures below a switched-off parent")
            << QStringList() << QStringList({ "Core" }) << "Compiler" << 1 << noQuestion
            << QStringList({ "Core", "Compiler", "Debugger", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler", "Debugger" });
        QTest::newRow("not available on a typical feature asks nothing")
            << QStringList({ "Debugger" }) << QStringList() << "Compiler" << 2 << noQuestion
            << QStringList({ "Core", "Debugger", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core" });
        QTest::newRow("not available on an optional feature asks nothing")
            << QStringList({ "Extras" }) << QStringList() << "Extras" << 2 << noQuestion
            << QStringList({ "Core", "Compiler", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler" });
        QTest::newRow("not available on a required feature, answered No")
            << QStringList() << QStringList() << "Core" << 2 << no
            << QStringList({ "Core", "Compiler", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler" });
        QTest::newRow("not available on a required feature, answered Yes")
            << QStringList() << QStringList() << "Core" << 2 << yes
            << QStringList({ "Compiler", "Hidden Tools", "Hidden Child" }) << QStringList();
        QTest::newRow("this feature again changes nothing")
            << QStringList() << QStringList() << "Compiler" << 0 << noQuestion
            << QStringList({ "Core", "Compiler", "Hidden Tools", "Hidden Child" })
            << QStringList({ "Core", "Compiler" });
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

        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        page.resize(500, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        for (const QString &name : switchOn)
            fixture.items.value(name)->setInstall(true, false);
        for (const QString &name : switchOff)
            fixture.items.value(name)->setInstall(false, false);

        std::unique_ptr<QuestionAnswerer> answerer;
        if (answer)
            answerer = std::make_unique<QuestionAnswerer>(answer);
        QVERIFY2(choose(page, entryFor(page, feature), choice), "the menu offers the choice");
        if (answerer)
            QVERIFY2(answerer->asked(), "removing a required feature asks first");
        QCOMPARE(fixture.selectedNames(), selected);
        QCOMPARE(willInstallIcons(page), icons);
        QCOMPARE(page.featureList()->currentItem(), entryFor(page, feature));
    }

    void removingARequiredFeatureAsks()
    {
        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        page.resize(500, 400);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QuestionAnswerer answerer(InstallCheckMessageBox::No);
        QVERIFY2(choose(page, entryFor(page, QStringLiteral("Core")), 2), "the menu offers the choice");
        QVERIFY2(answerer.asked(), "the question comes up");
        QCOMPARE(answerer.texts(),
                 QStringList({ "Remove Core?", "The Core component is required for the minimal installation."
                                               "<p>Are you sure you want to remove it?" }));
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
        FeatureFixture fixture;
        InstallCustomSetupDialog page(&fixture.application);
        page.featureList()->setCurrentItem(nullptr);
        const QStringList before = fixture.selectedNames();
        page.popupSelected(choice);
        QCOMPARE(fixture.selectedNames(), before);
        QCOMPARE(willInstallIcons(page), QStringList({ "Core", "Compiler" }));
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

        FeatureFixture fixture;
        if (!feature.isEmpty())
            fixture.items.value(feature)->setInstalled(
                static_cast<InstallConfigurationItem::InstalledState>(installed), false);
        InstallCustomSetupDialog page(&fixture.application);
        if (!feature.isEmpty()) {
            page.resize(500, 400);
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            click(page, Qt::LeftButton, namePoint(page, entryFor(page, feature)));
        }
        QCOMPARE(page.descriptionLabel()->text(), text);
        QCOMPARE(page.openMenu(), nullptr);
    }

};

QTEST_MAIN(TestCustomSetupPage)
#include "tst_customsetuppage.moc"
