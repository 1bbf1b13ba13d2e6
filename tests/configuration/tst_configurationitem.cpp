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

#include <QtTest>

#include <memory>

using Mode = InstallApplication::Mode;
using State = InstallConfigurationItem::InstalledState;
using Box = InstallCheckMessageBox;

// Item kinds with their own run-time class, as the real item kinds have.
class SampleFilesItem : public InstallConfigurationItem
{
    Q_OBJECT
public:
    using InstallConfigurationItem::InstallConfigurationItem;
};

class SampleExtraFilesItem : public SampleFilesItem
{
    Q_OBJECT
public:
    using SampleFilesItem::SampleFilesItem;
};

namespace {

const QString rootName = QStringLiteral("Install Configuration List");

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

// root ( A ( A1, A2 ), B ), every item required for a minimal installation.
struct WalkTree
{
    QStringList journal;
    InstallConfigurationList root;
    PagesTestApplication application{&root};
    RecordingItem *a = new RecordingItem(&root, "A", 0, &journal);
    RecordingItem *a1 = new RecordingItem(a, "A1", 0, &journal);
    RecordingItem *a2 = new RecordingItem(a, "A2", 0, &journal);
    RecordingItem *b = new RecordingItem(&root, "B", 0, &journal);
    RunSignalJournal runSignals{&root, &journal};
    const QList<RecordingItem *> items{a, a1, a2, b};

    QString states() const
    {
        QString text;
        for (const RecordingItem *item : items)
            text += QString::number(item->installed());
        return text;
    }
};

// Each item's own work between its announcements, as "starting X", WORD + " X", "finished X".
QStringList announced(const QString &word, const QStringList &names)
{
    QStringList lines;
    for (const QString &name : names)
        lines << "starting " + name << word + ' ' + name << "finished " + name;
    return lines;
}

QString flags(const QList<bool> &values)
{
    QString text;
    for (const bool value : values)
        text += value ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

// Builds items from "name:level:parent" entries under root, in order.
QMap<QString, InstallConfigurationItem *> buildItems(InstallConfigurationList &root,
                                                     const QStringList &entries)
{
    QMap<QString, InstallConfigurationItem *> byName;
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(u':');
        InstallConfigurationItem *parent = byName.value(parts.value(2), &root);
        byName.insert(parts.at(0), new InstallConfigurationItem(parent, parts.at(0), QString(),
                                                                parts.at(1).toInt(), true));
    }
    return byName;
}

} // namespace

class TestConfigurationItem : public QObject
{
    Q_OBJECT

private slots:
    void willInstallByModeAndLevel_data();
    void willInstallByModeAndLevel();
    void willInstallOverrides_data();
    void willInstallOverrides();
    void setInstallPropagation_data();
    void setInstallPropagation();
    void willInstallChangedOncePerChange_data();
    void willInstallChangedOncePerChange();
    void installWalk_data();
    void installWalk();
    void uninstallWalk_data();
    void uninstallWalk();
    void failureQuestionTexts_data();
    void failureQuestionTexts();
    void checkWalk_data();
    void checkWalk();
    void countItems_data();
    void countItems();
    void collectItemsByClass_data();
    void collectItemsByClass();
    void buildTreeLeavesOutHiddenItems();
};

// Per level 0..4, written out by hand for every mode: items without a parent.
void TestConfigurationItem::willInstallByModeAndLevel_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("installWhenSelected");
    QTest::addColumn<QString>("uninstallWhenSelected");
    QTest::addColumn<QString>("uninstallWhenUnselected");

    QTest::newRow("Minimal: level 0 and optional") << int(Mode::Minimal) << "10011" << "01100" << "11111";
    QTest::newRow("Typical: up to level 1 and optional") << int(Mode::Typical) << "11011" << "00100" << "11111";
    QTest::newRow("Full: every level") << int(Mode::Full) << "11111" << "00000" << "11111";
    QTest::newRow("Custom: the selection") << int(Mode::Custom) << "11111" << "00000" << "11111";
    QTest::newRow("Modify: the selection") << int(Mode::Modify) << "11111" << "00000" << "11111";
    QTest::newRow("Repair: removes all first") << int(Mode::Repair) << "11111" << "11111" << "11111";
    QTest::newRow("Remove: keeps selected optional") << int(Mode::Remove) << "00011" << "11100" << "11111";
    QTest::newRow("Upgrade: removes all first") << int(Mode::Upgrade) << "11111" << "11111" << "11111";
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
    QList<bool> install, uninstall, installUnselected, uninstallUnselected, keptForever;
    for (int level = 0; level <= 4; ++level) {
        InstallConfigurationItem item(nullptr, QString::number(level), QString(), level, true);
        item.setInstall(true);
        install << item.willInstall();
        uninstall << item.willUninstall();
        item.setInstall(false);
        installUnselected << item.willInstall();
        uninstallUnselected << item.willUninstall();
        item.setUninstall(false);
        keptForever << item.willUninstall();
    }
    QCOMPARE(flags(install), installWhenSelected);
    QCOMPARE(flags(uninstall), uninstallWhenSelected);
    QCOMPARE(flags(installUnselected), QStringLiteral("00000"));
    QCOMPARE(flags(uninstallUnselected), uninstallWhenUnselected);
    QCOMPARE(flags(keptForever), QStringLiteral("00000"));
}

