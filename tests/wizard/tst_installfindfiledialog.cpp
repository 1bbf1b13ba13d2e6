#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "wizard/frame/UnattendedRun.h"
#include "wizard/pages/InstallFindFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

class TestInstallFindFileDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        QVERIFY(QDir(m_folder->path()).mkpath(QStringLiteral("source/data")));
        QVERIFY(QDir(m_folder->path()).mkpath(QStringLiteral("product")));
        setVariable(QStringLiteral("Product"), QStringLiteral("Fenwick Studio"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        setVariable(QStringLiteral("Base"), m_folder->path());
        setPathVariable(QStringLiteral("SrcDir"), QStringLiteral("$(Base)/source"));
        setPathVariable(QStringLiteral("DestDir"), QStringLiteral("$(Base)/product"));
        setVariable(QStringLiteral("SrcDirectory"), QStringLiteral("$(Base)/elsewhere"));
        UnattendedRun::setActive(false);
    }

    void cleanup()
    {
        UnattendedRun::setActive(false);
        m_folder.reset();
    }

    void formFollowsTheMissingPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("instruction");
        QTest::addColumn<QString>("lineEdit");

        const QString srcInstruction = QStringLiteral(
            "Please locate the 'Fenwick Studio 4.52a' installation folder\nand then click OK to "
            "continue. Click Cancel to terminate installation.");
        const QString destInstruction = QStringLiteral(
            "Please locate the 'Fenwick Studio 4.52a' folder\nand then click OK to continue. Click "
            "Cancel to terminate installation.");
        const auto other = [](const char *name) {
            return QStringLiteral("<p>Please locate the %1 file and then click OK to continue. Click Cancel to "
                                  "terminate installation.").arg(QLatin1String(name));
        };
        const QString missing = QStringLiteral("<p>Cannot find the file named:<p>");
        QTest::newRow("missing file below the installation folder") << "$(SrcDir)/data/payload.bin" << 1
            << "Locate Installation Folder" << missing + "@/source/data/payload.bin" << srcInstruction << "@/source";
        QTest::newRow("existing folder is named a directory") << "$(SrcDir)/data" << 1 << "Locate Installation Folder"
            << "<p>Cannot find the directory named:<p>@/source/data" << srcInstruction << "@/source";
        QTest::newRow("installation folder wins over product folder") << "$(SrcDir)/$(DestDir)" << 1
            << "Locate Installation Folder" << missing + "@/source@/product" << srcInstruction << "@/source";
        QTest::newRow("product folder") << "$(DestDir)/bin/studio" << 2 << "Locate Fenwick Studio Folder"
            << missing + "@/product/bin/studio" << destInstruction << "@/product";
        QTest::newRow("any other file") << "$(Base)/lib/./libcore.so" << 0 << "Locate File"
            << missing + "@/lib/libcore.so" << other("libcore.so") << "@/lib/./libcore.so";
        QTest::newRow("a longer name is not the installation folder") << "$(SrcDirectory)/x.dat" << 0 << "Locate File"
            << missing + "@/elsewhere/x.dat" << other("x.dat") << "@/elsewhere/x.dat";
    }

    void formFollowsTheMissingPath()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, instruction);
        QFETCH(QString, lineEdit);

        const QString base = m_folder->path();
        InstallFindFileDialog dialog(nullptr, path);
        QCOMPARE(dialog.objectName(), QStringLiteral("install-get-source-directory-dialog"));
        QCOMPARE(dialog.kind(), kind);
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(labelTexts(dialog), (QStringList{message.replace(QLatin1Char('@'), base), instruction}));
        QCOMPARE(dialog.pathEdit()->text(), lineEdit.replace(QLatin1Char('@'), base));
        QVERIFY(dialog.isModal());
        QPushButton *ok = buttonWithText(&dialog, QStringLiteral("&OK"));
        QVERIFY(ok && ok->isDefault() && buttonWithText(&dialog, QStringLiteral("&Cancel")));
    }

    // The answer, typed or chosen with the chooser (relative to the temporary folder; empty
    // cancels it), goes to SrcDir, DestDir or the dialog's located path.
    void answerGoesWhereThePathSays_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("browse");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("srcDir");
        QTest::addColumn<QString>("destDir");
        QTest::addColumn<QString>("located");

        QTest::newRow("typed installation folder goes to SrcDir") << "$(SrcDir)/payload.bin" << false
            << "/media/cd" << "" << "/media/cd" << "@/product" << "";
        QTest::newRow("typed product folder goes to DestDir") << "$(DestDir)/bin" << false << "/opt/studio" << ""
            << "@/source" << "/opt/studio" << "";
        QTest::newRow("a typed file is kept by the dialog") << "/opt/lib/libcore.so" << false
            << "/usr/lib/libcore.so" << "" << "@/source" << "@/product" << "/usr/lib/libcore.so";
        QTest::newRow("installation folder chosen") << "$(SrcDir)/payload.bin" << true << "source/data"
            << "Please locate installation folder." << "@/source/data" << "@/product" << "";
        QTest::newRow("installation folder chooser cancelled") << "$(SrcDir)/payload.bin" << true << ""
            << "Please locate installation folder." << "@/source" << "@/product" << "";
        QTest::newRow("file chosen") << "$(Base)/lib/libcore.so" << true << "source/data/libcore.so"
            << "Please locate Fenwick Studio folder." << "@/source" << "@/product" << "@/source/data/libcore.so";
    }

    void answerGoesWhereThePathSays()
    {
        QFETCH(QString, path);
        QFETCH(bool, browse);
        QFETCH(QString, answer);
        QFETCH(QString, caption);
        QFETCH(QString, srcDir);
        QFETCH(QString, destDir);
        QFETCH(QString, located);

        const QString base = m_folder->path();
        if (answer.startsWith(QLatin1String("source/data/"))) {
            QFile file(m_folder->filePath(answer));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // The widget chooser can be driven from here; a desktop's own chooser cannot.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        InstallFindFileDialog dialog(nullptr, path);
        // Opening must not flatten a variable that refers to others.
        QCOMPARE(variable(QStringLiteral("SrcDir")), QStringLiteral("$(Base)/source"));
        QCOMPARE(variable(QStringLiteral("DestDir")), QStringLiteral("$(Base)/product"));
        const QString before = dialog.pathEdit()->text();
        dialog.show();
        if (browse) {
            QString shownCaption;
            ModalDriver driver(
                [&](QWidget *modal) {
                    auto *chooser = qobject_cast<QFileDialog *>(modal);
                    if (chooser)
                        shownCaption = chooser->windowTitle();
                    if (!chooser || answer.isEmpty())
                        return static_cast<QDialog *>(modal)->reject();
                    chooser->selectFile(m_folder->filePath(answer));
                    static_cast<QDialog *>(chooser)->accept(); // the chooser's own accept checks the choice
                },
                &dialog);
            dialog.findChild<QToolButton *>()->click();
            QVERIFY2(driver.acted(), "no chooser came up");
            QCOMPARE(shownCaption, caption);
            QCOMPARE(dialog.pathEdit()->text(), answer.isEmpty() ? before : m_folder->filePath(answer));
        } else {
            dialog.pathEdit()->selectAll();
            QTest::keyClicks(dialog.pathEdit(), answer);
        }
        QCOMPARE(expand(QStringLiteral("$(SrcDir)")), srcDir.replace(QLatin1Char('@'), base));
        QCOMPARE(expand(QStringLiteral("$(DestDir)")), destDir.replace(QLatin1Char('@'), base));
        if (!located.isEmpty())
            QCOMPARE(dialog.locatedPath(), located.replace(QLatin1Char('@'), base));
    }

    void buttonsEndTheDialog_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");

        QTest::newRow("ok") << "&OK" << 1;
        QTest::newRow("cancel") << "&Cancel" << 0;
        QTest::newRow("return presses OK") << "return" << 1;
    }

    void buttonsEndTheDialog()
    {
        QFETCH(QString, action);
        QFETCH(int, result);

        InstallFindFileDialog dialog(nullptr, QStringLiteral("$(SrcDir)/payload.bin"));
        ModalDriver driver([&](QWidget *modal) {
            if (action == "return")
                QTest::keyClick(modal, Qt::Key_Return);
            else if (QPushButton *button = buttonWithText(modal, action))
                QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), result);
        QVERIFY2(driver.acted(), "the dialog never came up");
    }

    void unattendedRunAnswersCancel()
    {
        UnattendedRun::setActive(true);
        InstallFindFileDialog dialog(nullptr, QStringLiteral("$(SrcDir)/payload.bin"));
        ModalDriver guard([](QWidget *modal) { static_cast<QDialog *>(modal)->done(1); });
        StderrCapture capture(m_folder->filePath(QStringLiteral("stderr.txt")));
        const int result = dialog.exec();
        const QByteArray written = capture.text();
        QVERIFY2(!guard.acted(), "nothing may be shown in an unattended run");
        QCOMPARE(result, 0);
        QCOMPARE(written, QStringLiteral("Locate Installation Folder\nCannot find the file named:\n%1/source/payload.bin\n")
                              .arg(m_folder->path())
                              .toLocal8Bit());
    }
};

QTEST_MAIN(TestInstallFindFileDialog)
#include "tst_installfindfiledialog.moc"
