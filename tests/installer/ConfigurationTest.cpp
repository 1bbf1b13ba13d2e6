// The configuration tree: which items are due in each mode, how a selection spreads, the
// three walks and what an item's failure becomes; what the file, archive and removal items
// do to files; and the installed-state record "IConf.xml" written, read back and refused.

#include "Support.h"

#include "app/records/InstalledConfiguration.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallFileRemovalConfigurationItem.h"
#include "configuration/items/InstallFilesConfigurationItem.h"
#include "media/install/FileStoreInstallMedia.h"

namespace {

using Mode = InstallApplication::Mode;

// Writes what it is asked to do into a journal; "fails" makes its actions throw, a
// number is the state its check finds.
class RecordingItem : public InstallConfigurationItem
{
public:
    using InstallConfigurationItem::InstallConfigurationItem;
    QStringList *journal = nullptr;
    QString setting;

protected:
    void doInstall() override { act("install "); }
    void doUninstall() override { act("uninstall "); }
    void doCheckInstalled() override { setInstalled(InstalledState(act("check ").toInt()), false); }

private:
    QString act(const char *what)
    {
        *journal << what + name();
        if (setting == "fails")
            throw InstallException("No space left on $(ItemTestDisk)");
        return setting;
    }
};

// Items "name:level[:parent]" below root.
QMap<QString, RecordingItem *> buildTree(InstallConfigurationList &root, const QString &shape, QStringList *journal)
{
    QMap<QString, RecordingItem *> items;
    for (const QString &entry : shape.split(u' ')) {
        const QStringList parts = entry.split(u':');
        InstallConfigurationItem *parent = items.value(parts.value(2));
        (items[parts[0]] = new RecordingItem(parent ? parent : &root, parts[0], "", parts[1].toInt(), true))->journal = journal;
    }
    return items;
}

// Sources in "src" ($(ItemSrc)); the installation ($(ItemDest)) in "parent/install", beside
// a file where a clean-up's climb must stop. The journal collects signals and results.
struct World
{
    World()
    {
        setVariable("ItemSrc", path("src"));
        setVariable("ItemDest", path("parent/install"));
        setVariable("DestDir", path("parent/install")); // where the clean-up must stop
        Support::writeFile(path("parent/keep.txt"), "stays");
        Support::writeFile(path("src/Setup"), QByteArray(3000, 's'));
    }
    QString path(const QString &name) const { return folder.filePath(name); }
    QString state() { return (Support::listing(folder.path()) + journal).join(u'\n').replace(folder.path(), "<tmp>"); }
    void watch(InstallConfigurationItem *item)
    {
        QObject::connect(item, &InstallConfigurationItem::totalSteps, [this](int steps) { journal << "total " + QString::number(steps); });
        QObject::connect(item, qOverload<int>(&InstallConfigurationItem::progress), [this](int step) { journal << "step " + QString::number(step); });
        QObject::connect(item, qOverload<const QString &>(&InstallConfigurationItem::progress), [this](const QString &name) { journal << "file " + name; });
    }
    void run(bool (InstallConfigurationItem::*walk)(), int mode)
    {
        application.setMode(InstallApplication::Mode(mode));
        journal << Support::outcome([&] { return "returned " + QString::number((root.*walk)()); });
    }

    QTemporaryDir folder;
    QStringList journal;
    InstallConfigurationList root;
    ItemApplication application{&root};
};

} // namespace

