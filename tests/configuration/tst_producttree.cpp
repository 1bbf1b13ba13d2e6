// The product's own tree: which items it carries, in which order, with which names,
// levels, visibility and folders, and the record a fresh tree writes. Runs in the
// sandbox so that the machine's udev folder does not decide the device rules' level.

#include "common/ItemTestApplication.h"
#include "common/Sandbox.h"

#include "app/core/VariableTable.h"
#include "app/records/InstalledConfiguration.h"
#include "app/startup/InstallerVariables.h"
#include "configuration/desktop/InstallFreeDesktopMimeTypeConfigurationItem.h"
#include "configuration/desktop/InstallFreeDesktopShortcutConfigurationItem.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallFileRemovalConfigurationItem.h"
#include "configuration/items/InstallFilesConfigurationItem.h"
#include "configuration/items/InstallSettingKeyConfigurationItem.h"
#include "configuration/product/ConfigurationList.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The tree flattened depth first, the root first.
QList<InstallConfigurationItem *> flatten(InstallConfigurationItem *item)
{
    QList<InstallConfigurationItem *> items{item};
    for (InstallConfigurationItem *child : item->children())
        items += flatten(child);
    return items;
}

QString pathOf(InstallConfigurationItem *item)
{
    QStringList indexes;
    for (InstallConfigurationItem *parent = item->parentItem(); parent;
         item = parent, parent = parent->parentItem())
        indexes.prepend(QString::number(parent->children().indexOf(item) + 1));
    return indexes.isEmpty() ? QString("0") : indexes.join('.');
}

void setDefaultVariables()
{
    InstallerVariables::initialise();
    setVariable("DestName", "corvane_fenwick_studio_for_risc-v_4.52a");
    setPathVariable("SrcDir", "/media/cdrom/setup");
}

const char product[] = "Corvane Fenwick Studio for RISC-V";

} // namespace

class tst_ProductTree : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        setDefaultVariables();
        QDir("/etc/udev").removeRecursively();
    }

    void items_data();
    void items();
    void installerFiles();
    void removalPaths();
    void settingsItem();
    void components_data();
    void components();
    void desktopItems();
    void rulesLevelFollowsTheMachine();
    void freshRecord();
};

void tst_ProductTree::items_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("visible");

    const QString p = product;
    const struct
    {
        const char *path, *className, *name;
        QString description;
        int level;
        bool visible;
    } rows[] = {
        {"0", "InstallConfigurationList", "Install Configuration List", "", 0, true},
        {"1", "InstallFilesConfigurationItem", "Installer", "", 0, false},
        {"2", "InstallFileRemovalConfigurationItem", "System File Remover", "", 0, false},
        {"3", "InstallSettingKeyConfigurationItem", "Installer Settings", "", 0, false},
        {"4", "InstallConfigurationItem", "", p + " 4.52a Installation", 0, true},
        {"4.1", "InstallArchiveConfigurationItem", "Binary Files",
         "Executable files required to run " + p, 0, true},
        {"4.2", "InstallArchiveConfigurationItem", "GCC Files", "Install GCC tools.", 0, true},
        {"4.3", "InstallArchiveConfigurationItem", "Help Files", p + " help files", 0, true},
        {"4.4", "InstallArchiveConfigurationItem", "Include Files", p + " include files", 0, true},
        {"4.5", "InstallArchiveConfigurationItem", "Library Files", p + " library files", 0, true},
        {"4.6", "InstallArchiveConfigurationItem", "LLVM Files", "Install LLVM tools", 0, true},
        {"4.7", "InstallArchiveConfigurationItem", "Sample Files",
         p + " sample project and source files", 0, true},
        {"4.8", "InstallArchiveConfigurationItem", "Source Files", p + " source files", 0, true},
        {"4.9", "InstallArchiveConfigurationItem", "Target Definition Files",
         p + " target definition files", 0, true},
        {"4.10", "InstallConfigurationItem", "Vantor udev rules file",
         "Install the Vantor udev rules file", 3, true},
        {"4.11", "InstallFreeDesktopMimeTypeConfigurationItem", ".fwProject Mime Type",
         "Install .fwProject file Mime type", 0, false},
        {"4.12", "InstallFreeDesktopMimeTypeConfigurationItem", ".fwPackage Mime Type",
         "Install .fwPackage file Mime type", 0, false},
        {"4.13", "InstallFreeDesktopMimeTypeConfigurationItem", ".fwArchive Mime Type",
         "Install .fwArchive file Mime type", 0, false},
        {"4.14", "InstallFreeDesktopShortcutConfigurationItem", "fwStudio Shortcut",
         "Install shortcut for fwStudio", 0, false},
        {"4.15", "InstallFileRemovalConfigurationItem", "File Remover", "", 0, false},
    };
    for (const auto &row : rows) {
        const QString name = QString(row.name).isEmpty() ? p + " 4.52a" : QString(row.name);
        QTest::newRow(qPrintable(QString(row.path) + " " + name))
            << row.path << row.className << name << row.description << row.level << row.visible;
    }
}

