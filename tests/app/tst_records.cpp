// The installer settings under the product's key and the record "IConf.xml". The
// system-scope settings store lives in the sandbox.

#include "common/ItemTestApplication.h"
#include "common/Sandbox.h"

#include "app/core/InstallException.h"
#include "app/core/VariableTable.h"
#include "app/records/InstallSettings.h"
#include "app/records/InstalledConfiguration.h"
#include "configuration/items/InstallArchiveConfigurationItem.h"
#include "configuration/items/InstallSettingKeyConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char productKey[] = "$(ProductRegKey)/Installer/$(Version)$(AltArch)";

void setProductVariables()
{
    setVariable("Company", "Corvane");
    setVariable("Product", "Corvane Fenwick Studio for RISC-V");
    setVariable("Version", "4.52a");
    setVariable("AltArch", "");
    setPathVariable("ProductRegKey", "$(Company)/$(Product)");
}

QSettings productSettings()
{
    return QSettings(QSettings::SystemScope, "Corvane", "Corvane Fenwick Studio for RISC-V");
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

class Tree
{
public:
    Tree()
    {
        group = new InstallConfigurationItem(&root, "Group", "", 0, true);
        component = new InstallArchiveConfigurationItem("bin", "$(DestDir)/bin", group, "Binary Files",
                                                        "", 0, true, 0xFFFFFFFF, 3);
        optional = new InstallConfigurationItem(group, "Optional", "", 3, true);
        settings = new InstallSettingKeyConfigurationItem(productKey, &root, "Installer Settings",
                                                          "", 0, false);
        for (const char *name : {"DestDir", "SrcDir", "ProgramFolderDir"})
            settings->addValueName(name);
    }

    InstallConfigurationList root;
    InstallConfigurationItem *group;
    InstallArchiveConfigurationItem *component;
    InstallConfigurationItem *optional;
    InstallSettingKeyConfigurationItem *settings;
};

void setFolders(const QString &dest, const QString &src, const QString &programFolder)
{
    setPathVariable("DestDir", dest);
    setPathVariable("SrcDir", src);
    setPathVariable("ProgramFolderDir", programFolder);
    setPathVariable("ProgramFolderName", "$(DestName)");
}

} // namespace

class tst_Records : public QObject
{
    Q_OBJECT

private slots:
    void init() { setProductVariables(); }

    void keySplit_data();
    void keySplit();
    void settingsStoreIsTheSandboxes();
    void settingsItemValues();
    void unregisteredName_data();
    void unregisteredName();
    void twoSegmentKeyStoresAtTopLevel();

    void recordText();
    void filesSurviveSaveAndLoad();
    void sourceFolderByMode_data();
    void sourceFolderByMode();
    void emptyAttributesLeaveVariables();
    void unusableRecord_data();
    void unusableRecord();
};

void tst_Records::keySplit_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("organisation");
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("the product's key") << "Corvane/Corvane Fenwick Studio for RISC-V/Installer/4.52a"
                                       << "Corvane" << "Corvane Fenwick Studio for RISC-V"
                                       << "Installer/4.52a/";
    QTest::newRow("two segments: no prefix") << "Corvane/Studio" << "Corvane" << "Studio" << "";
    QTest::newRow("empty segments are kept") << "a//b//c" << "a" << "" << "b//c/";
    QTest::newRow("one segment") << "Corvane" << "Corvane" << "" << "";
}

void tst_Records::keySplit()
{
    QFETCH(QString, key);
    QFETCH(QString, organisation);
    QFETCH(QString, application);
    QFETCH(QString, prefix);
    QCOMPARE(InstallSettings::organisation(key), organisation);
    QCOMPARE(InstallSettings::application(key), application);
    QCOMPARE(InstallSettings::prefix(key), prefix);
}

void tst_Records::settingsStoreIsTheSandboxes()
{
    // Everything below writes to the system-scope store: it must be the sandbox's.
    const InstallSettings settings(expand(productKey));
    QVERIFY2(settings.settings().fileName().startsWith(Sandbox::root() + "/xdg/"),
             qPrintable(settings.settings().fileName()));
    QCOMPARE(settings.prefix(), QString("Installer/4.52a/"));
}