// Conditions that win over mode and selection, for selected items of levels 0..4.
void TestConfigurationItem::willInstallOverrides_data()
{
    QTest::addColumn<int>("mode");           // -1: no application
    QTest::addColumn<int>("parentLevel");    // -1: no parent
    QTest::addColumn<bool>("parentSelected");
    QTest::addColumn<bool>("thisPlatform");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no application: only optional items") << -1 << -1 << true << true << "00011";
    QTest::newRow("a mode beyond Upgrade: only optional items") << 8 << -1 << true << true << "00011";
    QTest::newRow("an unselected parent blocks every level") << int(Mode::Full) << 3 << false << true << "00000";
    QTest::newRow("a required parent in Remove blocks optional children")
        << int(Mode::Remove) << 0 << true << true << "00000";
    QTest::newRow("a selected optional parent in Remove passes them")
        << int(Mode::Remove) << 3 << true << true << "00011";
    QTest::newRow("another platform's item is never installed") << int(Mode::Full) << -1 << true << false << "00000";
}

void TestConfigurationItem::willInstallOverrides()
{
    QFETCH(int, mode);
    QFETCH(int, parentLevel);
    QFETCH(bool, parentSelected);
    QFETCH(bool, thisPlatform);
    QFETCH(QString, expected);

    InstallConfigurationList root;
    std::unique_ptr<PagesTestApplication> application;
    if (mode >= 0) {
        application = std::make_unique<PagesTestApplication>(&root);
        application->setMode(Mode(mode));
    }
    std::unique_ptr<InstallConfigurationItem> parent;
    if (parentLevel >= 0) {
        parent = std::make_unique<InstallConfigurationItem>(nullptr, "parent", QString(), parentLevel, true);
        parent->setInstall(parentSelected);
    }
    const quint64 platforms = thisPlatform ? InstallConfigurationItem::allPlatforms
                                           : InstallConfigurationItem::thisPlatform << 1;
    QList<bool> answers;
    for (int level = 0; level <= 4; ++level) {
        InstallConfigurationItem item(parent.get(), QString::number(level), QString(), level, true, platforms);
        item.setInstall(true);
        answers << item.willInstall();
        QCOMPARE(item.isVisible(), thisPlatform);
    }
    QCOMPARE(flags(answers), expected);
}

// G(3, off) ( a0(0) ( b0(0), b2(2) ), a1(1) ( c0(0) ), a2(2), a3(3), a4(4) ), with a0,
// b0 and c0 switched off first and a1 left on.
void TestConfigurationItem::setInstallPropagation_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("an off group turns on required children through those that were off")
        << QStringList{"G on"} << QStringList{"G", "a0", "b0", "a1"};
    QTest::newRow("an item already on passes nothing down") << QStringList{"a1 on"} << QStringList{"a1"};
    QTest::newRow("recursive selection reaches every level")
        << QStringList{"G on all"} << QStringList{"G", "a0", "b0", "b2", "a1", "c0", "a2", "a3", "a4"};
    QTest::newRow("deselecting leaves the children's choices")
        << QStringList{"G on", "G off"} << QStringList{"a0", "b0", "a1"};
    QTest::newRow("recursive deselection descends even below an unchanged group")
        << QStringList{"a0 on", "G off all"} << QStringList{};
}

void TestConfigurationItem::setInstallPropagation()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, selected);

    InstallConfigurationList root;
    const QStringList order{"G", "a0", "b0", "b2", "a1", "c0", "a2", "a3", "a4"};
    const auto byName = buildItems(root, {"G:3", "a0:0:G", "b0:0:a0", "b2:2:a0", "a1:1:G",
                                          "c0:0:a1", "a2:2:G", "a3:3:G", "a4:4:G"});
    for (const char *name : {"a0", "b0", "c0"})
        byName.value(name)->setInstall(false);
    for (const QString &step : std::as_const(steps)) {
        const QStringList words = step.split(u' ');
        byName.value(words.at(0))->setInstall(words.at(1) == "on", words.value(2) == "all");
    }
    QStringList actual;
    for (const QString &name : order)
        if (byName.value(name)->isSelected())
            actual << name;
    QCOMPARE(actual, selected);
}

