// Items that install and remove files for real below a temporary folder; a read-only bind
// mount in the sandbox's mount namespace makes a file that even root cannot delete.

#include "common/ItemTestApplication.h"
#include "common/Sandbox.h"
#include "common/ScriptedAnswers.h"

#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "configuration/items/FolderCleanup.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallFileRemovalConfigurationItem.h"
#include "configuration/items/InstallFilesConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/install/FileStoreInstallMedia.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Entry = InstallFilesConfigurationItem::Entry;

namespace {

// Sources below $(ItemSrc), destinations below $(ItemDest); flags as the table gives.
const Entry mixedTable[] = {
    {"$(ItemSrc)/Setup", "$(ItemDest)/bin/uninstall", 0},
    {"$(ItemSrc)/libOnlyChecked.so", "$(ItemDest)/bin/libOnlyChecked.so", 1},
    {"$(ItemSrc)/libKept.so", "$(ItemDest)/lib/kept/libKept.so", 2},
    {"$(ItemSrc)/libBoth.so", "$(ItemDest)/lib/both/libBoth.so", 3},
    {nullptr, nullptr, 0},
};
const Entry emptyTable[] = {{nullptr, nullptr, 0}};
const QStringList mixedNames{"bin/uninstall", "bin/libOnlyChecked.so", "lib/kept/libKept.so",
                             "lib/both/libBoth.so"};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A folder that cannot be changed until released: a read-only bind mount of itself.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &folder)
        : m_folder(folder), m_locked(QProcess::execute("mount", {"--bind", folder, folder}) == 0
                                     && QProcess::execute("mount", {"-o", "remount,bind,ro", folder}) == 0) {}
    ~LockedFolder() { release(); }
    void release() { m_locked = m_locked && QProcess::execute("umount", {m_folder}) != 0; }
    QString m_folder;
    bool m_locked;
};

// Sources, and an installation folder inside a parent holding something else, where
// the clean-up's climb must stop.
class World
{
public:
    World()
    {
        setVariable("ItemSrc", m_folder.filePath("src"));
        setVariable("ItemDest", m_folder.filePath("parent/install"));
        m_ok = m_folder.isValid() && writeFile(path("parent/keep.txt"), "stays")
            && writeFile(path("src/Setup"), QByteArray(3000, 's'))
            && writeFile(path("src/libOnlyChecked.so"), "checked")
            && writeFile(path("src/libKept.so"), "kept")
            && writeFile(path("src/libBoth.so"), "both");
    }
    bool isValid() const { return m_ok; }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QString dest(const QString &name) const { return path("parent/install/" + name); }

    InstallConfigurationList root;
    ItemTestApplication application{&root};

private:
    QTemporaryDir m_folder;
    bool m_ok = false;
};

QStringList existing(const World &world, const QStringList &names)
{
    QStringList found;
    for (const QString &name : names)
        if (QFileInfo::exists(world.dest(name)))
            found << name;
    return found;
}

} // namespace

