// The configuration tree: which items are due in each mode, how a selection spreads,
// the order of the install, removal and check walks with their announcements, and
// what a failing item does to the run.

#include "common/PagesTestSupport.h"
#include "common/QuestionScript.h"
#include "common/RecordingItem.h"

#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationItemBuilder.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallCheckMessageBox.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Mode = InstallApplication::Mode;
using State = InstallConfigurationItem::InstalledState;

// Item kinds with their own run-time class, as the real item kinds have.
class SampleFilesItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    using InstallConfigurationItem::InstallConfigurationItem;
};

class SampleSpecialFilesItem : public SampleFilesItem
{
    Q_OBJECT
public:
    using SampleFilesItem::SampleFilesItem;
};

namespace {

// Records the node tree a builder was asked for as "parent>child" pairs.
class PairBuilder : public InstallConfigurationItemBuilder
{
public:
    void *buildItem(void *parentNode, InstallConfigurationItem *item) override
    {
        const auto *parent = static_cast<const QString *>(parentNode);
        pairs.append((parent ? *parent : QStringLiteral("-")) + QLatin1Char('>') + item->name());
        nodes.push_back(std::make_unique<QString>(item->name()));
        return nodes.back().get();
    }
    QStringList pairs;
    std::vector<std::unique_ptr<QString>> nodes;
};

// The tree most walks use:  root ( A ( A1, A2 ), B ), all required for a minimal
// installation.
struct WalkTree
{
    QStringList journal;
    InstallConfigurationList root;
    RecordingItem *a = new RecordingItem(&root, QStringLiteral("A"), 0, &journal);
    RecordingItem *a1 = new RecordingItem(a, QStringLiteral("A1"), 0, &journal);
    RecordingItem *a2 = new RecordingItem(a, QStringLiteral("A2"), 0, &journal);
    RecordingItem *b = new RecordingItem(&root, QStringLiteral("B"), 0, &journal);
    RunSignalJournal runSignals{&root, &journal};

    RecordingItem *item(const QString &name) const
    {
        for (RecordingItem *candidate : {a, a1, a2, b})
            if (candidate->name() == name)
                return candidate;
        return nullptr;
    }
    QString states() const
    {
        QString text;
        for (const RecordingItem *item : {a, a1, a2, b})
            text += QString::number(item->installed());
        return text;
    }
};

QString flags(const QList<bool> &values)
{
    QString text;
    for (const bool value : values)
        text += value ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

} // namespace

class TestConfigurationItem : public QObject
{
    Q_OBJECT

private slots:
    void constructionDefaults_data();
    void constructionDefaults();
    void willInstallByModeAndLevel_data();
    void willInstallByModeAndLevel();
    void willInstallOutsideTheModes_data();
    void willInstallOutsideTheModes();
    void setInstallPropagation_data();
    void setInstallPropagation();
    void willInstallChangedOncePerChange_data();
    void willInstallChangedOncePerChange();
    void installWalk_data();
    void installWalk();
    void installFailureQuestion();
    void uninstallWalk_data();
    void uninstallWalk();
    void removalFailureQuestion();
    void checkWalk_data();
    void checkWalk();
    void countsAndSizes_data();
    void countsAndSizes();
    void hasTypicalOrFullItems_data();
    void hasTypicalOrFullItems();
    void collectItemsByClass_data();
    void collectItemsByClass();
    void buildTreeLeavesOutHiddenItems();
    void progressHelpers_data();
    void progressHelpers();
    void deletedChildLeavesItsParent();
};

void TestConfigurationItem::constructionDefaults_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("selected");
    QTest::newRow("level 0 starts selected") << 0 << true;
    QTest::newRow("level 1 starts selected") << 1 << true;
    QTest::newRow("level 2 starts unselected") << 2 << false;
    QTest::newRow("level 3 starts unselected") << 3 << false;
    QTest::newRow("level 4 starts unselected") << 4 << false;
}

