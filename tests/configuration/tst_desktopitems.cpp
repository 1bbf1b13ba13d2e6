// Desktop entry, MIME types with icons and device rules, written to the sandbox's system
// folders and checked against hand-written texts and the desktop's own tools.

#include "common/ItemTestApplication.h"
#include "common/Sandbox.h"
#include "common/ScriptedAnswers.h"

#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "configuration/desktop/InstallFreeDesktopMimeTypeConfigurationItem.h"
#include "configuration/desktop/InstallFreeDesktopShortcutConfigurationItem.h"
#include "configuration/desktop/VantorDriverInstallConfigurationItem.h"
#include "configuration/model/InstallConfigurationList.h"
#include "media/install/FileStoreInstallMedia.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char productEntryFile[] =
        "/usr/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs a tool, giving its merged output; status -1 if it did not end normally.
QString runTool(const QString &program, const QStringList &arguments, int &status)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    status = ended ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

// The shortcut as the product's tree builds it.
InstallFreeDesktopShortcutConfigurationItem *productShortcut(InstallConfigurationItem *parent)
{
    return new InstallFreeDesktopShortcutConfigurationItem(
            1, "$(Company)", "Corvane Fenwick Studio for RISC-V $(Version)",
            "$(DestDir)/bin/fwStudio", "$(DestDir)/bin/StudioIcon.png", false, true,
            "Development;X-MandrivaLinux-MoreApplications-Development;",
            "application/x-corvane-fwproject;application/x-corvane-fwpackage;"
            "application/x-corvane-fwarchive;",
            parent, "fwStudio Shortcut", "Install shortcut for fwStudio", 0, false);
}

InstallFreeDesktopMimeTypeConfigurationItem *mimeItem(InstallConfigurationItem *parent,
                                                      const QString &type,
                                                      const QString &extension,
                                                      const QString &parentType = "text/xml",
                                                      const QString &comment = "A test file",
                                                      int locationKind = 1)
{
    return new InstallFreeDesktopMimeTypeConfigurationItem(
            locationKind, type, comment, parentType, extension, "$(TestIcons)/FileIcon.png",
            parent, extension + " Mime Type", "Install " + extension + " file Mime type", 0, false);
}

class World
{
public:
    World()
    {
        setVariable("Company", "Corvane");
        setVariable("Product", "Corvane Fenwick Studio for RISC-V");
        setVariable("Version", "4.52a");
        setPathVariable("DestDir", "/usr/share/corvane_fenwick_studio_for_risc-v_4.52a");
        setVariable("TestIcons", m_folder.filePath("icons"));
        QImage icon(64, 40, QImage::Format_ARGB32);
        icon.fill(Qt::darkGreen);
        m_ok = m_folder.isValid() && QDir().mkpath(m_folder.filePath("icons"))
            && icon.save(m_folder.filePath("icons/FileIcon.png"), "PNG");
    }
    bool isValid() const { return m_ok; }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    InstallConfigurationList root;
    ItemTestApplication application{&root};

private:
    QTemporaryDir m_folder;
    bool m_ok = false;
};

} // namespace