void tst_ProductTree::items()
{
    QFETCH(QString, path);
    QFETCH(QString, className);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(int, level);
    QFETCH(bool, visible);
    ConfigurationList tree;

    const QList<InstallConfigurationItem *> items = flatten(&tree);
    QCOMPARE(items.size(), 20);
    InstallConfigurationItem *found = nullptr;
    for (InstallConfigurationItem *item : items)
        if (pathOf(item) == path)
            found = item;
    QVERIFY2(found, qPrintable("no item at " + path));
    QCOMPARE(QString(found->metaObject()->className()), className);
    QCOMPARE(found->name(), name);
    QCOMPARE(found->description(), description);
    QCOMPARE(found->level(), level);
    QCOMPARE(found->isVisible(), visible);
    QCOMPARE(found->platforms(), quint64(0xFFFFFFFF));
}

void tst_ProductTree::installerFiles()
{
    ConfigurationList tree;
    auto *item = dynamic_cast<InstallFilesConfigurationItem *>(tree.children().at(0));
    QVERIFY(item);
    QStringList entries;
    for (int index = 0; index < item->entryCount(); ++index) {
        const auto &entry = item->table()[index];
        entries << QString("%1 -> %2 (%3)").arg(entry.source, entry.destination).arg(entry.flags);
    }
    QStringList expected{"$(SrcDir)/Setup -> $(InstallerDir)/uninstall (0)"};
    for (const char *library : {"libQt3Support.so.4", "libQtCore.so.4", "libQtGui.so.4",
                                "libQtNetwork.so.4", "libQtSql.so.4", "libQtSvg.so.4",
                                "libQtWebKit.so.4", "libQtXml.so.4"})
        expected << QString("$(SrcDir)/%1 -> $(InstallerDir)/%1 (0)").arg(library);
    QCOMPARE(entries, expected);
}

void tst_ProductTree::removalPaths()
{
    ConfigurationList tree;
    auto *system = dynamic_cast<InstallFileRemovalConfigurationItem *>(tree.children().at(1));
    auto *product = dynamic_cast<InstallFileRemovalConfigurationItem *>(
            tree.children().at(3)->children().at(14));
    QVERIFY(system && product);
    QCOMPARE(system->paths(), QStringList{"$(InstallerDir)/IConf.xml"});
    QCOMPARE(product->paths(), QStringList{"$(DestDir)/html/contents.bin"});
}

void tst_ProductTree::settingsItem()
{
    ConfigurationList tree;
    QCOMPARE(tree.settingsItem(), tree.children().at(2));
    QCOMPARE(tree.settingsItem()->key(),
             QString("$(ProductRegKey)/Installer/$(Version)$(AltArch)"));
    QCOMPARE(tree.settingsItem()->valueNames(),
             (QStringList{"DestDir", "SrcDir", "ProgramFolderDir"}));
}

void tst_ProductTree::components_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("folder");

    const char *folders[] = {"bin", "gcc", "html", "include", "lib", "llvm", "samples", "source",
                             "targets"};
    for (int index = 0; index < 9; ++index)
        QTest::newRow(folders[index]) << index << folders[index];
}

void tst_ProductTree::components()
{
    QFETCH(int, index);
    QFETCH(QString, folder);
    ConfigurationList tree;
    auto *item = dynamic_cast<InstallArchiveConfigurationItem *>(
            tree.children().at(3)->children().at(index));
    QVERIFY(item);
    QCOMPARE(item->folder(), folder);
    QCOMPARE(item->destination(), "$(DestDir)/" + folder);
    QCOMPARE(item->flags(), 3u);
    QCOMPARE(item->files(), QStringList{});
}