void TestConfigurationItem::constructionDefaults()
{
    QFETCH(int, level);
    QFETCH(bool, selected);
    setVariable(QStringLiteral("ItemTestWord"), QStringLiteral("Widgets"));
    InstallConfigurationList root;
    InstallConfigurationItem item(&root, QStringLiteral("$(ItemTestWord) files"),
                                  QStringLiteral("All $(ItemTestWord)"), level, true);
    QCOMPARE(item.isSelected(), selected);
    QCOMPARE(item.name(), QStringLiteral("Widgets files"));
    QCOMPARE(item.description(), QStringLiteral("All Widgets"));
    QCOMPARE(item.installed(), InstallConfigurationItem::notInstalled);
    QVERIFY2(item.isUninstallable(), "a new item may be removed");
    QCOMPARE(item.parentItem(), &root);
    QCOMPARE(item.rootItem(), &root);
    QCOMPARE(root.children(), QList<InstallConfigurationItem *>{&item});
    QCOMPARE(root.name(), QStringLiteral("Install Configuration List"));
    QCOMPARE(QString::fromLatin1(root.metaObject()->className()),
             QStringLiteral("InstallConfigurationList"));
}

// Expected answers per level 0..4 (one character each), for items without a parent,
// written out by hand for every mode.
void TestConfigurationItem::willInstallByModeAndLevel_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("installWhenSelected");
    QTest::addColumn<QString>("uninstallWhenSelected");
    QTest::addColumn<QString>("uninstallWhenUnselected");

    QTest::newRow("Minimal installs level 0 and the optional levels")
        << int(InstallApplication::Minimal) << "10011" << "01100" << "11111";
    QTest::newRow("Typical installs up to level 1 and the optional levels")
        << int(InstallApplication::Typical) << "11011" << "00100" << "11111";
    QTest::newRow("Full installs every selected level")
        << int(InstallApplication::Full) << "11111" << "00000" << "11111";
    QTest::newRow("Custom follows the selection")
        << int(InstallApplication::Custom) << "11111" << "00000" << "11111";
    QTest::newRow("Modify follows the selection")
        << int(InstallApplication::Modify) << "11111" << "00000" << "11111";
    QTest::newRow("Repair removes everything removable")
        << int(InstallApplication::Repair) << "11111" << "11111" << "11111";
    QTest::newRow("Remove keeps only selected optional items")
        << int(InstallApplication::Remove) << "00011" << "11100" << "11111";
    QTest::newRow("Upgrade removes everything removable")
        << int(InstallApplication::Upgrade) << "11111" << "11111" << "11111";
}

void TestConfigurationItem::willInstallByModeAndLevel()
{
    QFETCH(int, mode);
    QFETCH(QString, installWhenSelected);
    QFETCH(QString, uninstallWhenSelected);
    QFETCH(QString, uninstallWhenUnselected);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    application.setMode(Mode(mode));
    std::vector<std::unique_ptr<InstallConfigurationItem>> items;
    for (int level = 0; level <= 4; ++level)
        items.push_back(std::make_unique<InstallConfigurationItem>(nullptr, QString::number(level),
                                                                   QString(), level, true));

    QList<bool> install, uninstall, installUnselected, uninstallUnselected;
    for (const auto &item : items) {
        item->setInstall(true);
        install.append(item->willInstall());
        uninstall.append(item->willUninstall());
        item->setInstall(false);
        installUnselected.append(item->willInstall());
        uninstallUnselected.append(item->willUninstall());
    }
    QCOMPARE(flags(install), installWhenSelected);
    QCOMPARE(flags(uninstall), uninstallWhenSelected);
    QCOMPARE(flags(installUnselected), QStringLiteral("00000"));
    QCOMPARE(flags(uninstallUnselected), uninstallWhenUnselected);

    // An item that must never be removed says so in every mode.
    for (const auto &item : items) {
        item->setUninstall(false);
        QVERIFY2(!item->willUninstall(), qPrintable(item->name() + " kept its removal"));
    }
}

// Conditions that override mode and selection: per level 0..4, selected items.
void TestConfigurationItem::willInstallOutsideTheModes_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no application: only optional items follow their selection")
        << "no application" << "00011";
    QTest::newRow("a mode beyond Upgrade: only optional items")
        << "mode 8" << "00011";
    QTest::newRow("an unselected parent blocks every level")
        << "parent unselected" << "00000";
    QTest::newRow("a parent that is not due in Remove blocks optional children too")
        << "parent in Remove" << "00000";
    QTest::newRow("a selected optional parent passes its children on in Remove")
        << "optional parent in Remove" << "00011";
    QTest::newRow("an item for another platform is never installed")
        << "other platform" << "00000";
}