class tst_DesktopItems : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetQueryPolicies();
        m_world = std::make_unique<World>();
        QVERIFY2(m_world->isValid(), "fixture could not be written");
    }

    // Every test starts from the sandbox's own /usr/share and /etc: what an earlier one wrote goes.
    void cleanup()
    {
        m_world.reset();
        QDir("/etc/udev").removeRecursively();
        const QStringList patterns{"corvane-*.desktop", "bigvendor-*", "application-x-*"};
        QStringList folders{"/usr/share/applications", "/usr/share/mime/packages"};
        for (const int size : {256, 128, 64, 48, 32, 24, 16})
            folders << QString("/usr/share/icons/hicolor/%1x%1/mimetypes").arg(size);
        for (const QString &folder : folders)
            for (const QFileInfo &entry : QDir(folder).entryInfoList(patterns, QDir::AllEntries | QDir::NoDotAndDotDot))
                entry.isDir() ? void(QDir(entry.filePath()).removeRecursively()) : void(QFile::remove(entry.filePath()));
    }

    // Lines, check, removal and the desktop's validator for each entry.
    void shortcutLines_data()
    {
        QTest::addColumn<QString>("destDir");
        QTest::addColumn<bool>("productEntry");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("lines");

        const QByteArray productLines("[Desktop Entry]\n"
                                      "Encoding=UTF-8\n"
                                      "Name=Corvane Fenwick Studio for RISC-V 4.52a\n"
                                      "Comment=Corvane Fenwick Studio for RISC-V 4.52a\n"
                                      "Type=Application\n"
                                      "Exec=/usr/share/corvane_fenwick_studio_for_risc-v_4.52a/bin/fwStudio\n"
                                      "Icon=/usr/share/corvane_fenwick_studio_for_risc-v_4.52a/bin/StudioIcon.png\n"
                                      "Terminal=false\n"
                                      "StartupNotify=true\n"
                                      "Categories=Development;X-MandrivaLinux-MoreApplications-Development;\n"
                                      "MimeType=application/x-corvane-fwproject;application/x-corvane-fwpackage;"
                                      "application/x-corvane-fwarchive;\n");
        QTest::newRow("the product's entry")
            << "/usr/share/corvane_fenwick_studio_for_risc-v_4.52a" << true << productEntryFile << productLines;
        QTest::newRow("spaces escaped in Exec and Icon only")
            << "/opt/Fenwick Studio" << true << productEntryFile
            << QByteArray(productLines).replace("/usr/share/corvane_fenwick_studio_for_risc-v_4.52a",
                                                "/opt/Fenwick\\ Studio");
        QTest::newRow("no categories hides it; no icon, no MIME types")
            << "/opt/x" << false << "/usr/share/applications/bigvendor-plain-tool.desktop"
            << QByteArray("[Desktop Entry]\n"
                          "Encoding=UTF-8\n"
                          "Name=Plain Tool\n"
                          "Comment=Plain Tool\n"
                          "Type=Application\n"
                          "Exec=/opt/x/tool\n"
                          "Terminal=true\n"
                          "StartupNotify=false\n"
                          "NoDisplay=true\n");
    }

    void shortcutLines()
    {
        QFETCH(QString, destDir);
        QFETCH(bool, productEntry);
        QFETCH(QString, file);
        QFETCH(QByteArray, lines);
        World &world = *m_world;
        setPathVariable("DestDir", destDir);
        InstallFreeDesktopShortcutConfigurationItem *item =
                productEntry ? productShortcut(&world.root)
                             : new InstallFreeDesktopShortcutConfigurationItem(
                                       1, "Big Vendor", "Plain Tool", "$(DestDir)/tool", "", true,
                                       false, "", "", &world.root, "Tool", "", 0, false);
        QCOMPARE(item->desktopFilePath(), file);
        QVERIFY(item->checkInstalled());
        QCOMPARE(item->installed(), InstallConfigurationItem::notInstalled);
        world.application.setMode(InstallApplication::Remove);
        item->setInstalled(InstallConfigurationItem::fullyInstalled, false);
        QVERIFY(item->uninstall());
        QVERIFY2(world.application.postInstallCommands().isEmpty(), "refresh without a removal");

        world.application.setMode(InstallApplication::Typical);
        QVERIFY(item->install());
        QCOMPARE(readAll(file), lines);
        const QStringList refresh{"update-desktop-database -q /usr/share/applications"};
        QCOMPARE(world.application.postInstallCommands(), refresh);
        QVERIFY(item->checkInstalled());
        QCOMPARE(item->installed(), InstallConfigurationItem::fullyInstalled);

        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        int status = -1;
        const QString output = runTool(validator, {file}, status);
        // Only the deprecated Encoding key and the comment equal to the name may be warned about.
        for (const QString &line : output.split('\n', Qt::SkipEmptyParts)) {
            const bool expected = line.contains("warning: key \"Encoding\"")
                || line.contains("for key \"Comment\" in group \"Desktop Entry\" looks the same as "
                                 "that of key \"Name\"");
            QVERIFY2(expected, qPrintable(line));
        }
        QVERIFY2(status == 0, qPrintable(output));

        world.application.setMode(InstallApplication::Remove);
        QVERIFY(item->uninstall());
        QVERIFY2(!QFileInfo::exists(file), "the entry stayed");
        QCOMPARE(world.application.postInstallCommands(), refresh);
    }

    void writeFailure_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("message");
        QTest::newRow("desktop entry") << productEntryFile << "<p>Cannot write .desktop file.</p>";
        const QString package = "/usr/share/mime/packages/application-x-test-blocked.xml";
        QTest::newRow("MIME package") << package << "<p>Cannot write Mime type file" + package + ".</p>";
    }

    void writeFailure()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, message);
        World &world = *m_world;
        QVERIFY(QDir().mkpath(blocked + "/in-the-way"));
        InstallConfigurationItem *item = blocked == productEntryFile
                ? static_cast<InstallConfigurationItem *>(productShortcut(&world.root))
                : mimeItem(&world.root, "application/x-test-blocked", ".blocked");
        ScriptedAnswers answers(QList<int>{InstallCheckMessageBox::No});
        QVERIFY(item->install());
        QCOMPARE(answers.asked(), 1);
        QVERIFY2(answers.messages().at(0).contains(message), qPrintable(answers.messages().at(0)));
        if (blocked == productEntryFile)
            QVERIFY2(world.application.postInstallCommands().isEmpty(), "refresh after a failure");
        QDir(blocked).removeRecursively();
    }

    // Lines, icons, refresh commands, check, removal and the built MIME database for each type.
    void mimePackageLines_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("parentType");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("lines");

        QTest::newRow("the product's project files")
            << "application/x-corvane-fwproject" << ".fwProject" << "text/xml"
            << "Corvane Fenwick Studio Project File"
            << "/usr/share/mime/packages/application-x-corvane-fwproject.xml"
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"application/x-corvane-fwproject\">\n"
                          "    <sub-class-of type=\"text/xml\"/>\n"
                          "    <comment>Corvane Fenwick Studio Project File</comment>\n"
                          "    <glob pattern=\"*.fwProject\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n");
        QTest::newRow("no parent type, comment or icon: the glob stays")
            << "application/x-test-bare" << ".bare" << "" << ""
            << "/usr/share/mime/packages/application-x-test-bare.xml"
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"application/x-test-bare\">\n"
                          "    <glob pattern=\"*.bare\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n");
    }

    void mimePackageLines()
    {
        QFETCH(QString, type);
        QFETCH(QString, extension);
        QFETCH(QString, parentType);
        QFETCH(QString, comment);
        QFETCH(QString, file);
        QFETCH(QByteArray, lines);
        World &world = *m_world;
        const bool iconPresent = !parentType.isEmpty();
        if (!iconPresent)
            QVERIFY(QFile::remove(world.path("icons/FileIcon.png")));
        auto *item = mimeItem(&world.root, type, extension, parentType, comment);
        QCOMPARE(item->packageFilePath(), file);

        QVERIFY(item->install());
        QCOMPARE(readAll(file), lines);
        for (const int size : {256, 128, 64, 48, 32, 24, 16}) {
            const QString icon = QString("/usr/share/icons/hicolor/%1x%1/mimetypes/").arg(size)
                + QString(type).replace('/', '-') + ".png";
            QCOMPARE(QFileInfo::exists(icon), iconPresent);
            if (iconPresent)
                QCOMPARE(QImage(icon, "PNG").size(), QSize(size, size));
        }
        QCOMPARE(world.application.postInstallCommands(),
                 (iconPresent ? QStringList{"gtk-update-icon-cache -q /usr/share/icons/hicolor"} : QStringList{})
                         + QStringList{"update-mime-database /usr/share/mime"});
        QVERIFY(item->checkInstalled());
        QCOMPARE(item->installed(), InstallConfigurationItem::fullyInstalled);

        // Removing the product leaves the registration: other programs may rely on it.
        world.application.setMode(InstallApplication::Remove);
        QVERIFY(item->uninstall());
        QVERIFY2(QFileInfo::exists(file), "the MIME package was removed");

        const QString updater = QStandardPaths::findExecutable("update-mime-database");
        if (updater.isEmpty())
            QSKIP("update-mime-database is not installed (package shared-mime-info)");
        int status = -1;
        const QString output = runTool(updater, {"/usr/share/mime"}, status);
        QVERIFY2(status == 0, qPrintable(output));
        // Globs without a case flag match ignoring case, as the database's readers do.
        QStringList types;
        for (const QByteArray &line : readAll("/usr/share/mime/globs").split('\n')) {
            const QString text = QString::fromUtf8(line);
            const qsizetype colon = text.indexOf(':');
            if (text.startsWith('#') || colon < 0)
                continue;
            const QRegularExpression glob(
                    QRegularExpression::wildcardToRegularExpression(text.mid(colon + 1)),
                    QRegularExpression::CaseInsensitiveOption);
            if (glob.match("Blinky" + extension).hasMatch())
                types << text.left(colon);
        }
        QCOMPARE(types, QStringList{type});
        if (iconPresent)
            QVERIFY2(readAll("/usr/share/mime/subclasses").split('\n').contains((type + ' ' + parentType).toUtf8()),
                     "the generated database lost the parent type");
    }

    void refreshCommandsAreAddedOnce()
    {
        World &world = *m_world;
        mimeItem(&world.root, "application/x-corvane-fwproject", ".fwProject");
        mimeItem(&world.root, "application/x-corvane-fwpackage", ".fwPackage");
        productShortcut(&world.root);
        QVERIFY(world.root.install());
        QCOMPARE(world.application.postInstallCommands(),
                 (QStringList{"gtk-update-icon-cache -q /usr/share/icons/hicolor",
                              "update-mime-database /usr/share/mime",
                              "update-desktop-database -q /usr/share/applications"}));
    }

    void userLocationWithoutUsableHomeIsSkipped()
    {
        World &world = *m_world;
        const QByteArray home = qgetenv("HOME");
        // A home below a plain file: no folder can be made there.
        QVERIFY(writeFile(world.path("not-a-folder"), "x"));
        qputenv("HOME", QFile::encodeName(world.path("not-a-folder/home")));
        auto *shortcut = new InstallFreeDesktopShortcutConfigurationItem(
                0, "Corvane", "Tool", "/bin/true", "", false, false, "Development;", "", &world.root,
                "Tool", "", 0, false);
        mimeItem(&world.root, "application/x-test-user", ".user", "", "", 0);
        ScriptedAnswers noQuestions(QList<int>{});
        const bool installed = world.root.install();
        qputenv("HOME", home);

        QVERIFY(installed);
        QCOMPARE(noQuestions.asked(), 0);
        QCOMPARE(shortcut->desktopFilePath(),
                 world.path("not-a-folder/home/.local/share/applications/corvane-tool.desktop"));
        QCOMPARE(world.application.postInstallCommands(), QStringList{});
    }

    void rulesItemLevel_data()
    {
        QTest::addColumn<bool>("folderPresent");
        QTest::addColumn<bool>("filePresent");
        QTest::addColumn<int>("level");

        QTest::newRow("udev without our rules: offered checked") << true << false << 4;
        QTest::newRow("rules already there: offered unchecked") << true << true << 3;
        QTest::newRow("no udev rules folder: offered unchecked") << false << false << 3;
    }

    void rulesItemLevel()
    {
        QFETCH(bool, folderPresent);
        QFETCH(bool, filePresent);
        QFETCH(int, level);
        QDir("/etc/udev/rules.d").removeRecursively();
        if (folderPresent)
            QVERIFY(QDir().mkpath("/etc/udev/rules.d"));
        if (filePresent)
            QVERIFY(writeFile("/etc/udev/rules.d/99-vantor.rules", "# rules\n"));

        QCOMPARE((new VantorDriverInstallConfigurationItem(&m_world->root))->level(), level);
    }

    void rulesItemInstallsFromMedia()
    {
        World &world = *m_world;
        const QByteArray rules("SUBSYSTEM==\"usb\", ATTR{idVendor}==\"1fc9\", MODE=\"0666\"\n");
        QVERIFY(writeFile(world.path("media/bin/99-vantor.rules"), rules));
        QVERIFY(QFile::setPermissions(world.path("media/bin/99-vantor.rules"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        world.application.useMedia(new FileStoreInstallMedia(world.path("media")));
        auto *item = new VantorDriverInstallConfigurationItem(&world.root);
        item->setInstall(true);

        QVERIFY(item->install());
        QCOMPARE(readAll("/etc/udev/rules.d/99-vantor.rules"), rules);
        QCOMPARE(QFileInfo("/etc/udev/rules.d/99-vantor.rules").permissions() & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);

        // The rules stay after removal; only the installed-state record knows about them.
        world.application.setMode(InstallApplication::Remove);
        item->setInstall(false);
        QVERIFY(item->uninstall());
        QVERIFY2(QFileInfo::exists("/etc/udev/rules.d/99-vantor.rules"), "the rules file was removed");
    }

private:
    std::unique_ptr<World> m_world;
};

STUDIO_SANDBOXED_TEST_MAIN(QApplication, tst_DesktopItems)

#include "tst_desktopitems.moc"