void tst_Records::settingsItemValues()
{
    Tree tree;
    ItemTestApplication application(&tree.root);
    setFolders("/opt/fenwick//studio/", "/media/cdrom/setup", "Corvane/Fenwick");
    productSettings().setValue("Installer/4.52a/Other", "not ours");
    productSettings().setValue("Installer/4.52b/DestDir", "another version");

    const QStringList names{"DestDir", "SrcDir", "ProgramFolderDir"};
    const QStringList values{"/opt/fenwick/studio", "/media/cdrom/setup", "Corvane/Fenwick"};
    for (int i = 0; i < names.size(); ++i) {
        tree.settings->setValue(names[i], "$(" + names[i] + ")");
        QCOMPARE(productSettings().value("Installer/4.52a/" + names[i]).toString(), values[i]);
    }
    QVERIFY(tree.settings->checkInstalled());
    QCOMPARE(tree.settings->installed(), InstallConfigurationItem::fullyInstalled);

    productSettings().remove("Installer/4.52a/SrcDir");
    QVERIFY(tree.settings->checkInstalled());
    QCOMPARE(tree.settings->installed(), InstallConfigurationItem::partiallyInstalled);

    application.setMode(InstallApplication::Remove);
    QVERIFY(tree.settings->uninstall());
    QSettings stored = productSettings();
    QCOMPARE(stored.allKeys(), (QStringList{"Installer/4.52a/Other", "Installer/4.52b/DestDir"}));
    QVERIFY(tree.settings->checkInstalled());
    QCOMPARE(tree.settings->installed(), InstallConfigurationItem::notInstalled);
    stored.clear();
}

void tst_Records::unregisteredName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a name the product never registered") << "DestName";
    QTest::newRow("names compare case-sensitively") << "destdir";
    QTest::newRow("names compare before expansion") << "$(Unset)DestDir";
}

void tst_Records::unregisteredName()
{
    QFETCH(QString, name);
    Tree tree;
    QString message;
    try {
        tree.settings->setValue(name, "/somewhere");
    } catch (const InstallException &error) {
        message = error.message();
    }
    QCOMPARE(message, "Unregistered key: " + name);
    QVERIFY2(productSettings().allKeys().isEmpty(), "an unregistered name wrote something");
}

void tst_Records::twoSegmentKeyStoresAtTopLevel()
{
    InstallConfigurationList root;
    auto *item = new InstallSettingKeyConfigurationItem("Corvane/Tools", &root, "Settings", "", 0,
                                                        false);
    item->addValueName("Home");
    item->setValue("Home", "/opt/tools");
    QSettings stored(QSettings::SystemScope, "Corvane", "Tools");
    QCOMPARE(stored.allKeys(), QStringList{"Home"});
    QCOMPARE(stored.value("Home").toString(), QString("/opt/tools"));
    stored.clear();
}

void tst_Records::recordText()
{
    QTemporaryDir folder;
    Tree tree;
    ItemTestApplication application(&tree.root);
    setFolders("/opt/studio", "/media/setup", "Corvane/Studio & Tools");
    tree.component->setFiles({"fwStudio", "lib/a \"quoted\".so"});
    tree.component->setInstalled(InstallConfigurationItem::fullyInstalled, false);

    QVERIFY(saveInstalledConfiguration(folder.filePath("IConf.xml")));
    QCOMPARE(QString::fromUtf8(readAll(folder.filePath("IConf.xml"))),
             QString("<!DOCTYPE Install>\n"
                     "<configuration dest_dir=\"/opt/studio\" src_dir=\"/media/setup\" "
                     "program_folder_dir=\"Corvane/Studio &amp; Tools\">\n"
                     " <InstallConfigurationList objectName=\"\" install=\"true\" installed=\"0\">\n"
                     "  <InstallConfigurationItem objectName=\"\" install=\"true\" installed=\"0\">\n"
                     "   <InstallArchiveConfigurationItem objectName=\"\" install=\"true\" "
                     "installed=\"2\" files=\"fwStudio&#xa;lib/a &quot;quoted&quot;.so\"/>\n"
                     "   <InstallConfigurationItem objectName=\"\" install=\"false\" installed=\"0\"/>\n"
                     "  </InstallConfigurationItem>\n"
                     "  <InstallSettingKeyConfigurationItem objectName=\"\" install=\"true\" "
                     "installed=\"0\"/>\n"
                     " </InstallConfigurationList>\n"
                     "</configuration>\n"));
}