void TestConfigurationItem::willInstallOutsideTheModes()
{
    QFETCH(QString, condition);
    QFETCH(QString, expected);

    InstallConfigurationList root;
    std::unique_ptr<PagesTestApplication> application;
    if (condition != QLatin1String("no application")) {
        application = std::make_unique<PagesTestApplication>(&root);
        int mode = InstallApplication::Full;
        if (condition == QLatin1String("mode 8"))
            mode = 8;
        else if (condition.endsWith(QLatin1String("in Remove")))
            mode = InstallApplication::Remove;
        application->setMode(Mode(mode));
    }
    InstallConfigurationItem *group = nullptr;
    if (condition.startsWith(QLatin1String("parent")) || condition.startsWith(QLatin1String("optional"))) {
        group = new InstallConfigurationItem(condition.startsWith(QLatin1String("optional")) ? nullptr : &root,
                                             QStringLiteral("group"), QString(),
                                             condition.startsWith(QLatin1String("optional")) ? 3 : 0, true);
        group->setInstall(condition != QLatin1String("parent unselected"));
    }
    std::unique_ptr<InstallConfigurationItem> ownedGroup(group && !group->parentItem() ? group : nullptr);
    const quint64 platforms = condition == QLatin1String("other platform")
        ? InstallConfigurationItem::allPlatforms & ~InstallConfigurationItem::thisPlatform
        : InstallConfigurationItem::allPlatforms;
    QList<bool> answers;
    std::vector<std::unique_ptr<InstallConfigurationItem>> standalone;
    for (int level = 0; level <= 4; ++level) {
        auto *item = new InstallConfigurationItem(group, QString::number(level), QString(), level,
                                                  true, platforms);
        if (!group)
            standalone.emplace_back(item);
        item->setInstall(true);
        answers.append(item->willInstall());
        if (condition == QLatin1String("other platform"))
            QVERIFY2(!item->isVisible(), "an item of another platform is never shown");
    }
    QCOMPARE(flags(answers), expected);
}

// Tree:  G(3, off) ( a0(0) ( b0(0), b2(2) ), a1(1) ( c0(0) ), a2(2), a3(3), a4(4) )
// Before the steps, a0, b0 and c0 are switched off; a1 stays on.
void TestConfigurationItem::setInstallPropagation_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("selecting an off group turns on required children through those that were off")
        << QStringList{"G on"} << QStringList{"G", "a0", "b0", "a1"};
    QTest::newRow("selecting an already selected group passes nothing down")
        << QStringList{"a1 on"} << QStringList{"a1"};
    QTest::newRow("selecting recursively turns on every level")
        << QStringList{"G on all"}
        << QStringList{"G", "a0", "b0", "b2", "a1", "c0", "a2", "a3", "a4"};
    QTest::newRow("deselecting a group leaves the children's choices")
        << QStringList{"G on", "G off"} << QStringList{"a0", "b0", "a1"};
    QTest::newRow("deselecting recursively clears the whole subtree")
        << QStringList{"G on all", "G off all"} << QStringList{};
    QTest::newRow("a recursive call still descends when the group is unchanged")
        << QStringList{"a0 on", "G off all"} << QStringList{};
}

