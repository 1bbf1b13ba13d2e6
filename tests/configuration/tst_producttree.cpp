// The product's own tree and the record a fresh tree writes. Runs in the sandbox so
// that the machine's udev folder does not decide the device rules' level.

#include "common/ItemTestApplication.h"
#include "common/Sandbox.h"

#include "app/core/VariableTable.h"
#include "app/records/InstalledConfiguration.h"
#include "app/startup/InstallerVariables.h"
#include "configuration/desktop/InstallFreeDesktopMimeTypeConfigurationItem.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallFileRemovalConfigurationItem.h"
#include "configuration/items/InstallFilesConfigurationItem.h"
#include "configuration/items/InstallSettingKeyConfigurationItem.h"
#include "configuration/product/ConfigurationList.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The tree depth first: "class|name|description|level|visible", plus what each kind carries.
void describe(InstallConfigurationItem *item, QStringList &lines)
{
    QString line = QString("%1|%2|%3|%4|%5").arg(item->metaObject()->className(), item->name(),
                                                 item->description())
                           .arg(item->level()).arg(item->isVisible());
    if (auto *archive = qobject_cast<InstallArchiveConfigurationItem *>(item))
        line += QString("|%1>%2 %3").arg(archive->folder(), archive->destination()).arg(archive->flags());
    if (auto *removal = qobject_cast<InstallFileRemovalConfigurationItem *>(item))
        line += "|" + removal->paths().join(',');
    if (auto *mime = qobject_cast<InstallFreeDesktopMimeTypeConfigurationItem *>(item))
        line += "|" + mime->mimeType();
    QCOMPARE(item->platforms(), quint64(0xFFFFFFFF));
    lines << line;
    for (InstallConfigurationItem *child : item->children())
        describe(child, lines);
}

} // namespace

class tst_ProductTree : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        InstallerVariables::initialise();
        setVariable("DestName", "corvane_fenwick_studio_for_risc-v_4.52a");
        setPathVariable("SrcDir", "/media/cdrom/setup");
        QDir("/etc/udev").removeRecursively();
    }
    void items();
    void installerFilesAndSettings();
    void freshRecord();
};

void tst_ProductTree::items()
{
    ConfigurationList tree;
    QStringList lines;
    describe(&tree, lines);
    const QString p = "Corvane Fenwick Studio for RISC-V";
    const QString archive = "InstallArchiveConfigurationItem|%1|%2|0|1|%3>$(DestDir)/%3 3";
    const QString mime = "InstallFreeDesktopMimeTypeConfigurationItem|.%1 Mime Type|Install .%1 file "
                         "Mime type|0|0|application/x-corvane-%2";
    const QStringList expected{
        "InstallConfigurationList|Install Configuration List||0|1",
        "InstallFilesConfigurationItem|Installer||0|0",
        "InstallFileRemovalConfigurationItem|System File Remover||0|0|$(InstallerDir)/IConf.xml",
        "InstallSettingKeyConfigurationItem|Installer Settings||0|0",
        "InstallConfigurationItem|" + p + " 4.52a|" + p + " 4.52a Installation|0|1",
        archive.arg("Binary Files", "Executable files required to run " + p, "bin"),
        archive.arg("GCC Files", "Install GCC tools.", "gcc"),
        archive.arg("Help Files", p + " help files", "html"),
        archive.arg("Include Files", p + " include files", "include"),
        archive.arg("Library Files", p + " library files", "lib"),
        archive.arg("LLVM Files", "Install LLVM tools", "llvm"),
        archive.arg("Sample Files", p + " sample project and source files", "samples"),
        archive.arg("Source Files", p + " source files", "source"),
        archive.arg("Target Definition Files", p + " target definition files", "targets"),
        "InstallConfigurationItem|Vantor udev rules file|Install the Vantor udev rules file|3|1",
        mime.arg("fwProject", "fwproject"),
        mime.arg("fwPackage", "fwpackage"),
        mime.arg("fwArchive", "fwarchive"),
        "InstallFreeDesktopShortcutConfigurationItem|fwStudio Shortcut|Install shortcut for fwStudio|0|0",
        "InstallFileRemovalConfigurationItem|File Remover||0|0|$(DestDir)/html/contents.bin",
    };
    QCOMPARE(lines, expected);
}

void tst_ProductTree::installerFilesAndSettings()
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
    QCOMPARE(tree.settingsItem(), tree.children().at(2));
    QCOMPARE(tree.settingsItem()->key(), QString("$(ProductRegKey)/Installer/$(Version)$(AltArch)"));
    QCOMPARE(tree.settingsItem()->valueNames(), (QStringList{"DestDir", "SrcDir", "ProgramFolderDir"}));
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

STUDIO_SANDBOXED_TEST_MAIN(QApplication, tst_ProductTree)

#include "tst_producttree.moc"