class ConfigurationTest : public QObject
{
    Q_OBJECT

private slots:
    // Per level 0..4: willInstall and willUninstall while selected, the same unselected,
    // then willUninstall with the uninstall flag off.
    void willInstall_data()
    {
        QTest::addColumn<QList<int>>("setting"); // mode, parent's level (-1: none), other platform
        QTest::addColumn<QString>("answers");
        const QString unselected = " 00000 11111 00000";
        QTest::newRow("Minimal: level 0 and chosen optional items") << QList<int>{0, -1, 0} << "10011 01100" + unselected;
        QTest::newRow("Typical: up to level 1") << QList<int>{1, -1, 0} << "11011 00100" + unselected;
        QTest::newRow("Full: every level") << QList<int>{2, -1, 0} << "11111 00000" + unselected;
        QTest::newRow("Custom: the selection") << QList<int>{3, -1, 0} << "11111 00000" + unselected;
        QTest::newRow("Modify: the selection") << QList<int>{4, -1, 0} << "11111 00000" + unselected;
        QTest::newRow("Repair: all that is removable goes first") << QList<int>{5, -1, 0} << "11111 11111" + unselected;
        QTest::newRow("Remove: chosen optional items stay") << QList<int>{6, -1, 0} << "00011 11100" + unselected;
        QTest::newRow("Upgrade: all that is removable goes first") << QList<int>{7, -1, 0} << "11111 11111" + unselected;
        QTest::newRow("an unselected (level 3) parent blocks every level") << QList<int>{2, 3, 0} << "00000 11111" + unselected;
        QTest::newRow("a required parent in Remove blocks optional items") << QList<int>{6, 0, 0} << "00000 11111" + unselected;
        QTest::newRow("another platform's item is never due") << QList<int>{2, -1, 1} << "00000 11111" + unselected;
    }

    void willInstall()
    {
        QFETCH(QList<int>, setting);
        QFETCH(QString, answers);
        World world;
        world.application.setMode(Mode(setting[0]));
        InstallConfigurationItem parent(nullptr, "", "", qMax(setting[1], 0), true);
        QStringList columns(5);
        for (int level = 0; level <= 4; ++level) {
            InstallConfigurationItem item(setting[1] < 0 ? nullptr : &parent, "", "", level, true, setting[2] ? 0x20000 : 0xFFFFFFFF);
            QCOMPARE(item.isVisible(), !setting[2]);
            for (const bool selected : {true, false}) {
                item.setInstall(selected);
                columns[selected ? 0 : 2] += QString::number(item.willInstall());
                columns[selected ? 1 : 3] += QString::number(item.willUninstall());
            }
            item.setUninstall(false);
            columns[4] += QString::number(item.willUninstall());
        }
        QCOMPARE(columns.join(u' '), answers);
    }