// G(0) ( x(0), y(2, off) ), H(3, off); the first change to Custom announces everything.
void TestConfigurationItem::willInstallChangedOncePerChange_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("announced");

    QTest::newRow("an unchanged tree announces nothing") << QStringList{"check", "x on"} << QStringList{};
    QTest::newRow("deselecting a group announces each affected item once")
        << QStringList{"G off"} << QStringList{"G=0", "x=0"};
    QTest::newRow("off and on again announces both changes")
        << QStringList{"G off", "G on"} << QStringList{"G=0", "G=1", "x=0", "x=1"};
    QTest::newRow("an optional item announces alone") << QStringList{"H on"} << QStringList{"H=1"};
    QTest::newRow("the walk stops below a root whose answer stays")
        << QStringList{"y on", "mode Typical"} << QStringList{"y=1"};
    QTest::newRow("Remove mode takes away every required item")
        << QStringList{"mode Remove"} << QStringList{"G=0", rootName + "=0", "x=0"};
}

void TestConfigurationItem::willInstallChangedOncePerChange()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, announced);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    const auto byName = buildItems(root, {"G:0", "x:0:G", "y:2:G", "H:3"});
    QStringList journal;
    SelectionJournal selection(&root, &journal);
    application.setMode(Mode::Custom);
    journal.sort();
    QCOMPARE(journal, (QStringList{"G=1", "H=0", rootName + "=1", "x=1", "y=0"}));
    journal.clear();

    for (const QString &step : std::as_const(steps)) {
        const QStringList words = step.split(u' ');
        if (words.at(0) == "check")
            root.checkWillInstall();
        else if (words.at(0) == "mode")
            application.setMode(words.at(1) == "Typical" ? Mode::Typical : Mode::Remove);
        else
            byName.value(words.at(0))->setInstall(words.at(1) == "on");
    }
    journal.sort();
    QCOMPARE(journal, announced);
}

void TestConfigurationItem::installWalk_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<int>("answer"); // to A1's failure; 0: A1 does not fail
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("tail"); // lines after the last completed item
    QTest::addColumn<QString>("states");

    const QStringList all{"A", "A1", "A2", "B"};
    QTest::newRow("every item in tree order") << "" << 0 << all << QStringList{} << "2222";
    QTest::newRow("a failure answered No lets the siblings install")
        << "" << int(Box::No) << all << QStringList{} << "2022";
    QTest::newRow("a failure answered Yes ends the run without finished")
        << "" << int(Box::Yes) << QStringList{"A"} << QStringList{"starting A1", "install A1"} << "2000";
    QTest::newRow("an installed item is not redone but its children are")
        << "A installed" << 0 << QStringList{"A1", "A2", "B"} << QStringList{} << "2222";
    QTest::newRow("a partly installed item is installed again")
        << "A partial" << 0 << all << QStringList{} << "2222";
    QTest::newRow("an unselected item leaves out its subtree")
        << "A unselected" << 0 << QStringList{"B"} << QStringList{} << "0002";
}

void TestConfigurationItem::installWalk()
{
    QFETCH(QString, preset);
    QFETCH(int, answer);
    QFETCH(QStringList, installed);
    QFETCH(QStringList, tail);
    QFETCH(QString, states);

    WalkTree tree;
    tree.application.setMode(Mode::Minimal);
    if (answer)
        tree.a1->failInstallWith("Disk full");
    if (preset == "A installed")
        tree.a->setInstalled(InstallConfigurationItem::fullyInstalled);
    else if (preset == "A partial")
        tree.a->setInstalled(InstallConfigurationItem::partiallyInstalled);
    else if (preset == "A unselected")
        tree.a->setInstall(false);

    QuestionScript script(answer ? QList<int>{answer} : QList<int>{});
    bool cancelled = false;
    try {
        QVERIFY2(tree.root.install(), "an uncancelled walk succeeds");
    } catch (const InstallUserCancelException &) {
        cancelled = true;
    }
    QCOMPARE(cancelled, answer == Box::Yes);
    const QStringList expected = QStringList{"starting " + rootName, "finished " + rootName}
        + announced("install", installed) + tail;
    QCOMPARE(tree.journal, expected);
    QCOMPARE(tree.states(), states);
    QCOMPARE(script.questions().size(), answer ? 1 : 0);
}