void TestConfigurationItem::setInstallPropagation()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, selected);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    application.setMode(InstallApplication::Custom);
    QMap<QString, InstallConfigurationItem *> byName;
    QStringList order;
    auto add = [&](InstallConfigurationItem *parent, const QString &name, int level) {
        auto *item = new InstallConfigurationItem(parent, name, QString(), level, true);
        byName.insert(name, item);
        order.append(name);
        return item;
    };
    auto *g = add(&root, "G", 3);
    auto *a0 = add(g, "a0", 0);
    add(a0, "b0", 0);
    add(a0, "b2", 2);
    auto *a1 = add(g, "a1", 1);
    add(a1, "c0", 0);
    add(g, "a2", 2);
    add(g, "a3", 3);
    add(g, "a4", 4);
    for (const char *name : {"a0", "b0", "c0"})
        byName.value(name)->setInstall(false);

    for (const QString &step : std::as_const(steps)) {
        const QStringList words = step.split(u' ');
        byName.value(words.at(0))->setInstall(words.at(1) == QLatin1String("on"),
                                              words.value(2) == QLatin1String("all"));
    }
    QStringList actual;
    for (const QString &name : std::as_const(order))
        if (byName.value(name)->isSelected())
            actual.append(name);
    QCOMPARE(actual, selected);
}

// Tree under a Custom-mode root:  G(0) ( x(0), y(2, off) ), H(3, off)
void TestConfigurationItem::willInstallChangedOncePerChange_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("announced");

    QTest::newRow("a second check announces nothing")
        << QStringList{"check"} << QStringList{};
    QTest::newRow("deselecting a group announces each affected item once")
        << QStringList{"G off"} << QStringList{"G=0", "x=0"};
    QTest::newRow("deselecting and reselecting announces both changes")
        << QStringList{"G off", "G on"} << QStringList{"G=0", "G=1", "x=0", "x=1"};
    QTest::newRow("selecting a selected item announces nothing")
        << QStringList{"x on"} << QStringList{};
    QTest::newRow("selecting an optional item announces it alone")
        << QStringList{"H on"} << QStringList{"H=1"};
    QTest::newRow("a mode change is not looked into below a root whose answer stays")
        << QStringList{"y on", "mode Typical"} << QStringList{"y=1"};
    QTest::newRow("setting the same mode again announces nothing")
        << QStringList{"mode Custom"} << QStringList{};
    QTest::newRow("Remove mode takes away every required item")
        << QStringList{"mode Remove"}
        << QStringList{"G=0", "Install Configuration List=0", "x=0"};
}

void TestConfigurationItem::willInstallChangedOncePerChange()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, announced);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    QMap<QString, InstallConfigurationItem *> byName;
    auto *g = new InstallConfigurationItem(&root, "G", QString(), 0, true);
    byName.insert("G", g);
    byName.insert("x", new InstallConfigurationItem(g, "x", QString(), 0, true));
    byName.insert("y", new InstallConfigurationItem(g, "y", QString(), 2, true));
    byName.insert("H", new InstallConfigurationItem(&root, "H", QString(), 3, true));

    QStringList journal;
    SelectionJournal selection(&root, &journal);
    // The first mode change announces every item, since none has announced anything yet.
    application.setMode(InstallApplication::Custom);
    journal.sort();
    QCOMPARE(journal, (QStringList{"G=1", "H=0", "Install Configuration List=1", "x=1", "y=0"}));
    journal.clear();

    for (const QString &step : std::as_const(steps)) {
        const QStringList words = step.split(u' ');
        if (words.at(0) == QLatin1String("check"))
            root.checkWillInstall();
        else if (words.at(0) == QLatin1String("mode"))
            application.setMode(words.at(1) == QLatin1String("Typical") ? InstallApplication::Typical
                                : words.at(1) == QLatin1String("Remove") ? InstallApplication::Remove
                                                                          : InstallApplication::Custom);
        else
            byName.value(words.at(0))->setInstall(words.at(1) == QLatin1String("on"));
    }
    journal.sort();
    QCOMPARE(journal, announced);
}