    // In Custom mode, with a0, b0 and c0 switched off first; the golden file holds every
    // willInstallChanged in order, then the selected items.
    void selection_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("an off group turns on required children through those that were off") << "G on";
        QTest::newRow("an item already on passes nothing down") << "a1 on";
        QTest::newRow("recursive selection reaches every level") << "G on all";
        QTest::newRow("deselecting leaves the children's choices") << "G on, G off";
        QTest::newRow("recursive deselection reaches below an unchanged item") << "a0 on, G off all";
        QTest::newRow("an unchanged selection announces nothing") << "x on";
        QTest::newRow("deselecting announces each affected item once") << "H off";
        QTest::newRow("the walk stops below an item whose answer stays") << "y on, mode 1";
        QTest::newRow("Remove mode takes away every required item") << "mode 6";
    }

    void selection()
    {
        QFETCH(QString, steps);
        World world;
        const auto items = buildTree(world.root, "G:3 a0:0:G b0:0:a0 b2:2:a0 a1:1:G c0:0:a1 a2:2:G a3:3:G a4:4:G H:0 x:0:H y:2:H", nullptr);
        world.journal << "start:";
        const QList<InstallConfigurationItem *> watched = world.root.findChildren<InstallConfigurationItem *>() << &world.root;
        for (InstallConfigurationItem *item : watched)
            connect(item, &InstallConfigurationItem::willInstallChanged, this, [&, item](int value) { world.journal << item->name().left(7) + '=' + QString::number(value); });
        world.application.setMode(Mode::Custom);
        for (const char *name : {"a0", "b0", "c0"})
            items[name]->setInstall(false);
        world.journal << "announced:";
        for (const QString &step : steps.split(", ")) {
            const QStringList words = step.split(u' ');
            if (words[0] == "mode")
                world.application.setMode(Mode(words[1].toInt()));
            else
                items[words[0]]->setInstall(words[1] == "on", words.value(2) == "all");
        }
        world.journal << "selected:";
        for (const RecordingItem *item : items)
            world.journal << (item->isSelected() ? item->name() : "");
        COMPARE_GOLDEN("Configuration", world.journal.join(u' ').simplified());
    }

    // root ( A ( A1, A2 ), B ), all level 0, in the given mode; a failure's question gets
    // the last number. The golden journal holds the root's starting, finished and skipped
    // signals, each action, the question and what the walk left: result, states, selection.
    void walks_data()
    {
        QTest::addColumn<QString>("walk");
        QTest::newRow("install: tree order") << "install 0";
        QTest::newRow("install: a failure answered No lets the siblings install") << "install 0 A1=fails 16";
        QTest::newRow("install: a failure answered Yes ends the run without finished") << "install 0 A1=fails 1";
        QTest::newRow("install: an installed item is not redone, its children are") << "install 0 A=2";
        QTest::newRow("install: a partly installed item is redone") << "install 0 A=1";
        QTest::newRow("install: an unselected item leaves out its subtree") << "install 0 A=off";
        QTest::newRow("uninstall: children last to first before their parent") << "uninstall 6";
        QTest::newRow("uninstall: a failure is dropped silently in Repair") << "uninstall 5 A1=fails";
        QTest::newRow("uninstall: a failure answered No continues") << "uninstall 6 A1=fails 16";
        QTest::newRow("uninstall: a failure answered Yes ends the run") << "uninstall 6 A1=fails 1";
        QTest::newRow("uninstall: items still wanted in Modify stay") << "uninstall 4";
        QTest::newRow("uninstall: an item not installed is passed over") << "uninstall 6 A2=0";
        QTest::newRow("check: last to first; present items become selected") << "check 4 A1=off A1=finds1 A2=off B=off B=finds2";
        QTest::newRow("check: a failure passes to the caller") << "check 4 A2=fails";
    }

    void walks()
    {
        QFETCH(QString, walk);
        const QStringList words = walk.split(u' ');
        World world;
        const auto items = buildTree(world.root, "A:0 A1:0:A A2:0:A B:0", &world.journal);
        connect(&world.root, &InstallConfigurationList::starting, this, [&](InstallConfigurationItem *item) { world.journal << "starting " + item->name(); });
        connect(&world.root, &InstallConfigurationList::finished, this, [&](InstallConfigurationItem *item) { world.journal << "finished " + item->name(); });
        connect(&world.root, &InstallConfigurationList::skipped, this, [&](int count) { world.journal << "skipped " + QString::number(count); });
        world.root.setInstalled(InstallConfigurationItem::InstalledState(words[0] == "uninstall" ? 2 : 0), true);
        for (const QString &setting : words.mid(2).filter("=")) {
            RecordingItem *item = items[setting.section(u'=', 0, 0)];
            const QString value = setting.section(u'=', 1);
            if (value == "off")
                item->setInstall(false);
            else if (value.length() == 1)
                item->setInstalled(InstallConfigurationItem::InstalledState(value.toInt()));
            else
                item->setting = QString(value).remove("finds");
        }
        setVariable("ItemTestDisk", "/dev/sdz");
        Answers answers(words.last().toInt() ? QList<int>{words.last().toInt()} : QList<int>{});
        world.run(words[0] == "install" ? &InstallConfigurationItem::install
                  : words[0] == "uninstall" ? &InstallConfigurationItem::uninstall : &InstallConfigurationItem::checkInstalled, words[1].toInt());
        for (const char *name : {"A", "A1", "A2", "B"})
            world.journal.last() += QString(" %1%2: %3").arg(name).arg(items[name]->isSelected() ? "" : " (unselected)").arg(items[name]->installed());
        COMPARE_GOLDEN("Configuration", (world.journal << answers.transcript).join(u'\n'));
    }

    // A files item with one entry, or an archive item over a media folder with that file
    // and a README, with the row's flags: installed (a failure's question answered No),
    // then removed in the row's mode. A locked folder brings the removal question, which
    // a negative Retry answers after unlocking it.
    void fileItems_data()
    {
        QTest::addColumn<QString>("kindFlagsModeObstacle");
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("files 0: copied, removed with the product") << "files 0 6" << QList<int>{};
        QTest::newRow("files 1: not copied, removed with the product") << "files 1 6" << QList<int>{};
        QTest::newRow("files 2: copied, kept with the product") << "files 2 6" << QList<int>{};
        QTest::newRow("files 2: removed by a repair") << "files 2 5" << QList<int>{};
        QTest::newRow("files 2: removed by an upgrade") << "files 2 7" << QList<int>{};
        QTest::newRow("files 3: not copied, kept with the product") << "files 3 6" << QList<int>{};
        QTest::newRow("files 3: removed by a repair") << "files 3 5" << QList<int>{};
        QTest::newRow("a file where the folder must be") << "files 0 6 file" << QList<int>{Box::No};
        QTest::newRow("a read-only destination folder") << "files 0 6 read-only" << QList<int>{Box::No};
        QTest::newRow("a missing source, its search cancelled") << "files 0 6 missing" << QList<int>{Box::No};
        QTest::newRow("a locked file: Ignore leaves it and its folder") << "files 0 6 locked" << QList<int>{Box::Ignore};
        QTest::newRow("a locked file: Retry after it was freed removes both") << "files 0 6 locked" << QList<int>{-Box::Retry};
        QTest::newRow("a locked file: Retry while still locked asks again") << "files 0 6 locked" << QList<int>{Box::Retry, Box::Retry, Box::Ignore};
        QTest::newRow("a locked file: Cancel ends the run") << "files 0 6 locked" << QList<int>{Box::Cancel};
        QTest::newRow("archive 3: installs and removes the folder") << "archive 3 6" << QList<int>{};
        QTest::newRow("archive 2: installs nothing, an empty list counts as installed") << "archive 2 6" << QList<int>{};
        QTest::newRow("archive 1: removes nothing") << "archive 1 6" << QList<int>{};
    }

    void fileItems()
    {
        QFETCH(QString, kindFlagsModeObstacle);
        QFETCH(QList<int>, answers);
        const QStringList words = kindFlagsModeObstacle.split(u' ') << "";
        World world;
        const QString tools = world.path("parent/install/bin/tools");
        QVERIFY(words[3] != "file" || Support::writeFile(world.path("parent/install/bin"), "in the way"));
        QVERIFY(words[3] != "missing" || QFile::remove(world.path("src/Setup")));
        QVERIFY(words[3] != "read-only" || (QDir().mkpath(tools) && Support::lockFolder(tools, true)));
        QVERIFY(Support::writeFile(world.path("media/bin/tools/uninstall"), QByteArray(3000, 'u')) && Support::writeFile(world.path("media/bin/README"), "r"));
        world.application.setMedia(new FileStoreInstallMedia(world.path("media")));
        const InstallFilesConfigurationItem::Entry table[] = {{"$(ItemSrc)/Setup", "$(ItemDest)/bin/tools/./uninstall", words[1].toUInt()}, {}};
        world.watch(words[0] == "files" ? static_cast<InstallConfigurationItem *>(new InstallFilesConfigurationItem(table, &world.root, "Installer", "", 0, false))
                                        : new InstallArchiveConfigurationItem("bin", "$(ItemDest)/bin", &world.root, "Binary Files", "", 0, true, 0xFFFFFFFF, words[1].toUInt()));
        Answers script(answers.isEmpty() ? answers : QList<int>{qAbs(answers[0])} + answers.mid(1));
        bool locked = words[3] == "locked";
        script.beforeAnswer = [&] { locked = locked && !(answers[0] < 0 && Support::lockFolder(tools, false)); };
        world.run(&InstallConfigurationItem::install, 1);
        QVERIFY(words[3] != "read-only" || Support::lockFolder(tools, false));
        world.run(&InstallConfigurationItem::checkInstalled, 1);
        world.journal << "state " + QString::number(world.root.children()[0]->installed()) << "-- removal";
        const QString installed = world.state();
        world.journal.clear();
        Support::writeFile(tools + "/uninstall", "installed"); // not where a file is in the way
        QVERIFY(!locked || Support::lockFolder(tools, true));
        world.root.setInstalled(InstallConfigurationItem::fullyInstalled, true);
        world.run(&InstallConfigurationItem::uninstall, words[2].toInt());
        QVERIFY(!locked || Support::lockFolder(tools, false));
        world.journal << script.transcript;
        COMPARE_GOLDEN("Configuration", installed + '\n' + world.state());
    }

    // root ( group(0) ( archive item(3) ), plain(1) ) writes its record; a fresh tree reads it, or
    // the row's record, in the row's mode. The golden file holds the record as written, then:
    // loaded, the archive item's selection, the group's, its and the plain item's states, its files, the folders.
    void record_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("record"); // the configuration element without its tag name; empty: the one written
        const QString tree = "dest_dir=\"/opt/old\"><InstallConfigurationList><InstallConfigurationItem %1>%2</InstallConfigurationItem>"
                             "<InstallConfigurationItem/></InstallConfigurationList>";
        QTest::newRow("written, and read by a removal, which keeps the running source") << 6 << "";
        QTest::newRow("read by a repair, which takes the recorded source") << 5 << "";
        QTest::newRow("not XML") << 4 << "<configuration";
        QTest::newRow("only the exact text true selects; a state may be named")
            << 4 << tree.arg("installed=\"partiallyInstalled\"", "<InstallArchiveConfigurationItem install=\"True\" installed=\"2\"/>");
        QTest::newRow("an unreadable state is left alone")
            << 4 << tree.arg("installed=\"lots\"", "<InstallArchiveConfigurationItem install=\"true\" files=\"a&#xa;b\"/>");
        for (const char *files : {"a&#xa;../../etc/shadow", "/etc/shadow", "a&#xa;&#xa;b"})
            QTest::addRow("a file name that leaves the folder is refused: %s", files)
                << 4 << tree.arg("", QString("<InstallArchiveConfigurationItem files=\"%1\"/>").arg(files));
        QTest::newRow("the record of another folder is refused")
            << 4 << QString(tree).replace("/opt/old", "/opt/other").arg("", "<InstallArchiveConfigurationItem/>");
        QTest::newRow("another root item fails before anything is read") << 4 << tree.arg("installed=\"2\"", "").replace("List>", "Tree>");
        QTest::newRow("a wrong child tag fails, keeping what was read before it") << 4 << tree.arg("installed=\"2\"", "<InstallConfigurationItem/>");
        QTest::newRow("too few elements fail") << 4 << tree.arg("installed=\"1\"", "");
    }

    void record()
    {
        QFETCH(int, mode);
        QFETCH(QString, record);
        QTemporaryDir folder;
        const QString path = folder.filePath("IConf.xml");
        QString text;
        for (const bool writing : {true, false}) {
            World world;
            auto *group = new InstallConfigurationItem(&world.root, "group", "", 0, true);
            auto *component = new InstallArchiveConfigurationItem("bin", "", group, "", "", 3, true, 0xFFFFFFFF, 3);
            auto *plain = new InstallConfigurationItem(&world.root, "plain", "", 1, true);
            world.application.setMode(InstallApplication::Mode(writing ? 3 : mode));
            // The program folder holds characters XML cannot: written encoded, read back the same.
            const QString folders = writing ? QString("/opt/old /media/old Corvane/Old&<Tools>\x01\uE000 x")
                                            : "/opt/new /media/new Corvane/New New";
            for (int index = 0; index < 4; ++index)
                setVariable(QStringList{"DestDir", "SrcDir", "ProgramFolderDir", "ProgramFolderName"}[index], folders.section(u' ', index, index));
            if (!writing) {
                const bool loaded = loadInstalledConfiguration(path, "/opt/old/");
                text += QString("loaded %1: %2 %3 %4 %5 [%6] ").arg(loaded).arg(component->isSelected()).arg(group->installed())
                            .arg(component->installed()).arg(plain->installed()).arg(component->files().join(u'|'))
                    + expand("$(DestDir) $(SrcDir) $(ProgramFolderDir) $(ProgramFolderName)")
                          .replace(QChar(1), "<01>").replace(QChar(0xE000), "<E000>");
                break;
            }
            group->setObjectName("tools");
            component->setInstall(true);
            component->setFiles({"fwStudio", "lib/a \"quoted\" it's.so", QString::fromUtf8("\xc3\xbc" "n\xc3\xaf" "code")});
            component->setInstalled(InstallConfigurationItem::partiallyInstalled);
            plain->setInstalled(InstallConfigurationItem::fullyInstalled);
            QVERIFY(saveInstalledConfiguration(path));
            text = mode == 6 ? QString::fromUtf8(Support::readFile(path)) : QString();
            QVERIFY(record.isEmpty() || Support::writeFile(path, "<!DOCTYPE Install><configuration " + record.toUtf8() + "</configuration>"));
        }
        COMPARE_GOLDEN("Configuration", text);
    }
};

STUDIO_TEST_CLASS(ConfigurationTest)
#include "ConfigurationTest.moc"
