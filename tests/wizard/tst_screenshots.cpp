// Renders the wizard's pages and boxes into PNG files for a person to look at. Does
// nothing unless SCREENSHOT_DIR names the folder to write into.

#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/ClassicInstallWizard.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/InstallTextDialog.h"
#include "wizard/pages/InstallFindFileDialog.h"
#include "wizard/pages/InstallFinishedDialog.h"
#include "wizard/pages/InstallHelpDialog.h"
#include "wizard/pages/InstallLicenseAgreementDialog.h"
#include "wizard/pages/InstallProgressDialog.h"
#include "wizard/pages/StudioProgressBar.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestScreenshots : public QObject
{
    Q_OBJECT

    bool save(QWidget *widget, const QString &name)
    {
        const QString file = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        return widget->grab().save(file);
    }

    QString m_folder;
    QTemporaryDir m_source;

private slots:
    void initTestCase()
    {
        m_folder = qEnvironmentVariable("SCREENSHOT_DIR");
        if (m_folder.isEmpty())
            QSKIP("SCREENSHOT_DIR is not set");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(m_source.isValid());
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        setVariable(QStringLiteral("AltArch"), QString());
        setPathVariable(QStringLiteral("SrcDir"), m_source.path());
        setPathVariable(QStringLiteral("DestDir"),
                        QStringLiteral("/usr/share/corvane_fenwick_studio_for_risc-v_4.52a"));
    }


    void wizardPages_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *name : {"licence", "progress", "finished", "failed", "help"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void wizardPages()
    {
        QFETCH(QString, page);

        auto *frame = new ClassicInstallWizard; // owned by the application
        ClassicInstallWizard &wizard = *frame;
        InstallConfigurationList root;
        new InstallConfigurationItem(&root, QStringLiteral("Program Files"), QString(), 0, true);
        WizardTestApplication application(frame, &root);
        application.setMode(InstallApplication::Custom);

        InstallWizardDialog *shown = nullptr;
        if (page == "licence") {
            QFile licence(QStringLiteral(STUDIO_SOURCE_DIR "/resources/license.xhtml"));
            QVERIFY(licence.open(QIODevice::ReadOnly));
            shown = new InstallLicenseAgreementDialog(&application, QString::fromUtf8(licence.readAll()));
        } else if (page == "progress") {
            auto *progress = new InstallProgressDialog(&application, QStringLiteral("Installing"), QString());
            progress->setMode(InstallProgressDialog::Installing);
            shown = progress;
        } else if (page == "finished") {
            auto *finished = new InstallFinishedDialog(&application, QStringLiteral("Launch $(Product)"),
                                                       QStringLiteral("$(DestDir)/bin/studio"),
                                                       QStringLiteral("$(DestDir)/doc/notes.html"), false);
            finished->setText(expand(QStringLiteral(
                "$(Product) has been installed successfully.<p>Click Finish to exit the installer.")));
            shown = finished;
        } else if (page == "failed") {
            auto *failed = new InstallTextDialog(&application, QStringLiteral("Installation Failed"),
                                                 QString(), QString(), 10, QStringLiteral("&Finish"));
            failed->setText(QStringLiteral("The installation was not completed.<p>Cannot create folder "
                                           "/usr/share/corvane_fenwick_studio_for_risc-v_4.52a/bin."));
            shown = failed;
        } else {
            shown = new InstallHelpDialog(&application);
        }
        wizard.addDialog(shown, 1);
        wizard.showDialog(1);
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        if (auto *progress = qobject_cast<InstallProgressDialog *>(shown)) {
            // Mid-run: one item under way, halfway through its own steps.
            progress->starting(root.children().first());
            progress->setTaskTotalSteps(10);
            progress->setTaskProgress(5);
            progress->totalBar()->setTotalSteps(3);
            progress->totalBar()->setProgress(1);
        }
        QVERIFY2(save(&wizard, QStringLiteral("page-") + page), "could not write the picture");
    }

    void boxes_data()
    {
        QTest::addColumn<QString>("box");
        for (const char *name : {"question-307", "locate-installation-folder", "locate-product-folder",
                                 "locate-file"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void boxes()
    {
        QFETCH(QString, box);

        std::unique_ptr<QDialog> dialog;
        if (box == "question-307") {
            dialog = std::make_unique<InstallCheckMessageBox>(
                QStringLiteral("Overwrite File"),
                QStringLiteral("<p>The file <b>$(DestDir)/bin/studio</b> already exists.</p>"
                               "<p>Do you want to replace it?</p>"),
                InstallCheckMessageBox::YesNoAllCancel, InstallCheckMessageBox::Yes);
        } else if (box == "locate-installation-folder") {
            dialog = std::make_unique<InstallFindFileDialog>(nullptr, QStringLiteral("$(SrcDir)/payload.bin"));
        } else if (box == "locate-product-folder") {
            dialog = std::make_unique<InstallFindFileDialog>(nullptr, QStringLiteral("$(DestDir)/bin/studio"));
        } else {
            dialog = std::make_unique<InstallFindFileDialog>(nullptr,
                                                             QStringLiteral("/opt/riscv/lib/libcore.so"));
        }
        dialog->setModal(false);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY2(save(dialog.get(), box), "could not write the picture");
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