void TestConfigurationItem::uninstallWalk_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("answer"); // to A1's failure; -1: A1 fails without a question
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QString>("states");

    const QStringList all{"B", "A2", "A1", "A", rootName};
    QTest::newRow("children last to first before their parent") << int(Mode::Remove) << 0 << all << "0000";
    QTest::newRow("a removal error is dropped silently in Repair") << int(Mode::Repair) << -1 << all << "0200";
    QTest::newRow("a removal error answered No continues") << int(Mode::Remove) << int(Box::No) << all << "0200";
    QTest::newRow("a removal error answered Yes ends the run")
        << int(Mode::Remove) << int(Box::Yes) << QStringList{"B", "A2"} << "2200";
    QTest::newRow("items still wanted in Modify are kept") << int(Mode::Modify) << 0 << QStringList{} << "2222";
}

void TestConfigurationItem::uninstallWalk()
{
    QFETCH(int, mode);
    QFETCH(int, answer);
    QFETCH(QStringList, removed);
    QFETCH(QString, states);

    WalkTree tree;
    tree.application.setMode(Mode(mode));
    tree.root.setInstalled(InstallConfigurationItem::fullyInstalled, true);
    if (answer)
        tree.a1->failUninstallWith("File is busy");
    QuestionScript script(answer > 0 ? QList<int>{answer} : QList<int>{});
    bool cancelled = false;
    try {
        QVERIFY2(tree.root.uninstall(), "removal reports success");
    } catch (const InstallUserCancelException &) {
        cancelled = true;
    }
    QCOMPARE(cancelled, answer == Box::Yes);
    QStringList expected = announced("uninstall", removed);
    expected.replaceInStrings("uninstall " + rootName, QString()).removeAll(QString());
    if (cancelled)
        expected << "starting A1" << "uninstall A1";
    QCOMPARE(tree.journal, expected);
    QCOMPARE(tree.states(), states);
    QCOMPARE(script.questions().size(), answer > 0 ? 1 : 0);
}

void TestConfigurationItem::failureQuestionTexts_data()
{
    QTest::addColumn<bool>("removal");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("message");

    QTest::newRow("installation")
        << false << "A2 Installation Failed"
        << "<p>The installation of the A2 component has failed.</p><p>No space left on /dev/sdz.</p>"
           "<p>Do you want to terminate the installation?</p><p>Click Yes to terminate installation"
           " or No to continue.</p>";
    QTest::newRow("removal")
        << true << "A2 Removal Failed"
        << "The removal of the A2 component has failed.<p>No space left on /dev/sdz.<p>Do you want"
           " to terminate the installation? Click Yes to terminate installation or No to continue.";
}

void TestConfigurationItem::failureQuestionTexts()
{
    QFETCH(bool, removal);
    QFETCH(QString, heading);
    QFETCH(QString, message);

    setVariable("ItemTestDisk", "/dev/sdz");
    WalkTree tree;
    tree.application.setMode(removal ? Mode::Remove : Mode::Minimal);
    tree.a2->failInstallWith("No space left on $(ItemTestDisk)");
    tree.a2->failUninstallWith("No space left on $(ItemTestDisk)");
    tree.a2->setInstalled(removal ? InstallConfigurationItem::partiallyInstalled
                                  : InstallConfigurationItem::notInstalled);
    QuestionScript script({Box::No});
    QVERIFY(removal ? tree.root.uninstall() : tree.root.install());
    QCOMPARE(script.questions().size(), 1);
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, heading);
    QCOMPARE(question.message, message);
    QCOMPARE(question.buttons, Box::Yes | Box::No);
    QCOMPARE(question.defaultButton, int(Box::Yes));
}

// Children are checked last to first with the parent announced around each; whatever
// is found present becomes selected.
void TestConfigurationItem::checkWalk_data()
{
    QTest::addColumn<QString>("found");      // A, A1, A2, B
    QTest::addColumn<int>("unselected"); // index into A, A1, A2, B; -1: none
    QTest::addColumn<QString>("selected");

    QTest::newRow("nothing present changes nothing") << "0000" << -1 << "1111";
    QTest::newRow("a present unselected item becomes selected") << "0002" << 3 << "1111";
    QTest::newRow("a partly present item becomes selected") << "0100" << 1 << "1111";
    QTest::newRow("an absent unselected item stays unselected") << "2000" << 2 << "1101";
}