void TestConfigurationItem::installWalk_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("states");
    QTest::addColumn<bool>("cancelled");

    QTest::newRow("every item installs in tree order between its announcements")
        << QString() << 0 << QString()
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting A", "install A", "finished A", "starting A1", "install A1",
                       "finished A1", "starting A2", "install A2", "finished A2", "starting B",
                       "install B", "finished B"}
        << "2222" << false;
    QTest::newRow("a failure answered No lets the siblings install")
        << "A1" << int(InstallCheckMessageBox::No) << QString()
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting A", "install A", "finished A", "starting A1", "install A1",
                       "finished A1", "starting A2", "install A2", "finished A2", "starting B",
                       "install B", "finished B"}
        << "2022" << false;
    QTest::newRow("a failure answered Yes ends the run without finishing the item")
        << "A1" << int(InstallCheckMessageBox::Yes) << QString()
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting A", "install A", "finished A", "starting A1", "install A1"}
        << "2000" << true;
    QTest::newRow("an installed item is not installed again but its children are")
        << QString() << 0 << "A installed"
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting A1", "install A1", "finished A1", "starting A2", "install A2",
                       "finished A2", "starting B", "install B", "finished B"}
        << "2222" << false;
    QTest::newRow("an unselected item leaves out its whole subtree")
        << QString() << 0 << "A unselected"
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting B", "install B", "finished B"}
        << "0002" << false;
    QTest::newRow("a partly installed item is installed again")
        << QString() << 0 << "B partial"
        << QStringList{"starting Install Configuration List", "finished Install Configuration List",
                       "starting A", "install A", "finished A", "starting A1", "install A1",
                       "finished A1", "starting A2", "install A2", "finished A2", "starting B",
                       "install B", "finished B"}
        << "2222" << false;
}

void TestConfigurationItem::installWalk()
{
    QFETCH(QString, failing);
    QFETCH(int, answer);
    QFETCH(QString, preset);
    QFETCH(QStringList, expected);
    QFETCH(QString, states);
    QFETCH(bool, cancelled);

    WalkTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(InstallApplication::Minimal);
    if (!failing.isEmpty())
        tree.item(failing)->failInstallWith(QStringLiteral("Disk full"));
    if (preset == QLatin1String("A installed"))
        tree.a->setInstalled(InstallConfigurationItem::fullyInstalled);
    else if (preset == QLatin1String("A unselected"))
        tree.a->setInstall(false);
    else if (preset == QLatin1String("B partial"))
        tree.b->setInstalled(InstallConfigurationItem::partiallyInstalled);

    QuestionScript script(answer ? QList<int>{answer} : QList<int>{});
    bool ok = false;
    bool threwCancel = false;
    try {
        ok = tree.root.install();
    } catch (const InstallUserCancelException &) {
        threwCancel = true;
    }
    QCOMPARE(threwCancel, cancelled);
    QVERIFY2(cancelled || ok, "a walk that was not cancelled succeeds");
    QCOMPARE(tree.journal, expected);
    QCOMPARE(tree.states(), states);
    QCOMPARE(script.questions().size(), failing.isEmpty() ? 0 : 1);
}

void TestConfigurationItem::installFailureQuestion()
{
    setVariable(QStringLiteral("ItemTestDisk"), QStringLiteral("/dev/sdz"));
    WalkTree tree;
    PagesTestApplication application(&tree.root);
    tree.a2->failInstallWith(QStringLiteral("No space left on $(ItemTestDisk)"));
    QuestionScript script({InstallCheckMessageBox::No});
    QVERIFY(tree.root.install());

    QCOMPARE(script.questions().size(), 1);
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, QStringLiteral("A2 Installation Failed"));
    QCOMPARE(question.message,
             QStringLiteral("<p>The installation of the A2 component has failed.</p>"
                            "<p>No space left on /dev/sdz.</p>"
                            "<p>Do you want to terminate the installation?</p>"
                            "<p>Click Yes to terminate installation or No to continue.</p>"));
    QCOMPARE(question.buttons, InstallCheckMessageBox::Yes | InstallCheckMessageBox::No);
    QCOMPARE(question.defaultButton, int(InstallCheckMessageBox::Yes));
}