void tst_Records::filesSurviveSaveAndLoad()
{
    QTemporaryDir folder;
    const QStringList files{"fwStudio", "lib/libfw.so.4", "", "docs/read me.txt", "ünïcode.txt"};
    {
        Tree tree;
        ItemTestApplication application(&tree.root);
        setFolders("/opt/studio", "/media/setup", "Corvane/Studio");
        tree.component->setFiles(files);
        tree.component->setInstalled(InstallConfigurationItem::partiallyInstalled, false);
        tree.optional->setInstall(true);
        QVERIFY(saveInstalledConfiguration(folder.filePath("IConf.xml")));
    }
    Tree fresh;
    ItemTestApplication application(&fresh.root);
    application.setMode(InstallApplication::Remove);
    setFolders("/elsewhere", "/media/setup", "Corvane/Other");

    QVERIFY(loadInstalledConfiguration(folder.filePath("IConf.xml")));
    QCOMPARE(fresh.component->files(), files);
    QCOMPARE(fresh.component->installed(), InstallConfigurationItem::partiallyInstalled);
    QVERIFY2(fresh.optional->isSelected(), "the optional item's selection was lost");
    QCOMPARE(expand("$(DestDir)|$(ProgramFolderDir)|$(ProgramFolderName)"),
             QString("/opt/studio|Corvane/Studio|Studio"));
}

void tst_Records::sourceFolderByMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("source");

    QTest::newRow("modify installs again from the recorded source")
        << int(InstallApplication::Modify) << "/media/old-setup";
    QTest::newRow("repair installs again from the recorded source")
        << int(InstallApplication::Repair) << "/media/old-setup";
    QTest::newRow("upgrade keeps the new source") << int(InstallApplication::Upgrade)
                                                  << "/media/new-setup";
    QTest::newRow("removal keeps the running source") << int(InstallApplication::Remove)
                                                      << "/media/new-setup";
}

void tst_Records::sourceFolderByMode()
{
    QFETCH(int, mode);
    QFETCH(QString, source);
    QTemporaryDir folder;
    Tree tree;
    setFolders("/opt/studio", "/media/old-setup", "Corvane/Studio");
    QVERIFY(saveInstalledConfiguration(tree.root, folder.filePath("IConf.xml")));
    setFolders("/opt/studio", "/media/new-setup", "Corvane/Studio");

    QVERIFY(loadInstalledConfiguration(tree.root, folder.filePath("IConf.xml"),
                                       InstallApplication::Mode(mode)));
    QCOMPARE(expand("$(SrcDir)"), source);
}

void tst_Records::emptyAttributesLeaveVariables()
{
    QTemporaryDir folder;
    Tree tree;
    const QString path = folder.filePath("IConf.xml");
    QVERIFY(saveInstalledConfiguration(tree.root, path));
    QByteArray text = readAll(path);
    const int start = text.indexOf("<configuration");
    text.replace(start, text.indexOf('>', start) - start,
                 "<configuration dest_dir=\"\" src_dir=\"\" program_folder_dir=\"\"");
    QVERIFY(writeFile(path, text));
    setFolders("/opt/kept", "/media/kept", "Corvane/Kept");
    setVariable("ProgramFolderName", "Kept");

    QVERIFY(loadInstalledConfiguration(tree.root, path, InstallApplication::Repair));
    QCOMPARE(expand("$(DestDir)|$(SrcDir)|$(ProgramFolderDir)|$(ProgramFolderName)"),
             QString("/opt/kept|/media/kept|Corvane/Kept|Kept"));
}

void tst_Records::unusableRecord_data()
{
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("no record") << QByteArray();
    QTest::newRow("not XML") << QByteArray("dest_dir=/opt/studio\n");
    QTest::newRow("another root item")
        << QByteArray("<!DOCTYPE Install>\n<configuration dest_dir=\"/x\" src_dir=\"\" "
                      "program_folder_dir=\"\">\n <InstallConfigurationItem/>\n</configuration>\n");
    QTest::newRow("fewer items than the tree")
        << QByteArray("<!DOCTYPE Install>\n<configuration dest_dir=\"/x\" src_dir=\"\" "
                      "program_folder_dir=\"\">\n <InstallConfigurationList>\n"
                      "  <InstallConfigurationItem/>\n </InstallConfigurationList>\n"
                      "</configuration>\n");
}

void tst_Records::unusableRecord()
{
    QFETCH(QByteArray, text);
    QTemporaryDir folder;
    const QString path = folder.filePath("IConf.xml");
    if (!text.isEmpty())
        QVERIFY(writeFile(path, text));
    Tree tree;
    QVERIFY2(!loadInstalledConfiguration(tree.root, path, InstallApplication::Modify),
             "an unusable record was accepted");
}

int main(int argc, char **argv)
{
    if (!Sandbox::isInside())
        return Sandbox::run(argc, argv);
    QApplication application(argc, argv);
    tst_Records test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_records.moc"
