// The configuration tree: due items per mode, selection spread, walk order and failures.

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
    WalkTree() { setVariable("ItemTestDisk", "/dev/sdz"); }

    QString states() const
    {
        QString text;
        for (const RecordingItem *item : items)
            text += QString::number(item->installed());
        return text;
    }
};

QStringList announced(const QString &word, const QStringList &names)
{
    QStringList lines;
    for (const QString &name : names)
        lines << "starting " + name << word + ' ' + name << "finished " + name;
    return lines;
}

const QString yesNo = QString::number(Box::Yes | Box::No), yes = QString::number(Box::Yes);

// The one question asked: heading, message, buttons and default button.
QStringList asked(const QuestionScript &script)
{
    const QuestionScript::Question question = script.questions().first();
    return {question.heading, question.message, QString::number(question.buttons),
            QString::number(question.defaultButton)};
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

    // Per level 0..4, written out by hand; "uninstall" empty: only willInstall of selected items is compared.
    void willInstall_data()
    {
        QTest::addColumn<int>("mode");        // -1: no application
        QTest::addColumn<int>("parentLevel"); // -1: no parent
        QTest::addColumn<bool>("parentSelected");
        QTest::addColumn<bool>("thisPlatform");
        QTest::addColumn<QString>("install");
        QTest::addColumn<QString>("uninstall");

        const auto byMode = [](const char *name, Mode mode, const char *install, const char *uninstall) {
            QTest::newRow(name) << int(mode) << -1 << true << true << install << uninstall;
        };
        byMode("Minimal: level 0 and optional", Mode::Minimal, "10011", "01100");
        byMode("Typical: up to level 1 and optional", Mode::Typical, "11011", "00100");
        byMode("Full: every level", Mode::Full, "11111", "00000");
        byMode("Custom: the selection", Mode::Custom, "11111", "00000");
        byMode("Modify: the selection", Mode::Modify, "11111", "00000");
        byMode("Repair: removes all first", Mode::Repair, "11111", "11111");
        byMode("Remove: keeps selected optional", Mode::Remove, "00011", "11100");
        byMode("Upgrade: removes all first", Mode::Upgrade, "11111", "11111");
        QTest::newRow("no application: only optional items") << -1 << -1 << true << true << "00011" << "";
        QTest::newRow("an unselected parent blocks every level") << int(Mode::Full) << 3 << false << true << "00000" << "";
        QTest::newRow("a required parent in Remove blocks optional children")
            << int(Mode::Remove) << 0 << true << true << "00000" << "";
        QTest::newRow("a selected optional parent in Remove passes them")
            << int(Mode::Remove) << 3 << true << true << "00011" << "";
        QTest::newRow("another platform's item is never installed")
            << int(Mode::Full) << -1 << true << false << "00000" << "";
    }

    void willInstall()
    {
        QFETCH(int, mode);
        QFETCH(int, parentLevel);
        QFETCH(bool, parentSelected);
        QFETCH(bool, thisPlatform);
        QFETCH(QString, install);
        QFETCH(QString, uninstall);

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
        // Selected install/uninstall, unselected install/uninstall, uninstall after setUninstall(false).
        QList<bool> answers[5];
        for (int level = 0; level <= 4; ++level) {
            InstallConfigurationItem item(parent.get(), QString::number(level), QString(), level, true, platforms);
            QCOMPARE(item.isVisible(), thisPlatform);
            item.setInstall(true);
            answers[0] << item.willInstall();
            answers[1] << item.willUninstall();
            item.setInstall(false);
            answers[2] << item.willInstall();
            answers[3] << item.willUninstall();
            item.setUninstall(false);
            answers[4] << item.willUninstall();
        }
        QCOMPARE(flags(answers[0]), install);
        if (uninstall.isEmpty())
            return;
        QStringList actual;
        for (const QList<bool> &column : answers)
            actual << flags(column);
        QCOMPARE(actual, (QStringList{install, uninstall, "00000", "11111", "00000"}));
    }

    // G(3, off) ( a0(0) ( b0(0), b2(2) ), a1(1) ( c0(0) ), a2(2), a3(3), a4(4) ), with a0,
    // b0 and c0 switched off first and a1 left on.
    void setInstallPropagation_data()
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

    void setInstallPropagation()
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
    void willInstallChangedOncePerChange_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("announced");

        QTest::newRow("an unchanged tree announces nothing") << QStringList{"check", "x on"} << QStringList{};
        QTest::newRow("deselecting a group announces each affected item once")
            << QStringList{"G off"} << QStringList{"G=0", "x=0"};
        QTest::newRow("off and on again announces both changes")
            << QStringList{"G off", "G on"} << QStringList{"G=0", "G=1", "x=0", "x=1"};
        QTest::newRow("the walk stops below a root whose answer stays")
            << QStringList{"y on", "mode Typical"} << QStringList{"y=1"};
        QTest::newRow("Remove mode takes away every required item")
            << QStringList{"mode Remove"} << QStringList{"G=0", rootName + "=0", "x=0"};
    }

    void willInstallChangedOncePerChange()
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

    void installWalk_data()
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

    void installWalk()
    {
        QFETCH(QString, preset);
        QFETCH(int, answer);
        QFETCH(QStringList, installed);
        QFETCH(QStringList, tail);
        QFETCH(QString, states);

        WalkTree tree;
        tree.application.setMode(Mode::Minimal);
        if (answer)
            tree.a1->failInstallWith("No space left on $(ItemTestDisk)");
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
        if (answer)
            QCOMPARE(asked(script), (QStringList{"A1 Installation Failed",
                "<p>The installation of the A1 component has failed.</p><p>No space left on /dev/sdz.</p>"
                "<p>Do you want to terminate the installation?</p><p>Click Yes to terminate installation"
                " or No to continue.</p>", yesNo, yes}));
    }

    void uninstallWalk_data()
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

    void uninstallWalk()
    {
        QFETCH(int, mode);
        QFETCH(int, answer);
        QFETCH(QStringList, removed);
        QFETCH(QString, states);

        WalkTree tree;
        tree.application.setMode(Mode(mode));
        tree.root.setInstalled(InstallConfigurationItem::fullyInstalled, true);
        if (answer)
            tree.a1->failUninstallWith("No space left on $(ItemTestDisk)");
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
        if (answer > 0)
            QCOMPARE(asked(script), (QStringList{"A1 Removal Failed",
                "The removal of the A1 component has failed.<p>No space left on /dev/sdz.<p>Do you want"
                " to terminate the installation? Click Yes to terminate installation or No to continue.",
                yesNo, yes}));
    }

    // Children are checked last to first with the parent announced around each; whatever
    // is found present becomes selected.
    void checkWalk_data()
    {
        QTest::addColumn<QString>("found");      // A, A1, A2, B
        QTest::addColumn<int>("unselected"); // index into A, A1, A2, B; -1: none
        QTest::addColumn<QString>("selected");

        QTest::newRow("nothing present changes nothing") << "0000" << -1 << "1111";
        QTest::newRow("a present unselected item becomes selected") << "0002" << 3 << "1111";
        QTest::newRow("a partly present item becomes selected") << "0100" << 1 << "1111";
        QTest::newRow("an absent unselected item stays unselected") << "2000" << 2 << "1101";
    }

    void checkWalk()
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
    void countItems_data()
    {
        QTest::addColumn<QString>("states");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("willInstall");
        QTest::addColumn<int>("count");

        QTest::newRow("due and not installed") << "00000" << 0 << true << 2;
        QTest::newRow("installed and due") << "22020" << 2 << true << 2;
        QTest::newRow("partly installed and not due") << "00111" << 1 << false << 3;
    }

    void countItems()
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

    void collectItemsByClass_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("the base class finds every item, depth first")
            << "InstallConfigurationItem" << QStringList{rootName, "group", "files", "extra", "plain", "more"};
        QTest::newRow("a class finds its derived classes") << "SampleFilesItem" << QStringList{"files", "extra", "more"};
        QTest::newRow("an unknown class finds nothing") << "InstallFooConfigurationItem" << QStringList{};
    }

    void collectItemsByClass()
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

    void buildTreeLeavesOutHiddenItems()
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
};

QTEST_MAIN(TestConfigurationItem)
#include "tst_configurationitem.moc"