void TestConfigurationItem::uninstallWalk_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("states");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("cancelled");

    const QStringList everything{
        "starting B", "uninstall B", "finished B",
        "starting A2", "uninstall A2", "finished A2",
        "starting A1", "uninstall A1", "finished A1",
        "starting A", "uninstall A", "finished A",
        "starting Install Configuration List", "finished Install Configuration List"};

    QTest::newRow("removal takes children last to first before their parent")
        << int(InstallApplication::Remove) << QString() << 0 << everything << "0000" << 0 << false;
    QTest::newRow("a removal error is dropped silently in Repair")
        << int(InstallApplication::Repair) << "A1" << 0 << everything << "0200" << 0 << false;
    QTest::newRow("a removal error answered No continues with the parent")
        << int(InstallApplication::Remove) << "A1" << int(InstallCheckMessageBox::No) << everything
        << "0200" << 1 << false;
    QTest::newRow("a removal error answered Yes ends the run")
        << int(InstallApplication::Remove) << "A1" << int(InstallCheckMessageBox::Yes)
        << QStringList{"starting B", "uninstall B", "finished B", "starting A2", "uninstall A2",
                       "finished A2", "starting A1", "uninstall A1"}
        << "2200" << 1 << true;
    QTest::newRow("items still wanted in Modify are kept")
        << int(InstallApplication::Modify) << QString() << 0 << QStringList{} << "2222" << 0 << false;
}

void TestConfigurationItem::uninstallWalk()
{
    QFETCH(int, mode);
    QFETCH(QString, failing);
    QFETCH(int, answer);
    QFETCH(QStringList, expected);
    QFETCH(QString, states);
    QFETCH(int, questions);
    QFETCH(bool, cancelled);

    WalkTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(Mode(mode));
    tree.root.setInstalled(InstallConfigurationItem::fullyInstalled, true);
    if (!failing.isEmpty())
        tree.item(failing)->failUninstallWith(QStringLiteral("File is busy"));

    QuestionScript script(answer ? QList<int>{answer} : QList<int>{});
    bool threwCancel = false;
    try {
        QVERIFY2(tree.root.uninstall(), "removal reports success");
    } catch (const InstallUserCancelException &) {
        threwCancel = true;
    }
    QCOMPARE(threwCancel, cancelled);
    QCOMPARE(tree.journal, expected);
    QCOMPARE(tree.states(), states);
    QCOMPARE(script.questions().size(), questions);
}

void TestConfigurationItem::removalFailureQuestion()
{
    WalkTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(InstallApplication::Remove);
    tree.b->setInstalled(InstallConfigurationItem::partiallyInstalled);
    tree.b->failUninstallWith(QStringLiteral("Cannot remove folder /opt/b"));
    QuestionScript script({InstallCheckMessageBox::No});
    QVERIFY(tree.root.uninstall());

    QCOMPARE(script.questions().size(), 1);
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, QStringLiteral("B Removal Failed"));
    QCOMPARE(question.message,
             QStringLiteral("The removal of the B component has failed.<p>Cannot remove folder "
                            "/opt/b.<p>Do you want to terminate the installation? Click Yes to "
                            "terminate installation or No to continue."));
    QCOMPARE(question.buttons, InstallCheckMessageBox::Yes | InstallCheckMessageBox::No);
    QCOMPARE(question.defaultButton, int(InstallCheckMessageBox::Yes));
    QCOMPARE(tree.b->installed(), InstallConfigurationItem::partiallyInstalled);
}

// The check walk visits children last to first, announcing the parent around each,
// and selects whatever it finds present.
void TestConfigurationItem::checkWalk_data()
{
    QTest::addColumn<QString>("found");      // states found for A, A1, A2, B
    QTest::addColumn<QString>("unselected"); // items switched off before the check
    QTest::addColumn<QString>("selected");   // A, A1, A2, B afterwards

    QTest::newRow("nothing present changes no selection") << "0000" << "" << "1111";
    QTest::newRow("a present unselected item becomes selected") << "0002" << "B" << "1111";
    QTest::newRow("a partly present item becomes selected") << "0100" << "A1" << "1111";
    QTest::newRow("an absent unselected item stays unselected") << "2000" << "A2" << "1101";
}