void tst_ProductTree::desktopItems()
{
    ConfigurationList tree;
    const QList<InstallConfigurationItem *> &group = tree.children().at(3)->children();
    QStringList types;
    QStringList packages;
    for (int index = 10; index < 13; ++index) {
        auto *item = dynamic_cast<InstallFreeDesktopMimeTypeConfigurationItem *>(group.at(index));
        QVERIFY(item);
        types << item->mimeType();
        packages << QString::fromUtf8(item->packageText());
    }
    QCOMPARE(types, (QStringList{"application/x-corvane-fwproject",
                                 "application/x-corvane-fwpackage",
                                 "application/x-corvane-fwarchive"}));
    QVERIFY2(packages.at(1).contains("    <sub-class-of type=\"text/xml\"/>\n"
                                     "    <comment>Corvane Fenwick Studio Package File</comment>\n"
                                     "    <glob pattern=\"*.fwPackage\"/>\n"),
             qPrintable(packages.at(1)));

    auto *shortcut = dynamic_cast<InstallFreeDesktopShortcutConfigurationItem *>(group.at(13));
    QVERIFY(shortcut);
    QCOMPARE(shortcut->desktopFilePath(),
             QString("/usr/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop"));
    QVERIFY2(shortcut->desktopEntry().contains(
                     "Exec=/usr/share/corvane_fenwick_studio_for_risc-v_4.52a/bin/fwStudio\n"),
             shortcut->desktopEntry().constData());
}

void tst_ProductTree::rulesLevelFollowsTheMachine()
{
    QVERIFY(QDir().mkpath("/etc/udev/rules.d"));
    ConfigurationList tree;
    InstallConfigurationItem *rules = tree.children().at(3)->children().at(9);
    QCOMPARE(rules->name(), QString("Vantor udev rules file"));
    QCOMPARE(rules->level(), 4);
    QDir("/etc/udev").removeRecursively();
}

void tst_ProductTree::freshRecord()
{
    QTemporaryDir folder;
    ConfigurationList tree;
    ItemTestApplication application(&tree);
    tree.checkWillInstall();
    QVERIFY(saveInstalledConfiguration(folder.filePath("IConf.xml")));

    const QString component =
            "   <InstallArchiveConfigurationItem objectName=\"\" install=\"true\" installed=\"0\" "
            "files=\"\"/>\n";
    const QString mimeType = "   <InstallFreeDesktopMimeTypeConfigurationItem objectName=\"\" "
                             "install=\"true\" installed=\"0\"/>\n";
    const QString expected =
            "<!DOCTYPE Install>\n"
            "<configuration dest_dir=\"/usr/share/corvane_fenwick_studio_for_risc-v_4.52a\" "
            "src_dir=\"/media/cdrom/setup\" "
            "program_folder_dir=\"Corvane/corvane_fenwick_studio_for_risc-v_4.52a\">\n"
            " <InstallConfigurationList objectName=\"\" install=\"true\" installed=\"0\">\n"
            "  <InstallFilesConfigurationItem objectName=\"\" install=\"true\" installed=\"0\"/>\n"
            "  <InstallFileRemovalConfigurationItem objectName=\"\" install=\"true\" installed=\"0\"/>\n"
            "  <InstallSettingKeyConfigurationItem objectName=\"\" install=\"true\" installed=\"0\"/>\n"
            "  <InstallConfigurationItem objectName=\"\" install=\"true\" installed=\"0\">\n"
            + component.repeated(9)
            + "   <InstallConfigurationItem objectName=\"\" install=\"false\" installed=\"0\"/>\n"
            + mimeType.repeated(3)
            + "   <InstallFreeDesktopShortcutConfigurationItem objectName=\"\" install=\"true\" "
              "installed=\"0\"/>\n"
              "   <InstallFileRemovalConfigurationItem objectName=\"\" install=\"true\" "
              "installed=\"0\"/>\n"
              "  </InstallConfigurationItem>\n"
              " </InstallConfigurationList>\n"
              "</configuration>\n";
    QFile file(folder.filePath("IConf.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), expected);
}

int main(int argc, char **argv)
{
    if (!Sandbox::isInside())
        return Sandbox::run(argc, argv);
    QApplication application(argc, argv);
    tst_ProductTree test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_producttree.moc"