class tst_FileItems : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetQueryPolicies();
        m_world = std::make_unique<World>();
        QVERIFY2(m_world->isValid(), "fixture could not be written");
    }
    void cleanup() { m_world.reset(); }

    void filesItemInstallsByFlag_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("bit 0 entries are not copied")
            << false << QStringList{"bin/uninstall", "lib/kept/libKept.so"} << QList<int>{0, 1, 2, 3};
        QTest::newRow("empty table does nothing") << true << QStringList{} << QList<int>{};
    }

    void filesItemInstallsByFlag()
    {
        QFETCH(bool, empty);
        QFETCH(QStringList, installed);
        QFETCH(QList<int>, steps);
        World &world = *m_world;
        auto *item = new InstallFilesConfigurationItem(empty ? emptyTable : mixedTable, &world.root,
                                                       "Installer", "", 0, false);
        QSignalSpy totals(item, &InstallConfigurationItem::totalSteps);
        QSignalSpy progress(item, qOverload<int>(&InstallConfigurationItem::progress));

        QVERIFY2(item->install(), "install() failed");

        QCOMPARE(existing(world, mixedNames), installed);
        QCOMPARE(totals.size(), 1);
        QCOMPARE(totals.at(0).at(0).toInt(), qMax(int(steps.size()), 2));
        QList<int> reported;
        for (const QList<QVariant> &signal : progress)
            reported << signal.at(0).toInt();
        QCOMPARE(reported, steps);
        if (!installed.isEmpty())
            QCOMPARE(QFileInfo(world.dest("bin/uninstall")).size(), qint64(3000));
    }

    void filesItemRemovesByMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("left");

        QTest::newRow("removal keeps bit 1 entries and their folders")
            << int(InstallApplication::Remove)
            << QStringList{"lib/kept/libKept.so", "lib/both/libBoth.so"};
        QTest::newRow("repair removes every entry") << int(InstallApplication::Repair) << QStringList{};
    }

    void filesItemRemovesByMode()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, left);
        World &world = *m_world;
        for (const QString &name : mixedNames)
            QVERIFY(writeFile(world.dest(name), "installed"));
        auto *item = new InstallFilesConfigurationItem(mixedTable, &world.root, "Installer", "", 0,
                                                       false);
        item->setInstalled(InstallConfigurationItem::fullyInstalled, false);
        world.application.setMode(InstallApplication::Mode(mode));

        QVERIFY2(item->uninstall(), "uninstall() failed");

        QCOMPARE(existing(world, mixedNames), left);
        // Emptied folders go, the climb passing the installation folder itself.
        QVERIFY2(!QFileInfo::exists(world.dest("bin")), "emptied bin folder stayed");
        QCOMPARE(QFileInfo::exists(world.dest("")), !left.isEmpty());
        QVERIFY2(QFileInfo::exists(world.path("parent/keep.txt")), "climbed into a folder in use");
        QCOMPARE(item->installed(), InstallConfigurationItem::notInstalled);
    }

    // Both kinds check the same names: the files item its table, the archive item its list.
    void checkInstalled_data()
    {
        QTest::addColumn<bool>("archive");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("state");

        for (const bool archive : {false, true}) {
            const QString kind = archive ? "archive: " : "files: ";
            QTest::newRow(qPrintable(kind + "no names counts as installed")) << archive << true << QStringList{} << 2;
            QTest::newRow(qPrintable(kind + "nothing there")) << archive << false << QStringList{} << 0;
            QTest::newRow(qPrintable(kind + "some there"))
                << archive << false << QStringList{"lib/kept/libKept.so"} << 1;
            QTest::newRow(qPrintable(kind + "all there, flags not looked at")) << archive << false << mixedNames << 2;
        }
    }

    void checkInstalled()
    {
        QFETCH(bool, archive);
        QFETCH(bool, empty);
        QFETCH(QStringList, present);
        QFETCH(int, state);
        World &world = *m_world;
        for (const QString &name : present)
            QVERIFY(writeFile(world.dest(name), "x"));
        InstallConfigurationItem *item = nullptr;
        if (archive) {
            auto *archiveItem = new InstallArchiveConfigurationItem("lib", "$(ItemDest)", &world.root,
                                                                    "Library Files", "", 0, true, 0xFFFFFFFF, 3);
            archiveItem->setFiles(empty ? QStringList{} : mixedNames);
            item = archiveItem;
        } else {
            item = new InstallFilesConfigurationItem(empty ? emptyTable : mixedTable, &world.root,
                                                     "Installer", "", 0, false);
        }
        QVERIFY(item->checkInstalled());
        QCOMPARE(int(item->installed()), state);
    }

    void filesItemReportsFolderFailure()
    {
        World &world = *m_world;
        // A plain file where the destination's folder would have to be made.
        QVERIFY(writeFile(world.dest("bin"), "in the way"));
        auto *item = new InstallFilesConfigurationItem(mixedTable, &world.root, "Installer", "", 0,
                                                       false);
        ScriptedAnswers answers(QList<int>{InstallCheckMessageBox::No});
        QVERIFY(item->install());
        QCOMPARE(answers.asked(), 1);
        QVERIFY2(answers.messages().at(0).contains("Cannot create folder " + world.dest("bin") + "."),
                 qPrintable(answers.messages().at(0)));
        QCOMPARE(item->installed(), InstallConfigurationItem::notInstalled);
    }

    void removalQuestion_data()
    {
        // "retry" answers while the file is still locked, "retry freed" frees it first.
        QTest::addColumn<QStringList>("script");
        QTest::newRow("ignore leaves the file and its folder") << QStringList{"ignore"};
        QTest::newRow("retry after the file was freed removes it and its folder") << QStringList{"retry freed"};
        QTest::newRow("retry while still locked asks again") << QStringList{"retry", "retry", "ignore"};
        QTest::newRow("cancel ends the run") << QStringList{"cancel"};
    }

    void removalQuestion()
    {
        QFETCH(QStringList, script);
        const bool fileLeft = script.last() != "retry freed";
        World &world = *m_world;
        const QString locked = world.dest("bin/uninstall");
        QVERIFY(writeFile(locked, "in use"));
        LockedFolder lock(world.dest("bin"));
        QVERIFY2(lock.m_locked, "cannot bind-mount the folder read-only");
        static const Entry lockedTable[] = {{"$(ItemSrc)/Setup", "$(ItemDest)/bin/uninstall", 0},
                                            {nullptr, nullptr, 0}};
        auto *item = new InstallFilesConfigurationItem(lockedTable, &world.root, "Installer", "", 0,
                                                       false);
        item->setInstalled(InstallConfigurationItem::fullyInstalled, false);
        world.application.setMode(InstallApplication::Remove);

        QList<ScriptedAnswers::Answer> answers;
        for (const QString &step : script) {
            const int button = step.startsWith("retry") ? InstallCheckMessageBox::Retry
                : step == "ignore"                     ? InstallCheckMessageBox::Ignore
                                                       : InstallCheckMessageBox::Cancel;
            answers.append(ScriptedAnswers::Answer{button, {}});
            if (step == "retry freed")
                answers.last().before = [&lock] { lock.release(); };
        }
        ScriptedAnswers box(answers);

        bool threw = false;
        try {
            item->uninstall();
        } catch (const InstallUserCancelException &) {
            threw = true;
        }
        lock.release();

        QCOMPARE(threw, script.last() == "cancel");
        QCOMPARE(box.asked(), int(script.size()));
        QCOMPARE(box.headings().at(0), QString("Cannot remove uninstall"));
        QCOMPARE(box.messages().at(0),
                 "The file " + locked
                         + " cannot be removed, please check that it is not in use.<p>Click Retry to "
                           "remove file, Ignore to skip the file or Cancel to terminate installation.");
        QCOMPARE(QFileInfo::exists(locked), fileLeft);
        QCOMPARE(QFileInfo::exists(world.dest("bin")), fileLeft);
    }

    void folderListOrder_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("folders");

        QTest::newRow("longest first, each once")
            << QStringList{"/a", "/a/b/c", "/a/b", "/a/b/c", "/a"} << QStringList{"/a/b/c", "/a/b", "/a"};
        QTest::newRow("equal lengths keep the order they came in")
            << QStringList{"/a/1", "/b/2", "/c"} << QStringList{"/a/1", "/b/2", "/c"};
    }

    void folderListOrder()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, folders);
        FolderCleanup cleanup;
        for (const QString &folder : added)
            cleanup.addFolder(folder);
        QCOMPARE(cleanup.folders(), folders);
    }

    // Flag bit 0 lets the archive item install, bit 1 remove.
    void archiveItemInstallsFolder_data()
    {
        QTest::addColumn<quint32>("flags");
        QTest::newRow("3: installs") << 3u;
        QTest::newRow("2: does not install") << 2u;
    }

    void archiveItemInstallsFolder()
    {
        QFETCH(quint32, flags);
        World &world = *m_world;
        QVERIFY(writeFile(world.path("media/gcc/bin/gcc"), QByteArray(4096, 'g')));
        QVERIFY(writeFile(world.path("media/gcc/README"), QByteArray(1024, 'r')));
        QVERIFY(writeFile(world.path("media/gcc/lib/x/libc.a"), QByteArray(3072, 'c')));
        auto *media = new FileStoreInstallMedia(world.path("media"));
        world.application.useMedia(media);
        auto *item = new InstallArchiveConfigurationItem("gcc", "$(ItemDest)/gcc", &world.root,
                                                         "GCC Files", "", 0, true, 0xFFFFFFFF, flags);
        QStringList events;
        connect(item, &InstallConfigurationItem::totalSteps,
                [&](int steps) { events << "total " + QString::number(steps); });
        connect(item, qOverload<int>(&InstallConfigurationItem::progress),
                [&](int step) { events << "step " + QString::number(step); });
        connect(item, qOverload<const QString &>(&InstallConfigurationItem::progress),
                [&](const QString &name) { events << "file " + name; });

        QVERIFY(item->install());
        QCOMPARE(QFileInfo::exists(world.dest("gcc")), bool(flags & 1));
        if (!(flags & 1))
            return;
        QCOMPARE(item->files(), (QStringList{"bin/gcc", "lib/x/libc.a", "README"}));
        QCOMPARE(events, (QStringList{"step 0", "total 8", "file bin/gcc", "step 4", "file lib/x/libc.a",
                                      "step 7", "file README", "step 8"}));
        QCOMPARE(QFileInfo(world.dest("gcc/lib/x/libc.a")).size(), qint64(3072));
        QCOMPARE(item->installed(), InstallConfigurationItem::fullyInstalled);

        // The media's signals reach the item only while it installs.
        events.clear();
        emit media->extractedFile(1 << 20);
        emit media->extractingFile("later.txt");
        QCOMPARE(events, QStringList{});
    }

    void archiveItemRemovesAndCleansUp_data()
    {
        QTest::addColumn<quint32>("flags");
        QTest::newRow("3: removes") << 3u;
        QTest::newRow("1: does not remove") << 1u;
    }

    void archiveItemRemovesAndCleansUp()
    {
        QFETCH(quint32, flags);
        World &world = *m_world;
        const QStringList files{"bin/gcc", "lib/x/y/libc.a", "README", "never/installed.txt"};
        for (const QString &name : files.mid(0, 3))
            QVERIFY(writeFile(world.dest("gcc/" + name), "x"));
        QVERIFY(writeFile(world.dest("other/file"), "x"));
        auto *item = new InstallArchiveConfigurationItem("gcc", "$(ItemDest)/gcc", &world.root,
                                                         "GCC Files", "", 0, true, 0xFFFFFFFF, flags);
        item->setFiles(files);
        item->setInstalled(InstallConfigurationItem::fullyInstalled, false);
        world.application.setMode(InstallApplication::Remove);
        QSignalSpy totals(item, &InstallConfigurationItem::totalSteps);
        QSignalSpy progress(item, qOverload<int>(&InstallConfigurationItem::progress));

        QVERIFY(item->uninstall());
        QCOMPARE(QFileInfo::exists(world.dest("gcc/bin/gcc")), !(flags & 2));
        if (!(flags & 2))
            return;
        QVERIFY2(!QFileInfo::exists(world.dest("gcc")), "nested empty folders stayed");
        QVERIFY2(QFileInfo::exists(world.dest("other/file")), "a file of another component went");
        QCOMPARE(totals.size(), 1);
        QCOMPARE(totals.at(0).at(0).toInt(), 4);
        QCOMPARE(progress.size(), 5); // 0, then one per name whether or not it was there
        QCOMPARE(progress.last().at(0).toInt(), 4);
    }

    void fileRemovalItemClimbs_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<QStringList>("left");

        QTest::newRow("file's folder already gone: the climb starts at the nearest one")
            << QStringList{"html"} << "html/deleted/deeper/contents.bin" << QStringList{"html", ""}
            << QStringList{};
        QTest::newRow("a folder that still holds something stops the climb")
            << QStringList{"html/sub", "html/other/file"} << "html/sub/contents.bin"
            << QStringList{"html/sub"} << QStringList{"html/other/file"};
    }

    void fileRemovalItemClimbs()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, file);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, left);
        World &world = *m_world;
        for (const QString &folder : folders) {
            if (folder.endsWith("file"))
                QVERIFY(writeFile(world.dest(folder), "x"));
            else
                QVERIFY(QDir().mkpath(world.dest(folder)));
        }
        if (QFileInfo::exists(QFileInfo(world.dest(file)).absolutePath()))
            QVERIFY(writeFile(world.dest(file), "generated"));
        auto *item = new InstallFileRemovalConfigurationItem(&world.root, "File Remover", "", 0, false);
        item->addFile("$(ItemDest)/" + file);
        QVERIFY(item->install());
        QCOMPARE(item->installed(), InstallConfigurationItem::fullyInstalled);
        world.application.setMode(InstallApplication::Remove);

        ScriptedAnswers noQuestions(QList<int>{});
        QVERIFY(item->uninstall());

        QCOMPARE(noQuestions.asked(), 0);
        QVERIFY2(!QFileInfo::exists(world.dest(file)), "the file stayed");
        for (const QString &folder : gone)
            QVERIFY2(!QFileInfo::exists(world.dest(folder)), qPrintable(folder + " stayed"));
        for (const QString &path : left)
            QVERIFY2(QFileInfo::exists(world.dest(path)), qPrintable(path + " went"));
        QVERIFY2(QFileInfo::exists(world.path("parent/keep.txt")), "climbed into a folder in use");
    }

private:
    std::unique_ptr<World> m_world;
};

STUDIO_SANDBOXED_TEST_MAIN(QApplication, tst_FileItems)

#include "tst_fileitems.moc"