void TestConfigurationItem::checkWalk()
{
    QFETCH(QString, found);
    QFETCH(QString, unselected);
    QFETCH(QString, selected);

    WalkTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(InstallApplication::Modify);
    const QList<RecordingItem *> items{tree.a, tree.a1, tree.a2, tree.b};
    for (int index = 0; index < items.size(); ++index)
        items.at(index)->setFoundState(State(found.mid(index, 1).toInt()));
    if (!unselected.isEmpty())
        tree.item(unselected)->setInstall(false);

    QVERIFY(tree.root.checkInstalled());
    QCOMPARE(tree.journal,
             (QStringList{"starting Install Configuration List", "check B",
                          "finished Install Configuration List",
                          "starting Install Configuration List", "starting A", "check A2",
                          "finished A", "starting A", "check A1", "finished A", "check A",
                          "finished Install Configuration List"}));
    QList<bool> selection;
    for (const RecordingItem *item : items)
        selection.append(item->isSelected());
    QCOMPARE(flags(selection), selected);
    QCOMPARE(tree.states(), found);
}

// Tree:  root ( a(0) ( b(2), c(3) ), d(4) ) with given states, in mode Typical.
void TestConfigurationItem::countsAndSizes_data()
{
    QTest::addColumn<QString>("states"); // root, a, b, c, d
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("willInstall");
    QTest::addColumn<int>("count");

    QTest::newRow("fresh tree: due items not installed") << "00000" << 0 << true << 2;
    QTest::newRow("fresh tree: items not due and not installed") << "00000" << 0 << false << 3;
    QTest::newRow("installed items that are due") << "22020" << 2 << true << 2;
    QTest::newRow("partly installed items that are not due") << "00111" << 1 << false << 3;
    QTest::newRow("no item in a state nobody has") << "00000" << 2 << true << 0;
}

void TestConfigurationItem::countsAndSizes()
{
    QFETCH(QString, states);
    QFETCH(int, state);
    QFETCH(bool, willInstall);
    QFETCH(int, count);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    auto *a = new InstallConfigurationItem(&root, "a", QString(), 0, true);
    auto *b = new InstallConfigurationItem(a, "b", QString(), 2, true);
    auto *c = new InstallConfigurationItem(a, "c", QString(), 3, true);
    auto *d = new InstallConfigurationItem(&root, "d", QString(), 4, true);
    b->setInstall(true);
    const QList<InstallConfigurationItem *> items{&root, a, b, c, d};
    for (int index = 0; index < items.size(); ++index)
        items.at(index)->setInstalled(State(states.mid(index, 1).toInt()));

    QCOMPARE(root.countItems(State(state), willInstall), count);
    QCOMPARE(root.subtreeSize(), 5);
    QCOMPARE(a->subtreeSize(), 3);
    QCOMPARE(d->subtreeSize(), 1);
}

void TestConfigurationItem::hasTypicalOrFullItems_data()
{
    QTest::addColumn<QList<int>>("childLevels");
    QTest::addColumn<QList<int>>("grandchildLevels");
    QTest::addColumn<bool>("expected");

    QTest::newRow("only minimal and optional items") << QList<int>{0, 3, 4} << QList<int>{0} << false;
    QTest::newRow("a typical child") << QList<int>{0, 1} << QList<int>{} << true;
    QTest::newRow("a full item deep in the tree") << QList<int>{0} << QList<int>{3, 2} << true;
    QTest::newRow("an empty list") << QList<int>{} << QList<int>{} << false;
}

void TestConfigurationItem::hasTypicalOrFullItems()
{
    QFETCH(QList<int>, childLevels);
    QFETCH(QList<int>, grandchildLevels);
    QFETCH(bool, expected);

    InstallConfigurationList root;
    InstallConfigurationItem *last = nullptr;
    for (const int level : childLevels)
        last = new InstallConfigurationItem(&root, "child", QString(), level, true);
    for (const int level : grandchildLevels)
        new InstallConfigurationItem(last, "grandchild", QString(), level, true);
    QCOMPARE(root.hasTypicalOrFullItems(), expected);
}

void TestConfigurationItem::collectItemsByClass_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("the base class finds every item, the root first")
        << "InstallConfigurationItem" << QStringList{"Install Configuration List", "group", "files",
                                                     "special", "plain", "more files"};
    QTest::newRow("a class finds its derived classes too")
        << "SampleFilesItem" << QStringList{"files", "special", "more files"};
    QTest::newRow("the most derived class finds only itself")
        << "SampleSpecialFilesItem" << QStringList{"special"};
    QTest::newRow("the list class finds the root")
        << "InstallConfigurationList" << QStringList{"Install Configuration List"};
    QTest::newRow("Qt's base class counts as well")
        << "QObject" << QStringList{"Install Configuration List", "group", "files", "special",
                                    "plain", "more files"};
    QTest::newRow("an unknown class finds nothing") << "InstallFooConfigurationItem" << QStringList{};
}