void TestConfigurationItem::checkWalk()
{
    QFETCH(QString, found);
    QFETCH(int, unselected);
    QFETCH(QString, selected);

    WalkTree tree;
    tree.application.setMode(Mode::Modify);
    for (int index = 0; index < tree.items.size(); ++index)
        tree.items.at(index)->setFoundState(State(found.mid(index, 1).toInt()));
    if (unselected >= 0)
        tree.items.at(unselected)->setInstall(false);

    QVERIFY(tree.root.checkInstalled());
    QCOMPARE(tree.journal, (QStringList{"starting " + rootName, "check B", "finished " + rootName,
                                        "starting " + rootName, "starting A", "check A2", "finished A",
                                        "starting A", "check A1", "finished A", "check A",
                                        "finished " + rootName}));
    QList<bool> selection;
    for (const RecordingItem *item : tree.items)
        selection << item->isSelected();
    QCOMPARE(flags(selection), selected);
}

// root ( a(0) ( b(2, selected), c(3) ), d(4) ) in Typical mode, states of all five.
void TestConfigurationItem::countItems_data()
{
    QTest::addColumn<QString>("states");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("willInstall");
    QTest::addColumn<int>("count");

    QTest::newRow("due and not installed") << "00000" << 0 << true << 2;
    QTest::newRow("not due and not installed") << "00000" << 0 << false << 3;
    QTest::newRow("installed and due") << "22020" << 2 << true << 2;
    QTest::newRow("partly installed and not due") << "00111" << 1 << false << 3;
}

void TestConfigurationItem::countItems()
{
    QFETCH(QString, states);
    QFETCH(int, state);
    QFETCH(bool, willInstall);
    QFETCH(int, count);

    InstallConfigurationList root;
    PagesTestApplication application(&root);
    const auto byName = buildItems(root, {"a:0", "b:2:a", "c:3:a", "d:4"});
    byName.value("b")->setInstall(true);
    const QList<InstallConfigurationItem *> items{&root, byName["a"], byName["b"], byName["c"], byName["d"]};
    for (int index = 0; index < items.size(); ++index)
        items.at(index)->setInstalled(State(states.mid(index, 1).toInt()));
    QCOMPARE(root.countItems(State(state), willInstall), count);
    QCOMPARE(root.subtreeSize(), 5);
}

void TestConfigurationItem::collectItemsByClass_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("the base class finds every item, depth first")
        << "InstallConfigurationItem" << QStringList{rootName, "group", "files", "extra", "plain", "more"};
    QTest::newRow("a class finds its derived classes") << "SampleFilesItem" << QStringList{"files", "extra", "more"};
    QTest::newRow("the most derived class finds itself") << "SampleExtraFilesItem" << QStringList{"extra"};
    QTest::newRow("an unknown class finds nothing") << "InstallFooConfigurationItem" << QStringList{};
}

void TestConfigurationItem::collectItemsByClass()
{
    QFETCH(QString, className);
    QFETCH(QStringList, names);

    InstallConfigurationList root;
    auto *group = new InstallConfigurationItem(&root, "group", QString(), 0, true);
    auto *files = new SampleFilesItem(group, "files", QString(), 0, true);
    new SampleExtraFilesItem(files, "extra", QString(), 0, true);
    new InstallConfigurationItem(group, "plain", QString(), 0, true);
    new SampleFilesItem(&root, "more", QString(), 3, false);

    QList<InstallConfigurationItem *> list;
    root.collectItems(className, list);
    QStringList actual;
    for (const InstallConfigurationItem *item : std::as_const(list))
        actual << item->name();
    QCOMPARE(actual, names);
}

void TestConfigurationItem::buildTreeLeavesOutHiddenItems()
{
    InstallConfigurationList root;
    auto *tools = new InstallConfigurationItem(&root, "tools", QString(), 0, true);
    new InstallConfigurationItem(tools, "compiler", QString(), 0, true);
    auto *hidden = new InstallConfigurationItem(tools, "hidden", QString(), 0, false);
    new InstallConfigurationItem(hidden, "under hidden", QString(), 0, true);
    new InstallConfigurationItem(&root, "elsewhere", QString(), 0, true, InstallConfigurationItem::thisPlatform << 1);
    new InstallConfigurationItem(&root, "docs", QString(), 2, true);

    PairBuilder builder;
    root.buildTree(builder, nullptr, false);
    QCOMPARE(builder.pairs, (QStringList{"->tools", "tools>compiler", "->docs"}));
}

QTEST_MAIN(TestConfigurationItem)
#include "tst_configurationitem.moc"
