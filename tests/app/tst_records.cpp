// The installer settings under the product's key and the record "IConf.xml".

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
    void settingsItemValues();

    void recordSavedAndLoaded();
    void loadRecord_data();
    void loadRecord();
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

    // The store is the sandbox's, and a key without prefix stores its names at the top level.
    InstallConfigurationList root;
    auto *item = new InstallSettingKeyConfigurationItem(key, &root, "Settings", "", 0, false);
    item->addValueName("Home");
    item->setValue("Home", "/opt/tools");
    QSettings stored(QSettings::SystemScope, organisation, application);
    QVERIFY2(stored.fileName().startsWith(Sandbox::root() + "/xdg/"), qPrintable(stored.fileName()));
    QCOMPARE(stored.allKeys().size(), 1);
    QCOMPARE(stored.value(prefix + "Home").toString(), QString("/opt/tools"));
    stored.clear();
}

void tst_Records::settingsItemValues()
{
    Tree tree;
    ItemTestApplication application(&tree.root);
    setFolders("/opt/fenwick//studio/", "/media/cdrom/setup", "Corvane/Fenwick");
    productSettings().setValue("Installer/4.52a/Other", "not ours");
    productSettings().setValue("Installer/4.52b/DestDir", "another version");
    // Names compare case-sensitively and before expansion; nothing is written for them.
    for (const QString name : {"DestName", "destdir", "$(Unset)DestDir"}) {
        try {
            tree.settings->setValue(name, "/somewhere");
            QFAIL(qPrintable("accepted " + name));
        } catch (const InstallException &error) {
            QCOMPARE(error.message(), "Unregistered key: " + name);
        }
    }

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

void tst_Records::recordSavedAndLoaded()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("IConf.xml");
    const QStringList files{"fwStudio", "lib/a \"quoted\".so", "", "ünïcode.txt"};
    {
        Tree tree;
        ItemTestApplication application(&tree.root);
        setFolders("/opt/studio", "/media/setup", "Corvane/Studio & Tools");
        tree.component->setFiles(files);
        tree.component->setInstalled(InstallConfigurationItem::partiallyInstalled, false);
        QVERIFY(saveInstalledConfiguration(path));
    }
    QCOMPARE(QString::fromUtf8(readAll(path)),
             QString("<!DOCTYPE Install>\n"
                     "<configuration dest_dir=\"/opt/studio\" src_dir=\"/media/setup\" "
                     "program_folder_dir=\"Corvane/Studio &amp; Tools\">\n"
                     " <InstallConfigurationList objectName=\"\" install=\"true\" installed=\"0\">\n"
                     "  <InstallConfigurationItem objectName=\"\" install=\"true\" installed=\"0\">\n"
                     "   <InstallArchiveConfigurationItem objectName=\"\" install=\"true\" "
                     "installed=\"1\" files=\"fwStudio&#xa;lib/a &quot;quoted&quot;.so&#xa;&#xa;ünïcode.txt\"/>\n"
                     "   <InstallConfigurationItem objectName=\"\" install=\"false\" installed=\"0\"/>\n"
                     "  </InstallConfigurationItem>\n"
                     "  <InstallSettingKeyConfigurationItem objectName=\"\" install=\"true\" "
                     "installed=\"0\"/>\n"
                     " </InstallConfigurationList>\n"
                     "</configuration>\n"));

    Tree fresh;
    ItemTestApplication application(&fresh.root);
    application.setMode(InstallApplication::Remove);
    fresh.optional->setInstall(true);
    setFolders("/elsewhere", "/media/setup", "Corvane/Other");
    QVERIFY(loadInstalledConfiguration(path));
    QCOMPARE(fresh.component->files(), files);
    QCOMPARE(fresh.component->installed(), InstallConfigurationItem::partiallyInstalled);
    QVERIFY2(!fresh.optional->isSelected(), "the optional item's selection was not restored");
    QCOMPARE(expand("$(DestDir)|$(ProgramFolderDir)|$(ProgramFolderName)"),
             QString("/opt/studio|Corvane/Studio & Tools|Studio & Tools"));
}

void tst_Records::loadRecord_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("text"); // written over the saved record unless empty
    QTest::addColumn<QString>("expected"); // folders after loading; empty: the record is refused
    const QByteArray items = " <InstallConfigurationList>\n  <InstallConfigurationItem>\n"
                             "   <InstallArchiveConfigurationItem/>\n   <InstallConfigurationItem/>\n"
                             "  </InstallConfigurationItem>\n  <InstallSettingKeyConfigurationItem/>\n"
                             " </InstallConfigurationList>\n</configuration>\n";
    const QByteArray blank = "<!DOCTYPE Install>\n<configuration dest_dir=\"\" src_dir=\"\" "
                             "program_folder_dir=\"\">\n";
    const QString old = "/opt/old|/media/old-setup|Corvane/Old|Old";
    const QString upgrade = "/opt/old|/media/new-setup|Corvane/Old|Old";
    const int modify = InstallApplication::Modify;

    QTest::newRow("modify takes the recorded source") << modify << QByteArray() << old;
    QTest::newRow("repair takes the recorded source") << int(InstallApplication::Repair)
                                                      << QByteArray() << old;
    QTest::newRow("upgrade keeps the new source") << int(InstallApplication::Upgrade)
                                                  << QByteArray() << upgrade;
    QTest::newRow("removal keeps the running source") << int(InstallApplication::Remove)
                                                      << QByteArray() << upgrade;
    QTest::newRow("empty attributes leave the variables")
        << modify << blank + items << "/opt/new|/media/new-setup|Corvane/New|New";
    QTest::newRow("not XML") << modify << QByteArray("dest_dir=/opt/studio\n") << QString();
    QTest::newRow("another root item")
        << modify << blank + " <InstallConfigurationItem/>\n</configuration>\n" << QString();
    QTest::newRow("fewer items than the tree")
        << modify << blank + items.left(items.indexOf("   <InstallConfigurationItem/>"))
        << QString();
}

void tst_Records::loadRecord()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    const QString path = folder.filePath("IConf.xml");
    Tree tree;
    setFolders("/opt/old", "/media/old-setup", "Corvane/Old");
    QVERIFY(saveInstalledConfiguration(tree.root, path));
    setFolders("/opt/new", "/media/new-setup", "Corvane/New");
    setVariable("ProgramFolderName", "New");
    QFile file(path);
    if (!text.isEmpty())
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) > 0);
    file.close();

    QCOMPARE(loadInstalledConfiguration(tree.root, path, InstallApplication::Mode(mode)),
             !expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(expand("$(DestDir)|$(SrcDir)|$(ProgramFolderDir)|$(ProgramFolderName)"), expected);
    QVERIFY(!loadInstalledConfiguration(tree.root, folder.filePath("none.xml"),
                                        InstallApplication::Mode(mode)));
}

STUDIO_SANDBOXED_TEST_MAIN(QApplication, tst_Records)

#include "tst_records.moc"