void TestConfigurationItem::collectItemsByClass()
{
    QFETCH(QString, className);
    QFETCH(QStringList, names);

    InstallConfigurationList root;
    auto *group = new InstallConfigurationItem(&root, "group", QString(), 0, true);
    auto *files = new SampleFilesItem(group, "files", QString(), 0, true);
    new SampleSpecialFilesItem(files, "special", QString(), 0, true);
    new InstallConfigurationItem(group, "plain", QString(), 0, true);
    new SampleFilesItem(&root, "more files", QString(), 3, false);

    QList<InstallConfigurationItem *> list;
    root.collectItems(className, list);
    QStringList actual;
    for (const InstallConfigurationItem *item : std::as_const(list))
        actual.append(item->name());
    QCOMPARE(actual, names);
}

void TestConfigurationItem::buildTreeLeavesOutHiddenItems()
{
    InstallConfigurationList root;
    auto *tools = new InstallConfigurationItem(&root, "tools", QString(), 0, true);
    new InstallConfigurationItem(tools, "compiler", QString(), 0, true);
    auto *hidden = new InstallConfigurationItem(tools, "hidden", QString(), 0, false);
    new InstallConfigurationItem(hidden, "under hidden", QString(), 0, true);
    new InstallConfigurationItem(&root, "elsewhere", QString(), 0, true,
                                 InstallConfigurationItem::thisPlatform << 1);
    new InstallConfigurationItem(&root, "docs", QString(), 2, true);

    PairBuilder builder;
    root.buildTree(builder, nullptr, false);
    QCOMPARE(builder.pairs, (QStringList{"->tools", "tools>compiler", "->docs"}));

    PairBuilder withRoot;
    tools->buildTree(withRoot, nullptr, true);
    QCOMPARE(withRoot.pairs, (QStringList{"->tools", "tools>compiler"}));
}

void TestConfigurationItem::progressHelpers_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("announcedSteps");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<int>("kib");

    QTest::newRow("no steps still shows two") << 0 << 2 << quint64(0) << 0;
    QTest::newRow("one step still shows two") << 1 << 2 << quint64(1023) << 0;
    QTest::newRow("two steps") << 2 << 2 << quint64(1024) << 1;
    QTest::newRow("many steps, partial KiB dropped") << 70 << 70 << quint64(5000) << 4;
    QTest::newRow("a large byte count") << 3 << 3 << quint64(1024) * 1024 * 1024 << 1024 * 1024;
}

void TestConfigurationItem::progressHelpers()
{
    QFETCH(int, steps);
    QFETCH(int, announcedSteps);
    QFETCH(quint64, bytes);
    QFETCH(int, kib);

    QStringList journal;
    RecordingItem item(nullptr, "item", 0, &journal);
    QSignalSpy totals(&item, &InstallConfigurationItem::totalSteps);
    QSignalSpy progress(&item, qOverload<int>(&InstallConfigurationItem::progress));
    item.emitTotalSteps(steps);
    item.emitProgressBytes(bytes);
    QCOMPARE(totals.size(), 1);
    QCOMPARE(totals.first().first().toInt(), announcedSteps);
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress.first().first().toInt(), kib);
}

void TestConfigurationItem::deletedChildLeavesItsParent()
{
    InstallConfigurationList root;
    auto *first = new InstallConfigurationItem(&root, "first", QString(), 0, true);
    auto *second = new InstallConfigurationItem(&root, "second", QString(), 0, true);
    new InstallConfigurationItem(second, "inner", QString(), 0, true);
    delete first;
    QCOMPARE(root.children(), QList<InstallConfigurationItem *>{second});
    QCOMPARE(root.subtreeSize(), 3);
    QVERIFY2(root.install(), "the walk survives a removed child");
}

QTEST_MAIN(TestConfigurationItem)
#include "tst_configurationitem.moc"
