#include "common/PagesTestSupport.h"

#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/pages/InstallChooseDestinationDialog.h"
#include "wizard/pages/InstallProgramFolderDialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// The destination page with its folder chooser answered by the test.
class AnsweredDestinationDialog : public InstallChooseDestinationDialog
{
public:
    using InstallChooseDestinationDialog::InstallChooseDestinationDialog;

    QString answer;
    QString askedCaption, askedStartFolder;
    int asked = 0;

protected:
    QString chooseFolder(const QString &caption, const QString &startFolder) override
    {
        ++asked, askedCaption = caption, askedStartFolder = startFolder;
        return answer;
    }
};

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestFolderPages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    InstallConfigurationList *m_list = nullptr;
    PagesTestApplication *m_application = nullptr;

    QString defaultDestination() const { return m_root.path() + QStringLiteral("/share/fenwick_4.52a"); }

private slots:
    void init()
    {
        QVERIFY2(m_root.isValid(), "a temporary folder for the destination");
        setVariable(QStringLiteral("Company"), QStringLiteral("Corvane"));
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        setPathVariable(QStringLiteral("OSAppDir"), m_root.path() + QStringLiteral("/share"));
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("$(OSAppDir)/fenwick_$(Version)"));
        setPathVariable(QStringLiteral("InstallerDir"), QStringLiteral("$(DestDir)/bin"));
        setPathVariable(QStringLiteral("ProgramFolderDir"), QStringLiteral("$(Company)/$(DestName)"));
        setPathVariable(QStringLiteral("ProgramFolderName"), QStringLiteral("$(DestName)"));
        setVariable(QStringLiteral("DestName"), QStringLiteral("not yet chosen"));
        m_list = new InstallConfigurationList;
        m_application = new PagesTestApplication(m_list);
    }

    void cleanup()
    {
        delete m_application;
        delete m_list;
    }

    void destinationPageStartsFromTheDefault()
    {
        AnsweredDestinationDialog page(m_application);
        QCOMPARE(page.title(), QStringLiteral("Choose Destination Location"));
        QCOMPARE(page.subtitle(), QStringLiteral("Select folder where Setup will install files."));
        QCOMPARE(page.flags(), 0);
        QCOMPARE(page.nextLabel(), QStringLiteral("&Next>"));
        QCOMPARE(page.folderEdit()->text(), defaultDestination());
        QCOMPARE(expand(QStringLiteral("$(DestDir)")), defaultDestination());
        QCOMPARE(variable(QStringLiteral("DestName")), QStringLiteral("fenwick_4.52a"));
        QCOMPARE(page.browseButton()->text(), QStringLiteral("..."));
        QCOMPARE(qobject_cast<QGroupBox *>(page.folderEdit()->parentWidget())->title(),
                 QStringLiteral("Destination Folder"));
        QCOMPARE(page.findChildren<QLabel *>().first()->text(),
                 QStringLiteral("Setup will install Corvane Fenwick Studio for RISC-V 4.52a in the following "
                                "folder.<p>To install to this folder, click Next. To install to a different "
                                "folder, click Browse and select another folder."));
    }

    void typedDestinationIsStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("destDir");
        QTest::addColumn<QString>("destName");
        QTest::addColumn<QString>("installerDir");

        QTest::newRow("absolute folder") << "/opt/fenwick" << "/opt/fenwick" << "fenwick" << "/opt/fenwick/bin";
        QTest::newRow("trailing separator leaves no last name")
            << "/opt/fenwick/" << "/opt/fenwick" << "" << "/opt/fenwick/bin";
        QTest::newRow("empty field accepted") << "" << "" << "" << "/bin";
        QTest::newRow("doubled separators are cleaned when used")
            << "/opt//fenwick/./x" << "/opt/fenwick/x" << "x" << "/opt/fenwick/x/bin";
    }

    void typedDestinationIsStored()
    {
        QFETCH(QString, typed);
        QFETCH(QString, destDir);
        QFETCH(QString, destName);
        QFETCH(QString, installerDir);

        AnsweredDestinationDialog page(m_application);
        typeInto(page.folderEdit(), typed);
        QCOMPARE(page.folderEdit()->text(), typed);
        QCOMPARE(expand(QStringLiteral("$(DestDir)")), destDir);
        QCOMPARE(variable(QStringLiteral("DestName")), destName);
        QCOMPARE(expand(QStringLiteral("$(InstallerDir)")), installerDir);
        QCOMPARE(page.asked, 0);
    }

    void browseAsksForAFolder_data()
    {
        QTest::addColumn<QString>("typedBefore");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("destDir");
        QTest::addColumn<QString>("destName");

        QTest::newRow("chosen folder replaces typed text")
            << "/opt/typed" << "/srv/studio" << "/srv/studio" << "/srv/studio" << "studio";
        QTest::newRow("cancelled chooser keeps the default")
            << "" << "" << "DEFAULT" << "DEFAULT" << "fenwick_4.52a";
        QTest::newRow("cancelled chooser keeps typed text")
            << "/opt/typed/" << "" << "/opt/typed/" << "/opt/typed" << "";
    }

    void browseAsksForAFolder()
    {
        QFETCH(QString, typedBefore);
        QFETCH(QString, answer);
        QFETCH(QString, field);
        QFETCH(QString, destDir);
        QFETCH(QString, destName);
        field.replace(QStringLiteral("DEFAULT"), defaultDestination());
        destDir.replace(QStringLiteral("DEFAULT"), defaultDestination());

        AnsweredDestinationDialog page(m_application);
        page.show();
        if (!typedBefore.isEmpty())
            typeInto(page.folderEdit(), typedBefore);
        const QString startFolder = expand(QStringLiteral("$(DestDir)"));
        page.answer = answer;
        QTest::mouseClick(page.browseButton(), Qt::LeftButton);

        QCOMPARE(page.asked, 1);
        QCOMPARE(page.askedCaption, QStringLiteral("Please select destination folder."));
        QCOMPARE(page.askedStartFolder, startFolder);
        QCOMPARE(page.folderEdit()->text(), field);
        QCOMPARE(expand(QStringLiteral("$(DestDir)")), destDir);
        QCOMPARE(variable(QStringLiteral("DestName")), destName);
    }

    void destinationKeepsTypedTextAcrossBackAndNext()
    {
        AnsweredDestinationDialog page(m_application);
        page.show();
        typeInto(page.folderEdit(), QStringLiteral("/opt/mine"));
        page.hide();
        setVariable(QStringLiteral("DestDir"), QStringLiteral("/elsewhere"));
        page.show();
        QCOMPARE(page.folderEdit()->text(), QStringLiteral("/opt/mine"));
    }

    void programFolderFollowsTheDestination()
    {
        AnsweredDestinationDialog destination(m_application);
        InstallProgramFolderDialog folder(m_application);
        QCOMPARE(folder.title(), QStringLiteral("Select Program Folder"));
        QCOMPARE(folder.subtitle(), QStringLiteral("Please select a program folder."));
        QCOMPARE(folder.findChildren<QLabel *>().first()->text(),
                 QStringLiteral("Setup will add program icons to the Program Folder below.<p>You may type a "
                                "new folder name. Click Next to continue."));
        QCOMPARE(qobject_cast<QGroupBox *>(folder.folderEdit()->parentWidget())->title(),
                 QStringLiteral("Program Folder"));

        folder.show();
        QCOMPARE(folder.folderEdit()->text(), QStringLiteral("Corvane/fenwick_4.52a"));
        QCOMPARE(variable(QStringLiteral("ProgramFolderName")), QStringLiteral("fenwick_4.52a"));

        // Showing the page must not pin the folder to today's destination name.
        folder.hide();
        typeInto(destination.folderEdit(), QStringLiteral("/opt/other"));
        QCOMPARE(expand(QStringLiteral("$(ProgramFolderDir)")), QStringLiteral("Corvane/other"));
        folder.show();
        QCOMPARE(folder.folderEdit()->text(), QStringLiteral("Corvane/other"));
    }

    void typedProgramFolderIsStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folderDir");
        QTest::addColumn<QString>("folderName");

        QTest::newRow("two levels") << "Corvane Tools/Studio" << "Corvane Tools/Studio" << "Studio";
        QTest::newRow("trailing separator") << "Corvane/" << "Corvane" << "";
        QTest::newRow("empty") << "" << "" << "";
    }

    void typedProgramFolderIsStored()
    {
        QFETCH(QString, typed);
        QFETCH(QString, folderDir);
        QFETCH(QString, folderName);

        AnsweredDestinationDialog destination(m_application);
        InstallProgramFolderDialog folder(m_application);
        folder.show();
        typeInto(folder.folderEdit(), typed);
        QCOMPARE(expand(QStringLiteral("$(ProgramFolderDir)")), folderDir);
        QCOMPARE(variable(QStringLiteral("ProgramFolderName")), folderName);

        // The typed folder no longer depends on the destination, and comes back as typed.
        typeInto(destination.folderEdit(), QStringLiteral("/opt/changed"));
        folder.hide();
        folder.show();
        QCOMPARE(expand(QStringLiteral("$(ProgramFolderDir)")), folderDir);
        QCOMPARE(folder.folderEdit()->text(), folderDir);
    }
};

QTEST_MAIN(TestFolderPages)
#include "tst_folderpages.moc"
